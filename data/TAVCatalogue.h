#pragma once

#include <QHash>
#include <QList>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include <map>

// What the server's catalogue says of the tables and views the program
// uses. The catalogue does not change while the program runs, so each
// answer is read once and kept for the session; a read that fails is not
// kept and is tried again on the next question.
namespace TAVCatalogue {

// The columns of a table or view, typed as the driver gives them.
QSqlRecord record(const QString &name);
QSqlIndex primaryIndex(const QString &table);
// The key column of a table (its primary key's first column).
QString primaryKey(const QString &table);
// A table's single-column foreign keys by the table they point at.
QHash<QString, QStringList> foreignColumns(const QString &table);

// Columns of a unique index or a constraint, and the Polish message the
// schema gives a constraint (its comment); every constraint in one read.
QStringList constraintColumns(const QString &name);
QString constraintMessage(const QString &name);
void loadConstraints();

// What the field checks need of one column.
struct Column
{
    bool nullable = true;
    bool unique = false;
    qint32 maxLength = 0;
    QString domainConstraint;  // the check of the column's domain, if any
};
struct Table
{
    std::map<QString, Column> columns;
    QList<QStringList> uniqueSets;  // unique indexes over several columns
};
// False when the catalogue could not be read (then nothing is kept).
bool table(const QString &name, Table *out);

} // namespace TAVCatalogue
