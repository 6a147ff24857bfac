#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include <libpq-fe.h>

class QSocketNotifier;

// Counts a register's rows on a connection of its own while the user goes
// on working: an exact count of a large table reads all of it, which no
// keystroke should wait for. One count runs at a time; a newer request of
// the same owner replaces its older one.
class TAVRowCounter : public QObject
{
    Q_OBJECT

public:
    static TAVRowCounter *instance();
    // `done` gets the count, or -1 when it could not be made; it is not
    // called once the owner is gone.
    void request(QObject *owner, const QString &statement, std::function<void(qint64)> done);
    // Starts a count at once beside the caller's own statement, when the
    // connection is idle; false when it is busy (the caller counts itself).
    bool startNow(const QString &statement);
    // The count started by startNow(), waited for; -1 when it failed.
    qint64 waitNow();
    // The count started by startNow() is not wanted: its answer is dropped.
    void dropNow();
    // Counts asked for and not yet answered.
    int pending() const { return m_queue.size() + (m_running || m_now ? 1 : 0); }
    void disconnect();

private:
    struct Request
    {
        QPointer<QObject> owner;
        QString statement;
        std::function<void(qint64)> done;
        bool retried = false;
    };
    TAVRowCounter() = default;
    void startNext();
    void onReadable();
    void finish(qint64 count);
    // The connection went (a server restart): once more on a new one.
    void retry();

    PGconn *m_conn = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QList<Request> m_queue;
    Request m_current;
    bool m_running = false;
    // A count of startNow() is on the wire; once dropped its answer is read and forgotten.
    bool m_now = false;
    bool m_nowDropped = false;
    bool ensureConnected();
    // A dropped count of startNow() that has answered is read and forgotten.
    void settleDropped();
    qint64 readCount();
};
