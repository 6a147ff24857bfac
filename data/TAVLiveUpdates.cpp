#include "TAVLiveUpdates.h"

#include "TAVDb.h"
#include "TAVTransaction.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <QSqlDatabase>

namespace {
const char *kChannel = "orvalo_zmiany";
const int kGatherMs = 250;
// More than one changed row in one reading means a burst is under way.
const int kBurstChanges = 1;
} // namespace

TAVLiveUpdates *TAVLiveUpdates::instance()
{
    static TAVLiveUpdates *live = new TAVLiveUpdates;
    return live;
}

TAVLiveUpdates::TAVLiveUpdates()
{
    m_flush.setSingleShot(true);
    connect(&m_flush, &QTimer::timeout, this, &TAVLiveUpdates::flush);
    m_retry.setInterval(5000);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (connectNow()) {
            m_retry.stop();
            // What changed while nobody listened: everything shown is read again.
            m_whole.insert(QString());
            flush();
        }
    });
}

bool TAVLiveUpdates::start()
{
    m_wanted = true;
    if (m_conn)
        return true;
    if (connectNow())
        return true;
    m_retry.start();
    return false;
}

void TAVLiveUpdates::stop()
{
    m_wanted = false;
    m_retry.stop();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_conn) {
        PQfinish(m_conn);
        m_conn = nullptr;
        Q_EMIT liveChanged(false);
    }
}

bool TAVLiveUpdates::connectNow()
{
    PGconn *c = TAVDb::openSideConnection("Orvalo (aktualizacje)");
    if (!c)
        return false;
    PGresult *r = PQexec(c, (QByteArrayLiteral("LISTEN ") + kChannel).constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    if (!ok) {
        PQfinish(c);
        return false;
    }
    m_conn = c;
    m_notifier = new QSocketNotifier(PQsocket(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TAVLiveUpdates::onReadable);
    Q_EMIT liveChanged(true);
    return true;
}

int TAVLiveUpdates::keyLimit()
{
    if (m_keyLimit <= 0) {
        TAVDbError error;
        const TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT f_limit_kluczy_powiadomienia()"), {}, &error);
        if (r && PQresultStatus(r.get()) == PGRES_TUPLES_OK && PQntuples(r.get()) == 1)
            m_keyLimit = QByteArray(PQgetvalue(r.get(), 0, 0)).toInt();
    }
    return m_keyLimit;
}

void TAVLiveUpdates::lost()
{
    qDebug() << "TAVLiveUpdates::lost()";
    delete m_notifier;
    m_notifier = nullptr;
    PQfinish(m_conn);
    m_conn = nullptr;
    Q_EMIT liveChanged(false);
    if (m_wanted)
        m_retry.start();
}

void TAVLiveUpdates::poll()
{
    onReadable();
    if (!m_pending.isEmpty() || !m_whole.isEmpty())
        flush();
}

void TAVLiveUpdates::onReadable()
{
    if (!m_conn)
        return;
    if (!PQconsumeInput(m_conn) || PQstatus(m_conn) != CONNECTION_OK) {
        lost();
        return;
    }
    PGconn *own = TAVDb::connection(false);
    const int ownPid = own ? PQbackendPID(own) : 0;
    while (PGnotify *n = PQnotifies(m_conn)) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray(n->extra)).object();
        PQfreemem(n);
        const QString table = o.value(QStringLiteral("t")).toString();
        // The echo of this workstation's own writes: already shown.
        if (table.isEmpty() || o.value(QStringLiteral("p")).toInt() == ownPid)
            continue;
        const QJsonValue keys = o.value(QStringLiteral("k"));
        if (keys.isNull() || keys.isUndefined()) {
            m_whole.insert(table);
            continue;
        }
        QSet<qint64> &set = m_pending[table];
        for (const QString &k : keys.toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
            set.insert(k.toLongLong());
    }
    if (m_flush.isActive())
        return;
    // News is read at once unless the last reading was a moment ago: then
    // what comes is gathered for a few times as long as that reading took,
    // and for a quarter of a second after a reading of many changes, so that
    // a burst costs a few reads.
    const qint64 pause = m_lastWasBurst ? kGatherMs : qBound(qint64(0), m_flushCost * 4, qint64(kGatherMs));
    const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : pause;
    m_flush.start(int(qMax<qint64>(0, pause - since)));
}

void TAVLiveUpdates::flush()
{
    // A command in the middle of its transaction reads after it ends.
    if (TAVTransaction::active()) {
        m_flush.start(kGatherMs);
        return;
    }
    m_sinceFlush.restart();
    TAVChangeBus *bus = TAVChangeBus::instance();
    const QScopedValueRollback<bool> quiet(m_readingNews, true);
    const QSet<QString> whole = std::exchange(m_whole, {});
    const QHash<QString, QSet<qint64>> pending = std::exchange(m_pending, {});
    for (const QString &t : whole)
        bus->announceTable(t);
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (whole.contains(it.key()))
            continue;
        QList<qint64> keys(it.value().cbegin(), it.value().cend());
        std::sort(keys.begin(), keys.end());
        bus->announce(it.key(), keys, nullptr);
    }
    if (!whole.isEmpty() || !pending.isEmpty())
        Q_EMIT delivered();
    qsizetype changes = whole.size();
    for (auto it = pending.cbegin(); it != pending.cend(); ++it)
        changes += m_echoTables.contains(it.key()) ? 0 : it.value().size();
    m_lastWasBurst = changes > kBurstChanges;
    m_flushCost = m_sinceFlush.elapsed();
    m_sinceFlush.restart();
}
