#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Access to the throwaway PostgreSQL cluster that test.sh starts. The
// address comes from ORV_TEST_PGHOST / ORV_TEST_PGPORT / ORV_TEST_PGUSER
// (a superuser); only the tests read the environment.
namespace TestDb {

QString host();
int port();
QString superUser();
QString superPassword();

// Whether the suite runs against a database whose users sign in with
// accounts of their own (ORV_TEST_MODE=serwer; test.sh makes its template).
bool serverRights();

// The client's own role, as created by schema/create.sh: the shared role,
// or the demo administrator's account in server-rights mode.
QString clientUser();      // "tav_orv_user" / "tav_orv.admin"
QString clientPassword();  // "MOB_tae" / "admin"

// Recreates "TAV_ORV" from the pristine copy made after the demo load
// ("TAV_ORV_PRISTINE", or "TAV_ORV_PRISTINE_SERWER" in server-rights
// mode), closing every connection to it first.
// Returns false (and qWarning()s why) when that fails.
bool resetDatabase();

// A named connection of its own to "TAV_ORV" (not the default connection),
// as the client role unless told otherwise. Opened; check isOpen().
QSqlDatabase open(const QString &connectionName,
                  const QString &user = QString(),
                  const QString &password = QString());

// A named connection as the superuser to another database of the cluster.
QSqlDatabase openOther(const QString &connectionName, const QString &database);

// One value read through a side connection of the test's own
// ("testdb_side", opened on first use as the superuser), with positional
// '?' binds. Invalid QVariant on failure (and a qWarning()).
QVariant scalar(const QString &sql, const QVariantList &binds = {});

// Runs a statement through the same side connection; false on failure.
bool exec(const QString &sql, const QVariantList &binds = {});

// The SQLSTATE of the last failed scalar()/exec(), empty if none.
QString lastSqlState();

// Ends the server process of a backend, as a restarted server or a broken
// network would, and waits until it is gone.
bool terminateBackend(int pid);

} // namespace TestDb

// The tests' short name for a value read through the side connection.
inline QVariant db(const QString &sql, const QVariantList &binds = {})
{
    return TestDb::scalar(sql, binds);
}
