#include "TAVFormat.h"

namespace TAVFormat {

QLocale locale()
{
    static const QLocale pl(QLocale::Polish, QLocale::Poland);
    return pl;
}

QString dateFormat()
{
    return QStringLiteral("dd.MM.yyyy");
}

QString date(const QDate &date)
{
    return date.isValid() ? date.toString(dateFormat()) : QString();
}

QString dateTime(const QDateTime &when)
{
    return when.isValid() ? when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString();
}

QString number(double value, int decimals)
{
    // Grouped from the thousands on ("1 250,50"); the locale's own rule
    // would group only from ten thousand.
    QString text = QString::number(value, 'f', decimals >= 0 ? decimals : QLocale::FloatingPointShortest);
    const int point = text.indexOf(QLatin1Char('.'));
    if (point >= 0)
        text[point] = QLatin1Char(',');
    const int start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (int i = (point >= 0 ? point : int(text.size())) - 3; i > start; i -= 3)
        text.insert(i, QChar(0x00A0));
    return text;
}

QString money(double value)
{
    return number(value, 2);
}

bool parseNumber(const QString &text, double *value)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(' ')).remove(QChar(0x00A0)).remove(QChar(0x202F));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok && value)
        *value = v;
    return ok && !t.isEmpty();
}

const char *excelNumberFormat(const QString &exactText)
{
    const int point = exactText.indexOf(QLatin1Char('.'));
    return point >= 0 && exactText.size() - point - 1 == 2 ? "#,##0.00" : nullptr;
}

} // namespace TAVFormat
