#pragma once

// What the benchmark programs share: the server from the environment,
// raw libpq access and the memory of the process.
#include <QFile>
#include <QString>

#include <libpq-fe.h>
#include <sys/resource.h>

#include <cstdio>

namespace bench {

inline long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline QString env(const char *name, const char *fallback)
{
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromLatin1(fallback) : v;
}

// The resident memory now, in KiB.
inline long currentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts.at(1).toLong() * 4 : 0;
}

// The program's own connection, as a signed-in workstation has it.
template <typename App>
inline bool connectApp(App &app)
{
    return app.connectDatabase(env("PGHOST", "127.0.0.1"), env("PGPORT", "5432").toInt(), app.databaseName(),
                               env("PGUSER", "tav_orv_user"), env("PGPASSWORD", "MOB_tae"));
}

// The same server through libpq; null (reported) when it cannot connect.
inline PGconn *connectRaw()
{
    const QByteArray info = QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=TAV_ORV")
                                    .arg(env("PGHOST", "127.0.0.1"), env("PGPORT", "5432"),
                                         env("PGUSER", "tav_orv_user"), env("PGPASSWORD", "MOB_tae"))
                                    .toUtf8();
    PGconn *c = PQconnectdb(info.constData());
    if (PQstatus(c) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(c));
        PQfinish(c);
        return nullptr;
    }
    return c;
}

// Runs a statement that returns no rows on a connection of its own; prints
// how many rows it touched.
inline bool runCommand(const QString &sql)
{
    PGconn *c = connectRaw();
    if (!c)
        return false;
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok)
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
    else
        std::printf("fill  added=%s\n", PQcmdTuples(r));
    PQclear(r);
    PQfinish(c);
    return ok;
}

// Reads every value of a result, as a view would. The result is the
// caller's to clear, so that it chooses whether freeing it is timed.
inline PGresult *readAll(PGconn *c, const QString &query, int *rows, int *cols, qint64 *bytes)
{
    PGresult *r = PQexec(c, query.toUtf8().constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
        PQclear(r);
        return nullptr;
    }
    *rows = PQntuples(r);
    *cols = PQnfields(r);
    *bytes = 0;
    for (int i = 0; i < *rows; ++i)
        for (int j = 0; j < *cols; ++j)
            *bytes += PQgetlength(r, i, j);
    return r;
}

} // namespace bench
