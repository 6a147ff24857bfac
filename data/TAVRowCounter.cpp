#include "TAVRowCounter.h"

#include "TAVDb.h"

#include <QDebug>
#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>

TAVRowCounter *TAVRowCounter::instance()
{
    static TAVRowCounter *counter = new TAVRowCounter;
    return counter;
}

void TAVRowCounter::request(QObject *owner, const QString &statement, std::function<void(qint64)> done)
{
    for (int i = m_queue.size() - 1; i >= 0; --i) {
        if (m_queue.at(i).owner == owner || !m_queue.at(i).owner)
            m_queue.removeAt(i);
    }
    m_queue.append({owner, statement, std::move(done)});
    if (!m_running)
        QTimer::singleShot(0, this, &TAVRowCounter::startNext);
}

void TAVRowCounter::disconnect()
{
    m_now = false;
    delete m_notifier;
    m_notifier = nullptr;
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_running = false;
}

bool TAVRowCounter::ensureConnected()
{
    if (m_conn && PQstatus(m_conn) != CONNECTION_OK)
        disconnect();
    if (m_conn)
        return true;
    m_conn = TAVDb::openSideConnection("Orvalo (liczenie)");
    if (!m_conn)
        return false;
    m_notifier = new QSocketNotifier(PQsocket(m_conn), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TAVRowCounter::onReadable);
    return true;
}

qint64 TAVRowCounter::readCount()
{
    qint64 count = -1;
    while (PGresult *r = PQgetResult(m_conn)) {
        if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1)
            count = QByteArray(PQgetvalue(r, 0, 0)).toLongLong();
        else
            qDebug() << "TAVRowCounter:" << PQresultErrorMessage(r);
        PQclear(r);
    }
    return count;
}

void TAVRowCounter::settleDropped()
{
    if (!m_conn || !m_now || !m_nowDropped)
        return;
    if (!PQconsumeInput(m_conn)) {
        disconnect();
    } else if (!PQisBusy(m_conn)) {
        readCount();
        m_now = false;
    }
}

bool TAVRowCounter::startNow(const QString &statement)
{
    settleDropped();
    if (m_running || m_now || !ensureConnected())
        return false;
    if (!PQsendQuery(m_conn, statement.toUtf8().constData())) {
        disconnect();
        return false;
    }
    m_now = true;
    m_nowDropped = false;
    return true;
}

qint64 TAVRowCounter::waitNow()
{
    if (!m_now || !m_conn)
        return -1;
    m_now = false;
    while (PQconsumeInput(m_conn) && PQisBusy(m_conn)) {
        pollfd p{PQsocket(m_conn), POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0)
            break;
    }
    const qint64 count = PQisBusy(m_conn) ? -1 : readCount();
    if (count < 0)
        disconnect();
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &TAVRowCounter::startNext);
    return count;
}

void TAVRowCounter::dropNow()
{
    if (m_now)
        m_nowDropped = true;
}

void TAVRowCounter::startNext()
{
    if (m_running || m_now)
        return;
    while (!m_queue.isEmpty() && !m_queue.first().owner)
        m_queue.removeFirst();
    if (m_queue.isEmpty())
        return;
    m_current = m_queue.takeFirst();
    if (!ensureConnected()) {
        finish(-1);
        return;
    }
    if (!PQsendQuery(m_conn, m_current.statement.toUtf8().constData())) {
        retry();
        return;
    }
    m_running = true;
}

void TAVRowCounter::onReadable()
{
    if (m_conn && m_now && m_nowDropped) {
        settleDropped();
        if (!m_now && !m_queue.isEmpty())
            QTimer::singleShot(0, this, &TAVRowCounter::startNext);
        return;
    }
    if (!m_conn || !m_running)
        return;
    if (!PQconsumeInput(m_conn)) {
        retry();
        return;
    }
    if (PQisBusy(m_conn))
        return;
    const qint64 count = readCount();
    m_running = false;
    if (count < 0 && PQstatus(m_conn) != CONNECTION_OK) {
        retry();
        return;
    }
    finish(count);
}

void TAVRowCounter::retry()
{
    disconnect();
    if (m_current.retried) {
        finish(-1);
        return;
    }
    m_current.retried = true;
    m_queue.prepend(std::move(m_current));
    m_current = Request();
    QTimer::singleShot(0, this, &TAVRowCounter::startNext);
}

void TAVRowCounter::finish(qint64 count)
{
    m_running = false;
    Request done = std::move(m_current);
    m_current = Request();
    if (done.owner && done.done)
        done.done(count);
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &TAVRowCounter::startNext);
}
