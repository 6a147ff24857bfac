#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <libpq-fe.h>

class QSocketNotifier;

// Hears what other workstations commit (the schema notifies every change
// of a register table on one channel) on a connection of its own, gathers
// the notices for a short moment and hands them to the change bus, so that
// every open register reads only the rows that changed. A lost connection
// is tried again; once back, everything shown is read again.
class TAVLiveUpdates : public QObject
{
    Q_OBJECT

public:
    static TAVLiveUpdates *instance();
    // A table whose rows follow every write elsewhere (a history): its
    // changes are no burst of their own.
    void setEchoTable(const QString &table) { m_echoTables.insert(table); }
    // Listens with the default connection's parameters; false when it cannot.
    bool start();
    void stop();
    bool isLive() const { return m_conn != nullptr; }
    // Handles what arrived without waiting for the event loop (tests).
    void poll();
    // Notices are waiting for the end of their short gathering moment.
    bool isGathering() const { return m_flush.isActive() || !m_pending.isEmpty() || !m_whole.isEmpty(); }
    // Registers are reading what another workstation changed: nobody asked
    // for it, so a failure waits for the user's next action to be shown.
    bool isReadingNews() const { return m_readingNews; }
    // How many changed rows the database names in one notice; a register
    // told of more reads its rows again whole. Asked of the database once.
    int keyLimit();

Q_SIGNALS:
    // Live updates started or stopped (for the status bar).
    void liveChanged(bool live);
    // Gathered notices were handed to the change bus.
    void delivered();

private:
    TAVLiveUpdates();
    void onReadable();
    void flush();
    void lost();
    bool connectNow();

    PGconn *m_conn = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_flush;
    QElapsedTimer m_sinceFlush;
    qint64 m_flushCost = 0;
    bool m_lastWasBurst = false;
    QTimer m_retry;
    QHash<QString, QSet<qint64>> m_pending;
    QSet<QString> m_whole;
    bool m_wanted = false;
    bool m_readingNews = false;
    int m_keyLimit = 0;
    QSet<QString> m_echoTables;
};
