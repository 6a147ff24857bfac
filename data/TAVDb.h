#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QMetaType>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

#include <libpq-fe.h>

#include <memory>

// A failed statement as the server reported it. The texts are for the log;
// what the user reads comes from causeSentence().
struct TAVDbError
{
    QString sqlState;    // five characters; "08006" when the connection is gone
    QString message;     // the server's primary message
    QString detail;
    QString constraint;
    QString table;
    QString column;

    bool isError() const { return !sqlState.isEmpty(); }
    bool connectionLost() const;
    // Raised by the schema's own rules with a message meant for users.
    bool isOwnRule() const { return sqlState.startsWith(QLatin1String("OV")); }
};

// The one default connection and direct work on its wire. Reads of the
// registers and every write go through here, so that the SQLSTATE and the
// constraint of a failure are at hand and values are always bound.
namespace TAVDb {

// The default connection; a connection that was lost is opened again.
QSqlDatabase database();
// Its libpq handle, or null when there is no open connection. With
// reopen false a lost connection is reported as it is.
PGconn *connection(bool reopen = true);
// The server the program has just connected to, as the one it is on: a
// reopened connection that lands elsewhere is then announced.
void rememberServer();
// A connection of its own with the default connection's parameters, for
// work beside the user's (notices, counting); null when it cannot be made.
PGconn *openSideConnection(const char *applicationName);
// Whether the live connection sits inside an open, healthy transaction.
bool inTransaction();

// A text literal escaped for the live connection (standard_conforming_strings
// on or off), quotes included.
QString quote(const QString &text);
// An ILIKE "contains" literal in which %, _ and \ stand for themselves.
QString likeContains(const QString &text);

using ResultPtr = std::unique_ptr<PGresult, void (*)(PGresult *)>;

// Runs one statement with its values bound; null result and a filled
// error on failure (a lost connection gives 08006).
ResultPtr exec(const QString &sql, const QVector<QVariant> &params = {}, TAVDbError *error = nullptr,
               const QVector<Oid> &types = {});
// A cell of a result as text, or as a whole number (0 for NULL).
QString cellText(const PGresult *r, int row, int column);
qint64 cellNumber(const PGresult *r, int row, int column);
inline QString cellText(const ResultPtr &r, int row, int column) { return cellText(r.get(), row, column); }
inline qint64 cellNumber(const ResultPtr &r, int row, int column) { return cellNumber(r.get(), row, column); }
// Sends several statements in one round trip and collects every result.
bool execBatch(const QString &sql, std::vector<ResultPtr> *results, TAVDbError *error = nullptr);
TAVDbError errorOf(const PGresult *result);
// Round trips sent through exec() and execBatch() since the start, so that
// what a burst of changes costs can be counted.
qint64 roundTrips();
TAVDbError connectionError();

// The text a value is bound as; null for NULL.
QByteArray paramText(const QVariant &value, bool *isNull);
// A cell's text turned into the value the Qt driver gives for the type.
QVariant fromText(const char *text, int length, QMetaType type);

// One sentence in Polish naming the cause of a failed write, for the
// classes of failure a user can act on; labels names the fields by column.
QString causeSentence(const TAVDbError &error, const QHash<QString, QString> &labels = {});
// The sentence for a failure of the given SQLSTATE that only the domain can
// word (a guard of the schema refusing a stale write, say).
void setStateSentence(const QString &sqlState, const QString &sentence);

// The connection was found lost: one message for the whole program until
// a read succeeds again.
void reportReadFailure(const TAVDbError &error);
void readSucceeded();

} // namespace TAVDb
