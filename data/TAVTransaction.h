#pragma once

#include "TAVDb.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

// Rows that changed in the database, for every open register to follow.
// Inside a transaction the news waits for its end: on commit it goes out
// as it came, on rollback as a request to read those rows again.
class TAVChangeBus : public QObject
{
    Q_OBJECT

public:
    static TAVChangeBus *instance();

    // origin: the model that already shows the change (it skips the news).
    void announce(const QString &table, const QList<qint64> &keys, QObject *origin = nullptr);
    // Anything of the table may have changed (a burst); of every table, for
    // an empty name (a reconnection).
    void announceTable(const QString &table);
    // The connection now goes to another server (a standby promoted after
    // the primary was lost): everything shown is read again.
    void announceServer(const QString &server);
    void flush();
    // Drops the news of a rolled-back transaction: everyone reads again.
    void discardPendingOrigins();

Q_SIGNALS:
    void rowsChanged(const QString &table, const QList<qint64> &keys, QObject *origin);
    void tableChanged(const QString &table);
    void serverChanged(const QString &server);

private:
    TAVChangeBus() = default;
    struct Pending
    {
        QString table;
        QList<qint64> keys;
        QObject *origin = nullptr;
        bool wholeTable = false;
    };
    QList<Pending> m_pending;
};

// The one way to make several writes together. BEGIN is checked: when it
// fails nothing may be written and ok() says so. Anything not committed is
// rolled back when the guard goes out of scope, and the registers read the
// touched rows again. Writes of the table model refuse to run while a guard
// is open on a connection that has meanwhile lost its transaction.
class TAVTransaction
{
public:
    TAVTransaction();
    ~TAVTransaction();
    TAVTransaction(const TAVTransaction &) = delete;
    TAVTransaction &operator=(const TAVTransaction &) = delete;

    bool ok() const { return m_ok; }
    bool commit();
    void rollback();
    TAVDbError error() const { return m_error; }

    void touch(const QString &table, qint64 key);

    static TAVTransaction *active();
    // False (with the reason) when a guard is open but its transaction is
    // no longer the connection's: the write would commit on its own.
    static bool writeAllowed(TAVDbError *error);

private:
    void finish(bool committed);

    TAVTransaction *m_outer = nullptr;
    bool m_ok = false;
    bool m_done = false;
    PGconn *m_conn = nullptr;
    int m_backend = 0;
    TAVDbError m_error;
    QHash<QString, QList<qint64>> m_touched;
};
