#include "TAVRowWriter.h"

#include "TAVTransaction.h"

#include <QStringList>

TAVRowWriter::TAVRowWriter(const QString &table, const QString &keyColumn, QMetaType keyType)
    : m_table(table), m_key(keyColumn), m_keyType(keyType)
{
}

void TAVRowWriter::stampUser(Op op, QSqlRecord &rec, qint32 user)
{
    // No user yet: the audit key is left empty rather than dangling.
    const QVariant value = user > 0 ? QVariant(user) : QVariant(QMetaType::fromType<int>());
    if (op == Op::Insert) {
        for (const char *name : {"fk_uzt_stworzono", "fk_uzt_zmodyfikowano"}) {
            const int idx = rec.indexOf(QString::fromLatin1(name));
            if (idx >= 0)
                rec.setValue(idx, value);
        }
    } else if (op == Op::Update) {
        const int idx = rec.indexOf(QStringLiteral("fk_uzt_zmodyfikowano"));
        if (idx >= 0)
            rec.setValue(idx, value);
    }
}

TAVRowWriter::Result TAVRowWriter::write(Op op, const QSqlRecord &given, const QVariant &key, const QString &version)
{
    Result result;
    QVector<QVariant> values;
    if (op == Op::Insert) {
        QStringList names;
        QStringList marks;
        for (int i = 0; i < given.count(); ++i) {
            names << given.fieldName(i);
            marks << QStringLiteral("$%1").arg(i + 1);
            values << given.value(i);
        }
        result.statement = names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2").arg(m_table, m_key)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                          .arg(m_table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")), m_key);
    } else if (op == Op::Update) {
        QStringList sets;
        for (int i = 0; i < given.count(); ++i) {
            sets << QStringLiteral("%1 = $%2").arg(given.fieldName(i)).arg(i + 1);
            values << given.value(i);
        }
        values << key;
        result.statement = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $%4")
                                   .arg(m_table, sets.join(QStringLiteral(", ")), m_key)
                                   .arg(values.size());
        if (!version.isEmpty()) {
            values << version;
            result.statement += QStringLiteral(" AND xmin::text = $%1").arg(values.size());
        }
    } else {
        values << key;
        result.statement = QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(m_table, m_key);
    }

    TAVDb::ResultPtr r(nullptr, [](PGresult *p) { PQclear(p); });
    if (TAVTransaction::writeAllowed(&result.error))
        r = TAVDb::exec(result.statement, values, &result.error);
    if (!r)
        return result;
    result.error = TAVDbError();
    result.key = key;
    if (op == Op::Insert) {
        if (PQntuples(r.get()) < 1)
            return result;
        result.key = TAVDb::fromText(PQgetvalue(r.get(), 0, 0), PQgetlength(r.get(), 0, 0), m_keyType);
    } else if (op == Op::Update && QByteArray(PQcmdTuples(r.get())).toInt() == 0) {
        // Another workstation deleted or saved the row meanwhile: nothing was written.
        const bool exists = !version.isEmpty() && !rowVersion(key).isEmpty();
        result.error.sqlState = QStringLiteral("02000");
        result.error.message = exists ? QStringLiteral("row changed meanwhile") : QStringLiteral("row no longer exists");
        result.outcome = exists ? Outcome::ChangedMeanwhile : Outcome::Gone;
        return result;
    }
    result.outcome = Outcome::Written;
    return result;
}

QString TAVRowWriter::rowVersion(const QVariant &key) const
{
    if (!key.isValid() || key.isNull())
        return QString();
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT xmin::text FROM %1 WHERE %2 = $1").arg(m_table, m_key),
                                     {key}, &error);
    return r && PQntuples(r.get()) > 0 ? QString::fromLatin1(PQgetvalue(r.get(), 0, 0)) : QString();
}
