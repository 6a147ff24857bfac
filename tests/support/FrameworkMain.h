#pragma once

#include "TAVSession.h"
#include "TestDb.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QtTest>

// For tests of the data layer alone, without the application object: the
// session is an administrator's, on the default connection as the client
// role, which start() opens anew on a fresh database.
class FrameworkSession : public TAVSession
{
public:
    QString login() const override { return QStringLiteral("admin"); }
    qint32 uztId() const override { return 1; }
    bool isAdmin() override { return true; }
    QList<qint32> managedWarehouses() override { return {}; }
    QString uprMgzAsString(qint32) const override { return QString(); }

    static bool start()
    {
        if (!TestDb::resetDatabase())
            return false;
        const QString name = QLatin1String(QSqlDatabase::defaultConnection);
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
        db.setHostName(TestDb::host());
        db.setPort(TestDb::port());
        db.setDatabaseName(QStringLiteral("TAV_ORV"));
        db.setUserName(TestDb::clientUser());
        db.setPassword(TestDb::clientPassword());
        return db.open();
    }
};

#define ORV_FRAMEWORK_TEST_MAIN(TestObject)                        \
    int main(int argc, char **argv)                                \
    {                                                              \
        QApplication app(argc, argv);                              \
        FrameworkSession session;                                  \
        TAVSession::setCurrent(&session);                          \
        TestObject tc;                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&tc, argc, argv);                      \
    }
