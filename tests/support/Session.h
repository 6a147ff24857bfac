#pragma once

#include "OVApplication.h"
#include "TAVDb.h"
#include "TestDb.h"

#include <QSqlQuery>

// Signs the test in the way the program does after its login dialog: the
// default connection as the client role, and a session user.
namespace Session {

inline qint32 userId(const QString &login)
{
    return TestDb::scalar(QStringLiteral("SELECT uzt_id FROM uzytkownicy WHERE uzt_login = ?"), {login}).toInt();
}

// Fresh database, default connection open, `login` as the session user.
inline bool start(const QString &login = QStringLiteral("admin"))
{
    if (!TestDb::resetDatabase())
        return false;
    OVApplication *app = OVApplication::instance();
    app->setUztId(0);
    if (TestDb::serverRights()) {
        // Demo accounts have their login as password.
        qint32 id = 0;
        if (app->signIn(TestDb::host(), TestDb::port(), QString(), QString(), login, login, id)
            != OVApplication::SignIn::SignedIn)
            return false;
        app->setLogin(login);
        app->setUztId(id);
        return true;
    }
    if (!app->connectDatabase(TestDb::host(), TestDb::port(), app->databaseName(),
                              TestDb::clientUser(), TestDb::clientPassword()))
        return false;
    app->setLogin(login);
    app->setUztId(userId(login));
    return app->uztId() > 0;
}

// The default connection's server process goes away under the program.
inline bool loseConnection()
{
    PGconn *c = TAVDb::connection(false);
    return c && TestDb::terminateBackend(PQbackendPID(c));
}

// The client role's standard_conforming_strings, from a new default
// connection on (the role's setting holds from the next connection).
inline bool conformingStrings(bool on)
{
    if (!TestDb::exec(on ? QStringLiteral("ALTER ROLE tav_orv_user RESET standard_conforming_strings")
                         : QStringLiteral("ALTER ROLE tav_orv_user SET standard_conforming_strings = off")))
        return false;
    OVApplication *app = OVApplication::instance();
    if (!app->connectDatabase(TestDb::host(), TestDb::port(), app->databaseName(), TestDb::clientUser(),
                              TestDb::clientPassword()))
        return false;
    QSqlQuery q(QSqlDatabase::database());
    return q.exec(QStringLiteral("SHOW standard_conforming_strings")) && q.next()
            && q.value(0).toString() == QLatin1String(on ? "on" : "off");
}

// The server refuses new connections, as while it restarts, and the
// default connection's server process is gone; serverBack() ends it.
inline bool serverAway()
{
    const QString who = TestDb::serverRights() ? QStringLiteral("tav_orv_uzytkownicy") : TestDb::clientUser();
    return TestDb::exec(QStringLiteral("REVOKE CONNECT ON DATABASE \"TAV_ORV\" FROM PUBLIC, %1").arg(who))
            && loseConnection();
}
inline bool serverBack()
{
    return TestDb::exec(QStringLiteral("GRANT CONNECT ON DATABASE \"TAV_ORV\" TO %1")
                                .arg(TestDb::serverRights() ? QStringLiteral("tav_orv_uzytkownicy") : QStringLiteral("PUBLIC")));
}

} // namespace Session
