#include "AdminPermissionFrame.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QAbstractProxyModel>
#include <QResource>
#include <QSqlRecord>
#include <QTableView>
#include <QToolButton>

class TstAdminRights : public QObject
{
    Q_OBJECT

private:
    static QTableView *table(AdminPermissionFrame &f, const char *name)
    {
        return f.findChild<QTableView *>(QString::fromLatin1(name));
    }

    static QToolButton *button(AdminPermissionFrame &f, const char *name)
    {
        return f.findChild<QToolButton *>(QString::fromLatin1(name));
    }

    static QStringList logins(QTableView *view)
    {
        QStringList out;
        auto *proxy = qobject_cast<QAbstractProxyModel *>(view->model());
        auto *source = qobject_cast<QSqlQueryModel *>(proxy->sourceModel());
        for (int r = 0; r < proxy->rowCount(); ++r)
            out << source->record(proxy->mapToSource(proxy->index(r, 0)).row()).value(QStringLiteral("uzt_login")).toString();
        out.sort();
        return out;
    }

    static void selectLogin(QTableView *view, const QString &login)
    {
        auto *proxy = qobject_cast<QAbstractProxyModel *>(view->model());
        auto *source = qobject_cast<QSqlQueryModel *>(proxy->sourceModel());
        for (int r = 0; r < proxy->rowCount(); ++r) {
            if (source->record(proxy->mapToSource(proxy->index(r, 0)).row()).value(QStringLiteral("uzt_login")) == login) {
                view->selectRow(r);
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no row for ") + login));
    }

    static int admins() { return TestDb::scalar(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_admin")).toInt(); }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }

    void init() { QVERIFY(Session::start()); }

    void layoutOfTheFrame()
    {
        AdminPermissionFrame f;
        QCOMPARE(logins(table(f, "tvAdmins")), QStringList{QStringLiteral("admin")});
        QCOMPARE(logins(table(f, "tvAvailable")), (QStringList{QStringLiteral("kierownik"), QStringLiteral("magazynier")}));
        QTableView *v = table(f, "tvAvailable");
        TAVTableModel *m = f.model();
        QVERIFY(v->isColumnHidden(m->fieldIndex(QStringLiteral("ovupradm_id"))));
        QVERIFY(!v->isColumnHidden(m->fieldIndex(QStringLiteral("uzt_login"))));
        QCOMPARE(v->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(v->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(v->itemDelegateForColumn(m->fieldIndex(QStringLiteral("uzt_zatrudniony"))));
        QVERIFY(button(f, "tbAdd")->isEnabled());
        QVERIFY(!button(f, "tbAdd")->icon().isNull());
        QCOMPARE(button(f, "tbRem")->text(), QStringLiteral("Cofinij uprawniania"));
    }

    void grantAndWithdraw()
    {
        AdminPermissionFrame f;
        ModalDriver driver;
        selectLogin(table(f, "tvAvailable"), QStringLiteral("magazynier"));
        button(f, "tbAdd")->click();
        QCOMPARE(driver.count(), 0);
        QCOMPARE(logins(table(f, "tvAdmins")), (QStringList{QStringLiteral("admin"), QStringLiteral("magazynier")}));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT fk_uzt_stworzono FROM ov_uprawnienia_admin "
                                               "WHERE ovupradm_fk_uzt = ?"), {Session::userId(QStringLiteral("magazynier"))})
                         .toInt(),
                 Session::userId(QStringLiteral("admin")));

        // Answering No keeps the right.
        selectLogin(table(f, "tvAdmins"), QStringLiteral("magazynier"));
        driver.pressNext(QMessageBox::No);
        button(f, "tbRem")->click();
        QCOMPARE(admins(), 2);

        selectLogin(table(f, "tvAdmins"), QStringLiteral("magazynier"));
        driver.pressNext(QMessageBox::Yes);
        button(f, "tbRem")->click();
        QCOMPARE(admins(), 1);
        QCOMPARE(logins(table(f, "tvAvailable")), (QStringList{QStringLiteral("kierownik"), QStringLiteral("magazynier")}));

        // Nothing chosen: nothing happens.
        table(f, "tvAvailable")->clearSelection();
        table(f, "tvAvailable")->setCurrentIndex(QModelIndex());
        button(f, "tbAdd")->click();
        QCOMPARE(admins(), 1);
        QCOMPARE(driver.count(), 2);
    }

    void theLastAdministratorStays()
    {
        // The demo administrator's right is a system row; make a second,
        // ordinary administrator the only one left.
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) VALUES (2)")));
        {
            AdminPermissionFrame f;
            ModalDriver driver;
            selectLogin(table(f, "tvAdmins"), QStringLiteral("admin"));
            driver.pressNext(QMessageBox::Yes);
            button(f, "tbRem")->click();
            QCOMPARE(driver.last().text, QStringLiteral("Wpis systemowy - nie można go usunąć."));
            QCOMPARE(admins(), 2);
        }
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 1")));
        AdminPermissionFrame f;
        ModalDriver driver;
        selectLogin(table(f, "tvAdmins"), QStringLiteral("kierownik"));
        button(f, "tbRem")->click();
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Uprawnienia administratora"));
        QVERIFY(driver.last().text.startsWith(QStringLiteral("Nie można odebrać praw ostatniemu administratorowi.")));
        QCOMPARE(admins(), 1);
    }

    void aManagerOnlyLooks()
    {
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        AdminPermissionFrame f;
        QVERIFY(!button(f, "tbAdd")->isEnabled());
        QVERIFY(!button(f, "tbRem")->isEnabled());
        // The slot refuses as well, whoever calls it.
        selectLogin(table(f, "tvAvailable"), QStringLiteral("magazynier"));
        ModalDriver driver;
        f.addAdmin();
        QCOMPARE(admins(), 1);
    }
};

ORV_TEST_MAIN(TstAdminRights)
#include "tst_adminrights.moc"
