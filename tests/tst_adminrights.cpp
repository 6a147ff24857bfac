// Administrator rights: granted and withdrawn between the two lists, never
// from the last administrator, and only by an administrator.

#include "AdminPermissionFrame.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QAbstractProxyModel>
#include <QResource>
#include <QTableView>
#include <QToolButton>

class TstAdminRights : public QObject
{
    Q_OBJECT

private:
    static QTableView *table(AdminPermissionFrame &f, const char *name) { return f.findChild<QTableView *>(QLatin1String(name)); }
    static QToolButton *button(AdminPermissionFrame &f, const char *name) { return f.findChild<QToolButton *>(QLatin1String(name)); }

    static QStringList logins(AdminPermissionFrame &f, const char *name)
    {
        QTableView *view = table(f, name);
        auto *proxy = qobject_cast<QAbstractProxyModel *>(view->model());
        QStringList out;
        for (int r = 0; r < proxy->rowCount(); ++r)
            out << f.model()->value(proxy->mapToSource(proxy->index(r, 0)).row(), QStringLiteral("uzt_login")).toString();
        out.sort();
        return out;
    }
    static void select(AdminPermissionFrame &f, const char *name, const QString &login)
    {
        QTableView *view = table(f, name);
        auto *proxy = qobject_cast<QAbstractProxyModel *>(view->model());
        for (int r = 0; r < proxy->rowCount(); ++r) {
            if (f.model()->value(proxy->mapToSource(proxy->index(r, 0)).row(), QStringLiteral("uzt_login")) == login) {
                view->selectRow(r);
                return;
            }
        }
        QFAIL(qPrintable(login));
    }
    static int admins() { return TestDb::scalar(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_admin")).toInt(); }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }
    void init() { QVERIFY(Session::start()); }

    void grantAndWithdraw()
    {
        AdminPermissionFrame f;
        QCOMPARE(logins(f, "tvAdmins"), QStringList{QStringLiteral("admin")});
        QCOMPARE(logins(f, "tvAvailable"), (QStringList{QStringLiteral("kierownik"), QStringLiteral("magazynier")}));
        QVERIFY(table(f, "tvAvailable")->isColumnHidden(f.model()->fieldIndex(QStringLiteral("ovupradm_id"))));
        ModalDriver driver;
        select(f, "tvAvailable", QStringLiteral("magazynier"));
        button(f, "tbAdd")->click();
        QCOMPARE(logins(f, "tvAdmins"), (QStringList{QStringLiteral("admin"), QStringLiteral("magazynier")}));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT fk_uzt_stworzono FROM ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 3")).toInt(), 1);

        select(f, "tvAdmins", QStringLiteral("magazynier"));
        driver.pressNext(QMessageBox::No);
        button(f, "tbRem")->click();
        QCOMPARE(admins(), 2);
        driver.pressNext(QMessageBox::Yes);
        button(f, "tbRem")->click();
        QCOMPARE(admins(), 1);
        QCOMPARE(logins(f, "tvAvailable"), (QStringList{QStringLiteral("kierownik"), QStringLiteral("magazynier")}));
        // Nothing chosen: nothing happens.
        table(f, "tvAvailable")->setCurrentIndex(QModelIndex());
        button(f, "tbAdd")->click();
        QCOMPARE(admins(), 1);
    }

    void theLastAdministratorStays()
    {
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) VALUES (2)")));
        {
            // The demo administrator's right is a system row.
            AdminPermissionFrame f;
            ModalDriver driver;
            select(f, "tvAdmins", QStringLiteral("admin"));
            driver.pressNext(QMessageBox::Yes);
            driver.expectBox(QStringLiteral("Usuwanie wpisu"), QStringLiteral("Wpis systemowy - nie można go usunąć."));
            button(f, "tbRem")->click();
        }
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 1")));
        AdminPermissionFrame f;
        ModalDriver driver;
        select(f, "tvAdmins", QStringLiteral("kierownik"));
        driver.onNext([](QWidget *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Uprawnienia administratora"));
            QVERIFY(qobject_cast<QMessageBox *>(box)->text().startsWith(QStringLiteral("Nie można odebrać praw ostatniemu administratorowi.")));
            ModalDriver::close(box);
        });
        button(f, "tbRem")->click();
        QCOMPARE(admins(), 1);
    }

    void aManagerOnlyLooks()
    {
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        AdminPermissionFrame f;
        QVERIFY(!button(f, "tbAdd")->isEnabled() && !button(f, "tbRem")->isEnabled());
        // The slot refuses as well, whoever calls it.
        select(f, "tvAvailable", QStringLiteral("magazynier"));
        f.addAdmin();
        QCOMPARE(admins(), 1);
    }
};

ORV_TEST_MAIN(TstAdminRights)
#include "tst_adminrights.moc"
