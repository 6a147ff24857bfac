#include "TAVTransaction.h"

#include <QDebug>

namespace {
TAVTransaction *s_active = nullptr;
}

TAVChangeBus *TAVChangeBus::instance()
{
    static TAVChangeBus *bus = new TAVChangeBus;
    return bus;
}

void TAVChangeBus::announce(const QString &table, const QList<qint64> &keys, QObject *origin)
{
    if (keys.isEmpty())
        return;
    m_pending.append({table, keys, origin, false});
    if (!TAVTransaction::active())
        flush();
}

void TAVChangeBus::announceTable(const QString &table)
{
    m_pending.append({table, {}, nullptr, true});
    if (!TAVTransaction::active())
        flush();
}

void TAVChangeBus::discardPendingOrigins()
{
    for (Pending &p : m_pending)
        p.origin = nullptr;
}

void TAVChangeBus::flush()
{
    // A receiver may write and announce in turn; take the list first.
    while (!m_pending.isEmpty()) {
        const QList<Pending> batch = std::exchange(m_pending, {});
        for (const Pending &p : batch) {
            if (p.wholeTable)
                Q_EMIT tableChanged(p.table);
            else
                Q_EMIT rowsChanged(p.table, p.keys, p.origin);
        }
    }
}

TAVTransaction::TAVTransaction() : m_outer(s_active)
{
    s_active = this;
    if (m_outer) {
        // Part of the enclosing transaction.
        m_ok = m_outer->m_ok;
        m_conn = m_outer->m_conn;
        m_backend = m_outer->m_backend;
        return;
    }
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("BEGIN"), {}, &m_error);
    PGconn *c = TAVDb::connection(false);
    m_ok = r && c && PQtransactionStatus(c) == PQTRANS_INTRANS;
    if (!m_ok) {
        if (!m_error.isError())
            m_error = TAVDb::connectionError();
        qDebug() << "TAVTransaction::TAVTransaction()";
        qDebug() << "   BEGIN failed:" << m_error.sqlState << m_error.message;
        return;
    }
    m_conn = c;
    m_backend = PQbackendPID(c);
}

TAVTransaction::~TAVTransaction()
{
    if (!m_done)
        rollback();
    s_active = m_outer;
    if (!s_active)
        TAVChangeBus::instance()->flush();
}

TAVTransaction *TAVTransaction::active()
{
    return s_active;
}

bool TAVTransaction::writeAllowed(TAVDbError *error)
{
    if (!s_active)
        return true;
    TAVTransaction *t = s_active;
    PGconn *c = TAVDb::connection(false);
    if (t->m_ok && !t->m_done && c == t->m_conn && c && PQstatus(c) == CONNECTION_OK
        && PQbackendPID(c) == t->m_backend && PQtransactionStatus(c) == PQTRANS_INTRANS)
        return true;
    if (error) {
        if (c && PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_INERROR) {
            error->sqlState = QStringLiteral("25P02");
            error->message = QStringLiteral("current transaction is aborted");
        } else {
            *error = TAVDb::connectionError();
        }
    }
    return false;
}

void TAVTransaction::touch(const QString &table, qint64 key)
{
    for (TAVTransaction *t = this; t; t = t->m_outer) {
        if (!t->m_outer)
            t->m_touched[table].append(key);
    }
}

void TAVChangeBus::announceServer(const QString &server)
{
    Q_EMIT serverChanged(server);
    announceTable(QString());
}

bool TAVTransaction::commit()
{
    if (m_done)
        return false;
    if (m_outer) {
        // The enclosing guard commits; this part only reports its health.
        m_done = true;
        return writeAllowed(&m_error);
    }
    if (!m_ok) {
        m_done = true;
        return false;
    }
    if (!writeAllowed(&m_error)) {
        finish(false);
        return false;
    }
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("COMMIT"), {}, &m_error);
    // COMMIT of a failed transaction answers ROLLBACK.
    const bool committed = r && qstrcmp(PQcmdStatus(r.get()), "COMMIT") == 0;
    // Lost with the answer to COMMIT (a server gone, a failover): whether the
    // change is on the server nobody here can tell; never reported as saved.
    if (!committed && m_error.connectionLost())
        m_error.sqlState = QStringLiteral("08007");
    if (!committed && !m_error.isError()) {
        m_error.sqlState = QStringLiteral("25P02");
        m_error.message = QStringLiteral("transaction rolled back at commit");
    }
    finish(committed);
    return committed;
}

void TAVTransaction::rollback()
{
    if (m_done)
        return;
    if (m_outer) {
        m_done = true;
        m_outer->rollback();
        return;
    }
    PGconn *c = TAVDb::connection(false);
    // A connection that was lost or replaced has nothing left to undo.
    if (m_ok && c == m_conn && c && PQstatus(c) == CONNECTION_OK && PQbackendPID(c) == m_backend
        && PQtransactionStatus(c) != PQTRANS_IDLE) {
        TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("ROLLBACK"));
        Q_UNUSED(r);
    }
    finish(false);
}

void TAVTransaction::finish(bool committed)
{
    m_done = true;
    TAVChangeBus *bus = TAVChangeBus::instance();
    if (!committed) {
        bus->discardPendingOrigins();
        // What the registers showed of these rows was never committed.
        for (auto it = m_touched.cbegin(); it != m_touched.cend(); ++it)
            bus->announce(it.key(), it.value(), nullptr);
    }
    m_touched.clear();
}
