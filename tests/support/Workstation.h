#pragma once

#include "TAVDb.h"
#include "TestDb.h"

#include <libpq-fe.h>

// A second workstation: a connection of its own to the test database as
// the client's role, for races and for changes made elsewhere.
class Workstation
{
public:
    Workstation()
    {
        const QByteArray info = QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=TAV_ORV")
                                        .arg(TestDb::host())
                                        .arg(TestDb::port())
                                        .arg(TestDb::clientUser(), TestDb::clientPassword())
                                        .toUtf8();
        m_conn = PQconnectdb(info.constData());
    }
    ~Workstation() { PQfinish(m_conn); }
    Workstation(const Workstation &) = delete;
    Workstation &operator=(const Workstation &) = delete;

    // The statements in one transaction. Empty when committed, else what
    // the program would tell its user about the refusal.
    QString run(const QString &sql)
    {
        PGresult *r = PQexec(m_conn, (QStringLiteral("BEGIN; ") + sql + QStringLiteral("; COMMIT")).toUtf8().constData());
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
        const QString cause = ok ? QString() : TAVDb::causeSentence(TAVDb::errorOf(r));
        PQclear(r);
        if (!ok)
            PQclear(PQexec(m_conn, "ROLLBACK"));
        return cause;
    }

    // The statements in a transaction left open, its locks held until
    // commit(); what the program would say of a refusal, else empty.
    QString begin(const QString &sql)
    {
        PGresult *r = PQexec(m_conn, (QStringLiteral("BEGIN; ") + sql).toUtf8().constData());
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
        const QString cause = ok ? QString() : TAVDb::causeSentence(TAVDb::errorOf(r));
        PQclear(r);
        return cause;
    }
    void commit() { PQclear(PQexec(m_conn, "COMMIT")); }

private:
    PGconn *m_conn = nullptr;
};
