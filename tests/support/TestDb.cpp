#include "TestDb.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {
const char *kSide = "testdb_side";
const char *kAdmin = "testdb_admin";
QString s_lastSqlState;

QString env(const char *name, const QString &fallback = QString())
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

void dropConnection(const QString &name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QSqlDatabase connectTo(const QString &connectionName, const QString &database,
                       const QString &user, const QString &password)
{
    dropConnection(connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(TestDb::host());
    db.setPort(TestDb::port());
    db.setDatabaseName(database);
    db.setUserName(user);
    db.setPassword(password);
    if (!db.open())
        qWarning() << "TestDb: cannot open" << connectionName << db.lastError().text();
    return db;
}

bool run(QSqlQuery &q, const QString &sql, const QVariantList &binds)
{
    s_lastSqlState.clear();
    // Statements without binds run unprepared: DDL cannot be prepared.
    if (binds.isEmpty()) {
        if (!q.exec(sql)) {
            s_lastSqlState = q.lastError().nativeErrorCode();
            return false;
        }
        return true;
    }
    if (!q.prepare(sql)) {
        s_lastSqlState = q.lastError().nativeErrorCode();
        qWarning() << "TestDb: prepare failed" << sql << q.lastError().text();
        return false;
    }
    for (const QVariant &v : binds)
        q.addBindValue(v);
    if (!q.exec()) {
        s_lastSqlState = q.lastError().nativeErrorCode();
        return false;
    }
    return true;
}

QSqlDatabase side()
{
    if (QSqlDatabase::contains(QLatin1String(kSide))) {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(kSide));
        if (db.isOpen())
            return db;
    }
    return connectTo(QLatin1String(kSide), QStringLiteral("TAV_ORV"), TestDb::superUser(), TestDb::superPassword());
}
} // namespace

namespace TestDb {

QString host() { return env("ORV_TEST_PGHOST", QStringLiteral("127.0.0.1")); }
int port() { return env("ORV_TEST_PGPORT", QStringLiteral("0")).toInt(); }
QString superUser() { return env("ORV_TEST_PGUSER", QStringLiteral("postgres")); }
QString superPassword() { return env("ORV_TEST_PGPASSWORD"); }
bool serverRights() { return qEnvironmentVariable("ORV_TEST_MODE") == QLatin1String("serwer"); }
// With server accounts a second workstation is the administrator's own.
QString clientUser() { return serverRights() ? QStringLiteral("tav_orv.admin") : QStringLiteral("tav_orv_user"); }
QString clientPassword() { return serverRights() ? QStringLiteral("admin") : QStringLiteral("MOB_tae"); }

bool resetDatabase()
{
    if (port() <= 0) {
        qWarning() << "TestDb: ORV_TEST_PGPORT is not set; run the suite through ./test.sh";
        return false;
    }
    dropConnection(QLatin1String(kSide));
    bool ok = false;
    {
        QSqlDatabase admin = connectTo(QLatin1String(kAdmin), QStringLiteral("postgres"), superUser(), superPassword());
        if (admin.isOpen()) {
            QSqlQuery q(admin);
            ok = q.exec(QStringLiteral("DROP DATABASE IF EXISTS \"TAV_ORV\" WITH (FORCE)"))
                && q.exec(QStringLiteral("CREATE DATABASE \"TAV_ORV\" TEMPLATE \"%1\"")
                                  .arg(serverRights() ? QLatin1String("TAV_ORV_PRISTINE_SERWER")
                                                      : QLatin1String("TAV_ORV_PRISTINE")));
            // A copy does not take the database's own rights along.
            if (ok && serverRights())
                ok = q.exec(QStringLiteral("REVOKE ALL ON DATABASE \"TAV_ORV\" FROM PUBLIC"))
                    && q.exec(QStringLiteral("GRANT CONNECT ON DATABASE \"TAV_ORV\" TO tav_orv_uzytkownicy"));
            if (!ok)
                qWarning() << "TestDb: reset failed" << q.lastError().text();
        }
    }
    dropConnection(QLatin1String(kAdmin));
    return ok;
}

QSqlDatabase open(const QString &connectionName, const QString &user, const QString &password)
{
    return connectTo(connectionName, QStringLiteral("TAV_ORV"),
                     user.isEmpty() ? clientUser() : user,
                     user.isEmpty() ? clientPassword() : password);
}

QSqlDatabase openOther(const QString &connectionName, const QString &database)
{
    return connectTo(connectionName, database, superUser(), superPassword());
}

QVariant scalar(const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(side());
    if (!run(q, sql, binds)) {
        qWarning() << "TestDb: query failed" << sql << q.lastError().text();
        return QVariant();
    }
    return q.next() ? q.value(0) : QVariant();
}

bool exec(const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(side());
    return run(q, sql, binds);
}

QString lastSqlState() { return s_lastSqlState; }

bool terminateBackend(int pid)
{
    if (pid <= 0 || !scalar(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid}).toBool())
        return false;
    for (int i = 0; i < 200; ++i) {
        if (scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE pid = ?"), {pid}).toInt() == 0)
            return true;
        QThread::msleep(10);
    }
    return false;
}

} // namespace TestDb
