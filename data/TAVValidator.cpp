#include "TAVValidator.h"

#include "TAVCatalogue.h"
#include "TAVDb.h"

#include <QDebug>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QWidget>

namespace {
TAVValidatorManager *s_manager = nullptr;


bool textOf(const QVariant &value, QString *text)
{
    if (!value.canConvert<QString>())
        return false;
    *text = TAVValidator::plainText(value);
    return true;
}

QHash<QString, TAVDomainValidatorFactory> &domainValidators()
{
    static QHash<QString, TAVDomainValidatorFactory> factories;
    return factories;
}

std::unique_ptr<TAVValidator> domainValidatorFor(const QString &constraintName)
{
    const TAVDomainValidatorFactory factory = domainValidators().value(constraintName.toLower());
    return factory ? factory() : nullptr;
}
} // namespace

void registerDomainValidator(const QString &constraintName, const TAVDomainValidatorFactory &factory)
{
    domainValidators().insert(constraintName.toLower(), factory);
}

TAVValidator::~TAVValidator() = default;

QString TAVValidator::plainText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

void TAVValidator::clearMessage() { m_message.clear(); }

void TAVValidator::addMessage(const QString &text)
{
    if (!m_message.isEmpty())
        m_message += QStringLiteral("<br/>");
    m_message += text;
}

TAVRegExpValidator::TAVRegExpValidator(const QString &pattern, const QString &errorText)
    : m_regExp(QRegularExpression::anchoredPattern(pattern)), m_errorText(errorText)
{
}

bool TAVRegExpValidator::validate(const QVariant &value)
{
    if (m_regExp.match(plainText(value)).hasMatch())
        return true;
    addMessage(m_errorText);
    return false;
}

TAVDBValidator::TAVDBValidator() = default;
TAVDBValidator::~TAVDBValidator() = default;

void TAVDBValidator::setTable(const QString &name)
{
    if (name == m_tableName)
        return;
    m_tableName = name;
    fillDbInfo();
}

void TAVDBValidator::ensureLoaded()
{
    if (!m_loaded && !m_tableName.isEmpty())
        fillDbInfo();
}

void TAVDBValidator::fillDbInfo()
{
    m_columns.clear();
    m_uniqueSets.clear();
    m_loaded = false;
    ++m_catalogueReads;
    TAVCatalogue::Table table;
    if (!TAVCatalogue::table(m_tableName, &table)) {
        // Not remembered: the next check asks the catalogue again.
        qDebug() << "TAVDBValidator::fillDbInfo()";
        qDebug() << "   catalogue of" << m_tableName << "not read";
        return;
    }
    for (const auto &[name, column] : table.columns) {
        TAVColumnInfo info;
        info.columnName = name;
        info.nullable = column.nullable;
        info.maxLength = column.maxLength;
        info.unique = column.unique;
        info.domainValidator = domainValidatorFor(column.domainConstraint);
        m_columns.emplace(name, std::move(info));
    }
    m_uniqueSets = table.uniqueSets;
    m_loaded = !m_columns.empty();
}

bool TAVDBValidator::validateUnique(const QStringList &columns, const QVariantMap &values, const QVariant &key,
                                    const QStringList &captions)
{
    QStringList conditions;
    for (const QString &c : columns) {
        const QVariant v = values.value(c);
        // NULLs never collide in a unique index.
        if (!v.isValid() || v.isNull())
            return true;
        conditions << QStringLiteral("%1 = :%1").arg(c);
    }
    const QString pk = TAVCatalogue::primaryKey(m_tableName);
    if (key.isValid() && !key.isNull() && !pk.isEmpty())
        conditions << QStringLiteral("%1 <> :own_key").arg(pk);
    QSqlQuery query(QSqlDatabase::database());
    query.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1").arg(m_tableName, conditions.join(QStringLiteral(" AND "))));
    for (const QString &c : columns) {
        QVariant v = values.value(c);
        if (v.metaType().id() == QMetaType::QString)
            v = v.toString().trimmed();
        query.bindValue(QLatin1Char(':') + c, v);
    }
    if (key.isValid() && !key.isNull() && !pk.isEmpty())
        query.bindValue(QStringLiteral(":own_key"), key);
    if (!query.exec() || !query.next())
        return true;
    if (captions.size() == 1)
        addMessage(QStringLiteral("Pole <b>%1</b> o danej wartości już istnieje w bazie danych. "
                                  "Wprowadź inną, unikatową wartość.").arg(captions.first()));
    else
        addMessage(QStringLiteral("Wpis o takich wartościach pól <b>%1</b> już istnieje w bazie danych. "
                                  "Wprowadź inne, unikatowe wartości.")
                           .arg((captions.isEmpty() ? columns : captions).join(QStringLiteral("</b>, <b>"))));
    return false;
}

bool TAVDBValidator::validate(const QVariant &) { return true; }

const TAVColumnInfo *TAVDBValidator::columnInfo(const QString &column) const
{
    const auto it = m_columns.find(column);
    return it == m_columns.end() ? nullptr : &it->second;
}

bool TAVDBValidator::validate(const QString &column, const QVariant &value, const QString &label)
{
    ensureLoaded();
    const auto it = m_columns.find(column);
    if (it == m_columns.end()) {
        addMessage(QStringLiteral("Nie można dokończyć operacji sprawdzania pola. Nie odnaleziono pola "
                                  "<b>%1</b> w tabeli <b>%2</b> o etykiecie <b>%3</b>.")
                           .arg(column, m_tableName, label));
        return true;
    }
    const TAVColumnInfo &info = it->second;
    const QString caption = label.isEmpty() ? column : label;
    bool ok = true;
    QString text;
    const bool hasText = textOf(value, &text);

    if (!info.nullable && (value.isNull() || (hasText && text.trimmed().isEmpty()))) {
        addMessage(QStringLiteral("Pole <b>%1</b> nie może być puste").arg(caption));
        ok = false;
    }

    if (info.unique) {
        QSqlQuery query(QSqlDatabase::database());
        query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %1 = :unique").arg(column, m_tableName));
        // Compared as it will be stored: the model trims text on writing.
        query.bindValue(QStringLiteral(":unique"), hasText ? text.trimmed() : value.toString());
        if (query.exec() && query.next()) {
            addMessage(QStringLiteral("Pole <b>%1</b> o danej wartości już istnieje w bazie danych. "
                                      "Wprowadź inną, unikatową wartość.").arg(caption));
            ok = false;
        }
    }

    if (info.maxLength > 0 && hasText && text.length() > info.maxLength) {
        addMessage(QStringLiteral("Pole <b>%1</b> nie może być dłuższe niż <b>%2</b> znaków. "
                                  "Obecna ilość znaków to <b>%3</b>.")
                           .arg(caption).arg(info.maxLength).arg(text.length()));
        ok = false;
    }

    if (info.domainValidator && !info.domainValidator->validate(value)) {
        addMessage(QStringLiteral("Pole <b>%1</b> zawiera błąd. %2. Proszę poprawić.")
                           .arg(caption, info.domainValidator->message()));
        ok = false;
    }

    const auto extra = m_validators.values(column);
    // values() lists the latest insertion first; run them in insertion order.
    for (auto v = extra.crbegin(); v != extra.crend(); ++v) {
        if (!(*v)->validate(value)) {
            addMessage(QStringLiteral("Pole <b>%1</b> zawiera błąd. %2. Proszę poprawić.")
                               .arg(caption, (*v)->message()));
            ok = false;
        }
    }
    return ok;
}

void TAVDBValidator::clearMessage()
{
    TAVValidator::clearMessage();
    for (auto &entry : m_columns) {
        if (entry.second.domainValidator)
            entry.second.domainValidator->clearMessage();
    }
    for (auto &v : m_validators)
        v->clearMessage();
}

void TAVDBValidator::addValidator(const QString &column, TAVValidator *validator)
{
    m_validators.insert(column, std::shared_ptr<TAVValidator>(validator));
}

TAVValidatorManager *TAVValidatorManager::instance()
{
    if (!s_manager)
        s_manager = new TAVValidatorManager;
    return s_manager;
}

void TAVValidatorManager::destroy()
{
    delete s_manager;
    s_manager = nullptr;
}

std::shared_ptr<TAVDBValidator> TAVValidatorManager::validator(const QString &tableName)
{
    auto it = m_validators.find(tableName);
    if (it != m_validators.end()) {
        it.value()->clearMessage();
        it.value()->ensureLoaded();
        return it.value();
    }
    auto v = std::make_shared<TAVDBValidator>();
    v->setTable(tableName);
    m_validators.insert(tableName, v);
    return v;
}

TAVLowercaseValidator::TAVLowercaseValidator(QObject *parent) : QValidator(parent) {}

QValidator::State TAVLowercaseValidator::validate(QString &input, int &) const
{
    const QString lower = input.toLower();
    if (lower != input)
        input = lower;
    return Acceptable;
}

ValidationMessages::ValidationMessages() = default;

void ValidationMessages::add(const QString &text, QWidget *widget)
{
    if (!m_text.isEmpty())
        m_text += QStringLiteral("<br/>");
    m_text += text;
    if (m_focusPending && widget) {
        widget->setFocus();
        m_focusPending = false;
    }
}

void ValidationMessages::fail(QWidget *widget)
{
    m_failed = true;
    if (m_focusPending && widget) {
        widget->setFocus();
        m_focusPending = false;
    }
}

void ValidationMessages::show(QWidget *parent)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Pola nie spełniają wymagań"), m_text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

void ValidationMessages::clear()
{
    m_text.clear();
    m_focusPending = true;
    m_failed = false;
}
