// Rights kept by the server: what a workstation's own account can do with
// plain SQL, the same table of rights as the program's policies, signing in
// with an account, and moving a database from the shared role to accounts.

#include "BasicCommands.h"
#include "ChangePasswordDialog.h"
#include "Factories.h"
#include "IniDbSettingsManipulator.h"
#include "KontaSerweraDialog.h"
#include "LogInDialog.h"
#include "MainWindow.h"
#include "ModalDriver.h"
#include "RightsTable.h"
#include "Session.h"
#include "Startup.h"
#include "TAVCommand.h"
#include "TAVPermissionPolicy.h"
#include "TAVTableModel.h"
#include "TabelaUzytkownicyDialog.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

namespace {
OVApplication *app() { return OVApplication::instance(); }

void useServerRights(bool on) { qputenv("ORV_TEST_MODE", on ? "serwer" : ""); }

QString role(const QString &login) { return QStringLiteral("tav_orv.") + login; }

// What the server answers to one statement of a workstation, tried in a
// transaction that is rolled back: empty when it ran, else its SQLSTATE.
QString attempt(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("BEGIN"));
    QString state;
    if (!q.exec(sql))
        state = q.lastError().nativeErrorCode();
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return state;
}

// The demo accounts have their login as password.
QSqlDatabase station(const QString &login)
{
    return TestDb::open(QStringLiteral("stanowisko_") + login, role(login), login);
}

const QString kWrongPassword = QStringLiteral(
        "Nazwa użytkownika i hasło do siebie nie pasują. Proszę sprawdzić nazwę użytkownika oraz hasło i spróbować "
        "ponownie. <b>Hasło jest wrażliwe na wielkość liter</b>.<br><br>Jeśli Twoje konto nie zostało jeszcze "
        "przeniesione na konto serwera bazy danych, poproś administratora o ustawienie nowego hasła.");

std::function<void(QWidget *)> signInWith(const QString &profile, const QString &login, const QString &password)
{
    return [=](QWidget *w) {
        auto *cb = w->findChild<QComboBox *>(QStringLiteral("cbPolaczenie"));
        cb->setCurrentIndex(cb->findText(profile));
        w->findChild<QLineEdit *>(QStringLiteral("leUzytkownik"))->setText(login);
        w->findChild<QLineEdit *>(QStringLiteral("leHaslo"))->setText(password);
        w->findChild<QPushButton *>(QStringLiteral("btZaloguj"))->click();
    };
}

std::function<void(QWidget *)> newPassword(const QString &password)
{
    return [=](QWidget *w) {
        w->findChild<QLineEdit *>(QStringLiteral("leNoweHaslo1"))->setText(password);
        w->findChild<QLineEdit *>(QStringLiteral("leNoweHaslo2"))->setText(password);
        TestUi::pressOk(w);
    };
}
} // namespace

class TstServerRights : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<IniDbSettingsManipulator> m_profiles;

    // Signs in through the login dialog as a user would.
    bool signIn(ModalDriver &driver, const QString &profile, const QString &login, const QString &password)
    {
        LogInDialog dialog(m_profiles.get());
        driver.onNext(signInWith(profile, login, password));
        app()->setUztId(0);
        if (!OrvStartup::signIn(dialog))
            return false;
        return app()->login() == login && app()->uztId() == Session::userId(login);
    }

    static QString currentRole()
    {
        QSqlQuery q(QSqlDatabase::database());
        return q.exec(QStringLiteral("SELECT current_user")) && q.next() ? q.value(0).toString() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_profiles = std::make_unique<IniDbSettingsManipulator>(QStringLiteral("dbsettings.ini"), m_dir.path());
        // The profile of a workstation of old, and one that holds the server's address only.
        m_profiles->saveConnection(QStringLiteral("wspólna rola"), TestDb::host(), TestDb::port(),
                                   QStringLiteral("tav_orv_user"), QStringLiteral("MOB_tae"), QString());
        m_profiles->saveConnection(QStringLiteral("konta serwera"), TestDb::host(), TestDb::port(), QString(),
                                   QString(), QString());
        useServerRights(true);
        cleanup();
        QVERIFY(Session::start());
    }

    // Accounts belong to the cluster, which the other test programs share.
    void cleanup()
    {
        for (const char *login : {"admin", "kierownik", "magazynier"})
            TestDb::exec(QStringLiteral("ALTER ROLE \"tav_orv.%1\" LOGIN PASSWORD '%1'").arg(QLatin1String(login)));
        TestDb::exec(QStringLiteral("REVOKE tav_orv_kierownicy, tav_orv_administratorzy FROM \"tav_orv.magazynier\""));
        TestDb::exec(QStringLiteral("ALTER ROLE tav_orv_user LOGIN"));
    }

    // Each row of the table of rights, for each kind of user: what the
    // program's policy enables is exactly what the server lets the user's
    // own account write.
    void serverAndProgramAgreeOnRights_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("allowed");
        for (int i = 0; i < rightsTable().size(); ++i) {
            const RightsCase &c = rightsTable().at(i);
            QTest::addRow("%s, admin", c.name) << i << QStringLiteral("admin") << c.admin;
            QTest::addRow("%s, kierownik", c.name) << i << QStringLiteral("kierownik") << c.manager;
            QTest::addRow("%s, magazynier", c.name) << i << QStringLiteral("magazynier") << c.user;
        }
    }
    void serverAndProgramAgreeOnRights()
    {
        QFETCH(int, index);
        QFETCH(QString, login);
        QFETCH(bool, allowed);
        const RightsCase &c = rightsTable().at(index);
        const int key = db(QString::fromLatin1(c.key)).toInt();
        QVERIFY(key > 0);

        app()->setLogin(login);
        app()->setUztId(Session::userId(login));
        std::unique_ptr<TAVTableModel> model(SFModels::instance()->create(QString::fromLatin1(c.model), QString()));
        QVERIFY(model && model->select());
        const int row = model->rowOfKey(key);
        QVERIFY(row >= 0);
        TAVCommand *command = SFCommands::instance()->command(QString::fromLatin1(c.command));
        QVERIFY(command);
        QCOMPARE(evaluatePolicy(command, model.get(), model->index(row, 0), nullptr, true), allowed);

        QSqlDatabase ws = station(login);
        QVERIFY(ws.isOpen());
        const QString state = attempt(ws, QString::fromLatin1(c.write).arg(key));
        QVERIFY2((state != QLatin1String("42501")) == allowed, qPrintable(state));
    }

    // With only what a workstation holds (a user's own login, a manager's),
    // every escalation is refused; each line goes to the output for the record.
    void insiderIsRefused_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("refusal");
        const int former = db(QStringLiteral("SELECT min(prc_id) FROM pracownicy WHERE NOT prc_zatrudniony")).toInt();
        const int inB1 = db(QStringLiteral("SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 2 AND nrz_przyjete_na_stan")).toInt();
        const int open = db(QStringLiteral("SELECT min(psnmm_id) FROM przesuniecia_mm WHERE NOT psnmm_status AND psnmm_fk_mgz_dst = 3")).toInt();
        const int issued = db(QStringLiteral("SELECT min(pnp_id) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status AND pnp_fk_mgz = 3")).toInt();
        const int place = db(QStringLiteral("SELECT min(muz_id) FROM miejsca_uzytkowania")).toInt();
        const int worker = db(QStringLiteral("SELECT min(prc_id) FROM pracownicy WHERE prc_zatrudniony")).toInt();
        auto row = [](const char *login, const char *what, const QString &sql, const char *state) {
            QTest::addRow("%s: %s", login, what) << QString::fromLatin1(login) << sql << QString::fromLatin1(state);
        };
        for (const char *who : {"magazynier", "kierownik"}) {
            row(who, "make oneself administrator", QStringLiteral("INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) "
                    "SELECT uzt_id FROM uzytkownicy WHERE uzt_login = '%1'").arg(QLatin1String(who)), "42501");
            row(who, "join the administrators' group", QStringLiteral("GRANT tav_orv_administratorzy TO CURRENT_USER"), "42501");
            row(who, "create an administrator", QStringLiteral("INSERT INTO uzytkownicy (uzt_login, uzt_imie, uzt_nazwisko) "
                    "VALUES ('intruz', 'I', 'I')"), "42501");
            row(who, "remove every administrator", QStringLiteral("DELETE FROM ov_uprawnienia_admin"), "42501");
            row(who, "overwrite the administrator's password", QStringLiteral("UPDATE uzytkownicy SET uzt_haslo = "
                    "'SCRAM-SHA-256$4096:AAAA$AAAA:AAAA' WHERE uzt_login = 'admin'"), "42501");
            row(who, "change the administrator's account", QStringLiteral("ALTER ROLE \"tav_orv.admin\" PASSWORD 'x'"), "42501");
            row(who, "grant oneself every warehouse", QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) "
                    "SELECT u.uzt_id, m.mgz_id FROM uzytkownicy u, magazyny m WHERE u.uzt_login = '%1'").arg(QLatin1String(who)), "42501");
            row(who, "read a password digest", QStringLiteral("SELECT uzt_id / 0 FROM uzytkownicy WHERE uzt_haslo IS NOT NULL"), "");
            row(who, "terminate another session", QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"), "42501");
            row(who, "send a forged change notice", QStringLiteral("SELECT pg_notify('orvalo_zmiany', '{\"t\":\"narzedzia\"}')"), "42501");
            row(who, "change the shared role's password", QStringLiteral("ALTER ROLE tav_orv_user PASSWORD 'x'"), "42501");
            row(who, "become a superuser", QStringLiteral("ALTER ROLE CURRENT_USER SUPERUSER"), "42501");
            row(who, "create an object", QStringLiteral("CREATE TABLE skrytka (i int)"), "42501");
            row(who, "empty the tools table", QStringLiteral("TRUNCATE narzedzia CASCADE"), "42501");
            row(who, "disable the triggers", QStringLiteral("ALTER TABLE narzedzia DISABLE TRIGGER ALL"), "42501");
            row(who, "lock the warehouses table", QStringLiteral("LOCK TABLE magazyny IN ACCESS EXCLUSIVE MODE"), "42501");
            row(who, "delete the account journal", QStringLiteral("DELETE FROM orv_konta_dziennik"), "42501");
        }
        row("magazynier", "lock the tools table", QStringLiteral("LOCK TABLE narzedzia IN ACCESS EXCLUSIVE MODE"), "42501");
        row("magazynier", "issue a tool", QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, "
                "pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) VALUES (%1, %2, 2, %3, 3)").arg(inB1).arg(worker).arg(place), "42501");
        row("kierownik", "move a tool with no transfer", QStringLiteral("UPDATE narzedzia SET nrz_fk_mgz = 3 WHERE nrz_id = %1").arg(inB1), "OV024");
        row("kierownik", "edit a tool of another warehouse", QStringLiteral("UPDATE narzedzia SET nrz_wartosc = 1 WHERE nrz_fk_mgz = 1"), "42501");
        row("kierownik", "receive a transfer while the tool stays at the source", QStringLiteral(
                "UPDATE przesuniecia_mm SET psnmm_status = true, psnmm_data_przyjecie = current_date, "
                "psnmm_fk_uzt_dst = 2 WHERE psnmm_id = %1").arg(open), "OV022");
        row("kierownik", "transfer into an inactive warehouse", QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, "
                "psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src) VALUES (%1, 2, 4, 2)").arg(inB1), "OV019");
        row("kierownik", "transfer out of another warehouse", QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, "
                "psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src) SELECT nrz_id, 1, 2, 2 FROM narzedzia "
                "WHERE nrz_fk_mgz = 1 LIMIT 1"), "42501");
        row("kierownik", "issue to a former employee", QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, "
                "pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) VALUES (%1, %2, 2, %3, 2)").arg(inB1).arg(former).arg(place), "OV020");
        row("kierownik", "book an issue against another warehouse", QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom "
                "(pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) VALUES (%1, %2, 3, %3, 2)").arg(inB1).arg(worker).arg(place), "OV021");
        row("kierownik", "insert a movement already closed, dated 2020", QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom "
                "(pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd, pnp_data_wydanie, pnp_data_przyjecie, "
                "pnp_status) VALUES (%1, %2, 2, %3, 2, '2020-01-02', '2020-01-03', true)").arg(inB1).arg(worker).arg(place), "OV018");
        row("kierownik", "edit an open movement's issuer and date", QStringLiteral("UPDATE przypisane_narzedzia_pracownikom "
                "SET pnp_fk_uzt_wyd = 1, pnp_data_wydanie = '2020-01-02' WHERE pnp_id = %1").arg(issued), "OV023");
    }
    void insiderIsRefused()
    {
        QFETCH(QString, login);
        QFETCH(QString, sql);
        QFETCH(QString, refusal);
        QSqlDatabase ws = station(login);
        QVERIFY(ws.isOpen());
        const QString state = attempt(ws, sql);
        qInfo().noquote() << QStringLiteral("INSIDER | %1 | %2 | %3").arg(login, QString::fromUtf8(QTest::currentDataTag()),
                                                                       state.isEmpty() ? QStringLiteral("ran") : state);
        QCOMPARE(state, refusal);
    }

    void noOtherDatabaseForAnAccount()
    {
        QSqlDatabase postgres = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("postgres_baza"));
        postgres.setHostName(TestDb::host());
        postgres.setPort(TestDb::port());
        postgres.setDatabaseName(QStringLiteral("postgres"));
        postgres.setUserName(role(QStringLiteral("kierownik")));
        postgres.setPassword(QStringLiteral("kierownik"));
        QVERIFY(!postgres.open());
        QVERIFY2(postgres.lastError().text().contains(QStringLiteral("CONNECT")), qPrintable(postgres.lastError().text()));
    }

    // Who made a row and who issued a movement is the server's to write.
    void serverWritesWhoDidIt()
    {
        QSqlDatabase ws = station(QStringLiteral("kierownik"));
        const int tool = db(QStringLiteral("SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 2 AND nrz_przyjete_na_stan")).toInt();
        QSqlQuery q(ws);
        QVERIFY(q.exec(QStringLiteral("BEGIN")));
        QVERIFY(q.exec(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1").arg(tool)));
        QVERIFY2(q.exec(QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, "
                                       "psnmm_fk_uzt_src, fk_uzt_stworzono) VALUES (%1, 2, 3, 1, 1) "
                                       "RETURNING psnmm_fk_uzt_src, fk_uzt_stworzono").arg(tool)),
                 qPrintable(q.lastError().text()));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), Session::userId(QStringLiteral("kierownik")));
        QCOMPARE(q.value(1).toInt(), Session::userId(QStringLiteral("kierownik")));
        QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
    }

    // A profile without the shared role's password signs in with the user's
    // own account, and so does a profile of old once the role is gone; a
    // wrong password says to ask for a new one.
    void accountSignsIn()
    {
        QVERIFY(TestDb::resetDatabase());
        ModalDriver driver;
        QVERIFY(signIn(driver, QStringLiteral("konta serwera"), QStringLiteral("kierownik"), QStringLiteral("kierownik")));
        QVERIFY(app()->serverAccount());
        QCOMPARE(app()->rightsMode(), QStringLiteral("serwer"));
        QCOMPARE(currentRole(), role(QStringLiteral("kierownik")));

        driver.onNext(signInWith(QStringLiteral("konta serwera"), QStringLiteral("kierownik"), QStringLiteral("Kierownik")));
        driver.expectBox(QStringLiteral("Błąd logowania"), kWrongPassword);
        QVERIFY(signIn(driver, QStringLiteral("wspólna rola"), QStringLiteral("admin"), QStringLiteral("admin")));
        QCOMPARE(currentRole(), role(QStringLiteral("admin")));
    }

    // The password change of the menu reaches the server account as a
    // verifier; the row keeps no digest.
    void passwordChangeReachesTheAccount()
    {
        QVERIFY(Session::start(QStringLiteral("magazynier")));
        QVERIFY(app()->serverAccount());
        MainWindow window;
        ModalDriver driver;
        driver.onNext(newPassword(QStringLiteral("Nowe-hasło1")));
        driver.expectBox(QStringLiteral("Zmiana hasła"), QStringLiteral("Hasło zostało zmienione."));
        window.findChild<QAction *>(QStringLiteral("actionChangePassword"))->trigger();
        QVERIFY(!TestDb::open(QStringLiteral("stare"), role(QStringLiteral("magazynier")), QStringLiteral("magazynier")).isOpen());
        QVERIFY(TestDb::open(QStringLiteral("nowe"), role(QStringLiteral("magazynier")), QStringLiteral("Nowe-hasło1")).isOpen());
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE uzt_haslo IS NOT NULL")).toInt(), 0);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM orv_konta_dziennik WHERE okd_kto = 'tav_orv.magazynier' "
                                   "AND okd_konto = 'tav_orv.magazynier' AND okd_czynnosc = 'ustawiono hasło'")).toInt(), 1);
    }

    // The administrator's user register makes, switches off and removes
    // the server account with the user.
    void accountsFollowTheUsersRegister()
    {
        QVERIFY(Session::start(QStringLiteral("admin")));
        std::unique_ptr<TAVTableModel> users(SFModels::instance()->create(QStringLiteral("UzytkownicyModel"), QString()));
        QVERIFY(users->select());
        auto run = [&](bool add, int id) {
            BasicAddEditCommand<TabelaUzytkownicyDialog> command(add, nullptr);
            return command.operacja(users.get(), add ? QModelIndex() : users->index(users->rowOfKey(id), 0), nullptr);
        };
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::typeInto(d, "leImie", QStringLiteral("Ewa"));
            TestUi::typeInto(d, "leNazwisko", QStringLiteral("Nowak"));
            d->findChild<QPushButton *>(QStringLiteral("btZmienHaslo"))->click();
            TestUi::pressOk(d);
        });
        driver.onNext(newPassword(QStringLiteral("Pierwsze-1")));
        QVERIFY(run(true, 0));
        const int id = Session::userId(QStringLiteral("e.nowak"));
        QVERIFY(id > 0);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE uzt_haslo IS NOT NULL")).toInt(), 0);
        QVERIFY(TestDb::open(QStringLiteral("ewa"), role(QStringLiteral("e.nowak")), QStringLiteral("Pierwsze-1")).isOpen());

        // No longer employed: the account cannot sign in.
        driver.onNext([](QWidget *d) {
            d->findChild<QCheckBox *>(QStringLiteral("ckZatrudniony"))->setChecked(false);
            TestUi::pressOk(d);
        });
        QVERIFY(run(false, id));
        QVERIFY(!TestDb::open(QStringLiteral("ewa"), role(QStringLiteral("e.nowak")), QStringLiteral("Pierwsze-1")).isOpen());

        // Deleted with nothing in its name: the account goes too.
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM uzytkownicy WHERE uzt_id = ?"), {id}));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM pg_roles WHERE rolname = ?"), {role(QStringLiteral("e.nowak"))}).toInt(), 0);
    }

    // A database of the shared role moves to accounts in two phases while
    // users sign in; the record of the move goes to the output.
    void databaseMovesToAccounts()
    {
        useServerRights(false);
        QVERIFY(TestDb::resetDatabase());
        ModalDriver driver;
        const QString title = QStringLiteral("Konta serwera bazy danych");

        // Phase one, started by the administrator of the shared role.
        QVERIFY(signIn(driver, QStringLiteral("wspólna rola"), QStringLiteral("admin"), QStringLiteral("admin")));
        QVERIFY(!app()->serverAccount());
        {
            KontaSerweraDialog accounts;
            driver.pressNext(QMessageBox::Yes);
            accounts.findChild<QPushButton *>(QStringLiteral("btRozpocznij"))->click();
            QVERIFY(!accounts.findChild<QPushButton *>(QStringLiteral("btRozpocznij"))->isEnabled());
        }
        QCOMPARE(db(QStringLiteral("SELECT otp_tryb FROM orv_tryb_praw")).toString(), QStringLiteral("migracja"));

        // Users who sign in the old way leave with accounts of their own.
        QVERIFY(signIn(driver, QStringLiteral("wspólna rola"), QStringLiteral("kierownik"), QStringLiteral("kierownik")));
        QCOMPARE(currentRole(), role(QStringLiteral("kierownik")));
        QVERIFY(signIn(driver, QStringLiteral("wspólna rola"), QStringLiteral("admin"), QStringLiteral("admin")));
        QVERIFY(app()->serverAccount());

        // Phase two: the administrator sees who has not moved and switches.
        {
            KontaSerweraDialog accounts;
            auto *list = accounts.findChild<QTableWidget *>(QStringLiteral("twKonta"));
            QStringList waiting;
            for (int r = 0; r < list->rowCount(); ++r) {
                if (list->item(r, 3)->text().startsWith(QStringLiteral("bez hasła")))
                    waiting << list->item(r, 0)->text();
            }
            QCOMPARE(waiting, QStringList{QStringLiteral("magazynier")});
            driver.pressNext(QMessageBox::Yes);
            driver.expectBox(title, QStringLiteral("Baza jest przełączona na prawa serwera."));
            accounts.findChild<QPushButton *>(QStringLiteral("btPrzelacz"))->click();
        }
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE uzt_haslo IS NOT NULL")).toInt(), 0);
        QVERIFY(!TestDb::open(QStringLiteral("wspolna"), QStringLiteral("tav_orv_user"), QStringLiteral("MOB_tae")).isOpen());

        // Who did not move asks the administrator, who sets a password.
        driver.onNext(signInWith(QStringLiteral("wspólna rola"), QStringLiteral("magazynier"), QStringLiteral("magazynier")));
        driver.expectBox(QStringLiteral("Błąd logowania"), kWrongPassword);
        QVERIFY(signIn(driver, QStringLiteral("wspólna rola"), QStringLiteral("admin"), QStringLiteral("admin")));
        {
            KontaSerweraDialog accounts;
            auto *list = accounts.findChild<QTableWidget *>(QStringLiteral("twKonta"));
            const QList<QTableWidgetItem *> found = list->findItems(QStringLiteral("magazynier"), Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->setCurrentCell(found.first()->row(), 0);
            driver.onNext(newPassword(QStringLiteral("od-administratora")));
            driver.expectBox(title, QStringLiteral("Hasło konta „magazynier” zostało ustawione."));
            accounts.findChild<QPushButton *>(QStringLiteral("btHaslo"))->click();
        }
        QVERIFY(signIn(driver, QStringLiteral("konta serwera"), QStringLiteral("magazynier"), QStringLiteral("od-administratora")));

        QSqlQuery q(TestDb::open(QStringLiteral("dziennik"), role(QStringLiteral("admin")), QStringLiteral("admin")));
        QVERIFY(q.exec(QStringLiteral("SELECT okd_kto, coalesce(okd_konto, ''), okd_czynnosc FROM orv_konta_dziennik ORDER BY okd_id")));
        while (q.next())
            qInfo().noquote() << QStringLiteral("MOVE | %1 | %2 | %3").arg(q.value(0).toString(), q.value(1).toString(),
                                                                          q.value(2).toString());
        useServerRights(true);
    }
};

ORV_TEST_MAIN(TstServerRights)
#include "tst_serverrights.moc"
