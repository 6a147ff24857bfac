#include "QueryTemplate.h"

#include "ParameterList.h"

#include <QDate>
#include <QRegularExpression>

namespace OrvReports {

namespace {

QVariant typed(const QVariant &value, const QString &type)
{
    if (!value.isValid() || value.isNull())
        return value;
    bool ok = false;
    if (type == QLatin1String("integer")) {
        const qlonglong v = value.toLongLong(&ok);
        return ok ? QVariant(v) : value;
    }
    if (type == QLatin1String("double")) {
        const double v = value.toDouble(&ok);
        return ok ? QVariant(v) : value;
    }
    if (type == QLatin1String("date")) {
        if (value.typeId() == QMetaType::QDate)
            return value;
        const QString s = value.toString();
        QDate d = QDate::fromString(s, Qt::ISODate);
        if (!d.isValid())
            d = QDate::fromString(s, QStringLiteral("dd.MM.yyyy"));
        return d.isValid() ? QVariant(d) : value;
    }
    if (type == QLatin1String("bool"))
        return QVariant(value.toBool());
    if (type == QLatin1String("string"))
        return QVariant(value.toString());
    return value;
}

struct Block
{
    bool outerActive;
    bool condition;
    bool inElse;
};

} // namespace

bool expandQuery(const QString &text, const ParameterList &params,
                 const QHash<QString, QString> &types, BoundQuery *out, QString *error)
{
    static const QRegularExpression valueTag(
            QStringLiteral("^value\\s*\\(\\s*\"([^\"]+)\"\\s*\\)$"));
    static const QRegularExpression ifTag(
            QStringLiteral("^if\\s+(not\\s+)?exists\\s*\\(\\s*\"([^\"]+)\"\\s*\\)$"));

    BoundQuery result;
    QList<Block> stack;
    auto active = [&stack] {
        return stack.isEmpty() || (stack.last().outerActive
                                   && (stack.last().inElse ? !stack.last().condition : stack.last().condition));
    };
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };

    QChar quote;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text.at(i);
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
            if (active())
                result.sql += ch;
            continue;
        }
        if (ch == QLatin1Char('<') && i + 1 < n && text.at(i + 1) == QLatin1Char('?')) {
            const qsizetype end = text.indexOf(QLatin1String("?>"), i + 2);
            if (end < 0)
                return fail(QStringLiteral("Niezamknięty znacznik „<?” w zapytaniu."));
            const QString tag = text.mid(i + 2, end - i - 2).trimmed();
            i = end + 1;
            QRegularExpressionMatch m;
            if ((m = valueTag.match(tag)).hasMatch()) {
                if (active()) {
                    const QString name = m.captured(1);
                    result.sql += QLatin1Char('?');
                    result.binds << typed(params.value(name), types.value(name));
                }
            } else if ((m = ifTag.match(tag)).hasMatch()) {
                const bool exists = params.contains(m.captured(2));
                stack.append({active(), m.captured(1).isEmpty() ? exists : !exists, false});
            } else if (tag == QLatin1String("else")) {
                if (stack.isEmpty() || stack.last().inElse)
                    return fail(QStringLiteral("Znacznik „else” bez odpowiadającego „if” w zapytaniu."));
                stack.last().inElse = true;
            } else if (tag == QLatin1String("endif")) {
                if (stack.isEmpty())
                    return fail(QStringLiteral("Znacznik „endif” bez odpowiadającego „if” w zapytaniu."));
                stack.removeLast();
            } else {
                return fail(QStringLiteral("Nieznany znacznik „%1” w zapytaniu.").arg(tag));
            }
            continue;
        }
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"'))
            quote = ch;
        if (active())
            result.sql += ch;
    }
    if (!stack.isEmpty())
        return fail(QStringLiteral("Brak znacznika „endif” w zapytaniu."));
    if (out)
        *out = result;
    return true;
}

} // namespace OrvReports
