#pragma once

#include "TAVDb.h"

#include <QSqlRecord>
#include <QString>
#include <QVariant>

// Writes one row of a table: builds the INSERT, UPDATE or DELETE of the
// fields that carry a value, runs it and says what happened. It shows
// nothing; the caller decides what the user is told.
class TAVRowWriter
{
public:
    enum class Op { Insert, Update, Delete };
    enum class Outcome {
        Written,
        Failed,          // the server refused it (error says why)
        ChangedMeanwhile,  // an update found the row saved by someone else since
        Gone             // an update found no row with the key
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QVariant key;        // an insert's new key, else the key written
        TAVDbError error;
        QString statement;
    };

    TAVRowWriter(const QString &table, const QString &keyColumn, QMetaType keyType);

    // The audit columns of a record: the creating and modifying user of a
    // new row, the modifying user of an edit (0 or less: no user yet).
    static void stampUser(Op op, QSqlRecord &rec, qint32 user);
    // Writes the given fields; an update or delete needs the row's key and
    // an update may name the row version it was read at (xmin).
    Result write(Op op, const QSqlRecord &given, const QVariant &key = QVariant(), const QString &version = QString());
    // The row's version (xmin) now, empty when there is no such row.
    QString rowVersion(const QVariant &key) const;

private:
    QString m_table;
    QString m_key;
    QMetaType m_keyType;
};
