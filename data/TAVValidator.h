#pragma once

#include <QHash>
#include <QMultiMap>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QValidator>
#include <QVariantMap>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>

class QWidget;

// A check of one value; failed checks collect their messages, joined with
// "<br/>" for the rich-text report of the record editor.
class TAVValidator
{
public:
    virtual ~TAVValidator();
    virtual bool validate(const QVariant &value) = 0;
    virtual void clearMessage();

    QString message() const { return m_message; }
    void addMessage(const QString &text);
    // A null value reads as no text at all: a null number is not "0".
    static QString plainText(const QVariant &value);

private:
    QString m_message;
};

class TAVRegExpValidator : public TAVValidator
{
public:
    TAVRegExpValidator(const QString &pattern, const QString &errorText);
    bool validate(const QVariant &value) override;

private:
    QRegularExpression m_regExp;
    QString m_errorText;
};

// Validators of the schema's named domain constraints; the layer that owns
// a domain registers its validator, and the catalogue's check finds it by
// the constraint's name.
using TAVDomainValidatorFactory = std::function<std::unique_ptr<TAVValidator>()>;
void registerDomainValidator(const QString &constraintName, const TAVDomainValidatorFactory &factory);

// What the catalogue says of one column.
struct TAVColumnInfo
{
    QString columnName;
    bool nullable = true;
    bool unique = false;
    qint32 maxLength = 0;
    std::unique_ptr<TAVValidator> domainValidator;
};

// Checks fields of one table against nullability, uniqueness, length and
// the named domain constraints read from information_schema once.
class TAVDBValidator : public TAVValidator
{
public:
    TAVDBValidator();
    ~TAVDBValidator() override;

    void setTable(const QString &name);
    QString tableName() const { return m_tableName; }

    bool validate(const QVariant &value) override;
    bool validate(const QString &column, const QVariant &value, const QString &label);
    void clearMessage() override;
    void addValidator(const QString &column, TAVValidator *validator);

    // A rule over several columns: no other row (than the one with this
    // key) may hold all these values; captions name the fields.
    bool validateUnique(const QStringList &columns, const QVariantMap &values, const QVariant &key,
                        const QStringList &captions);
    QList<QStringList> uniqueSets() const { return m_uniqueSets; }

    // For support and tests: what was read from the catalogue.
    const TAVColumnInfo *columnInfo(const QString &column) const;
    int catalogueReads() const { return m_catalogueReads; }
    // Whether the catalogue was read; a failed read is tried again.
    bool isLoaded() const { return m_loaded; }
    void ensureLoaded();

private:
    void fillDbInfo();

    QString m_tableName;
    std::map<QString, TAVColumnInfo> m_columns;
    QMultiMap<QString, std::shared_ptr<TAVValidator>> m_validators;
    QList<QStringList> m_uniqueSets;
    int m_catalogueReads = 0;
    bool m_loaded = false;
};

// One table validator per table for the whole process.
class TAVValidatorManager : public QObject
{
    Q_OBJECT

public:
    static TAVValidatorManager *instance();
    static void destroy();
    std::shared_ptr<TAVDBValidator> validator(const QString &tableName);

private:
    TAVValidatorManager() = default;
    QHash<QString, std::shared_ptr<TAVDBValidator>> m_validators;
};

// Line-edit validator that lower-cases what is typed (logins).
class TAVLowercaseValidator : public QValidator
{
    Q_OBJECT

public:
    explicit TAVLowercaseValidator(QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
};

// Messages of a dialog that validates by hand; the first invalid field gets
// the focus.
class ValidationMessages
{
public:
    ValidationMessages();
    void add(const QString &text, QWidget *widget);
    // A failure whose message is already with the table validator.
    void fail(QWidget *widget);
    void show(QWidget *parent);
    void clear();
    QString text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty() && !m_failed; }

private:
    QString m_text;
    bool m_focusPending = true;
    bool m_failed = false;
};
