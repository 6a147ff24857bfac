#include "IniDbSettingsManipulator.h"
#include "LogInDialog.h"
#include "LogReader.h"
#include "ModalDriver.h"
#include "Session.h"
#include "Startup.h"
#include "TestMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <memory>

class TstSignIn : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;

    static OVApplication *app() { return OVApplication::instance(); }

    static bool addUser(const QString &login, const QString &password)
    {
        return TestDb::exec(QStringLiteral("INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                                           "VALUES (?, ?, 'Jan', 'Testowy')"),
                            {login, OVApplication::passwordDigest(password)});
    }

    static qint32 login(const QString &name, const QString &password, bool *ok = nullptr)
    {
        qint32 id = -7;
        const bool result = app()->loginToApp(name, password, id);
        if (ok)
            *ok = result;
        return result ? id : 0;
    }

    // Types into the login dialog and presses a button, as the user does.
    static std::function<void(QWidget *)> signInWith(const QString &profile, const QString &user,
                                                     const QString &password, bool accept = true)
    {
        return [=](QWidget *w) {
            auto *d = qobject_cast<LogInDialog *>(w);
            QVERIFY(d);
            auto *cb = d->findChild<QComboBox *>(QStringLiteral("cbPolaczenie"));
            cb->setCurrentIndex(cb->findText(profile));
            auto *le = d->findChild<QLineEdit *>(QStringLiteral("leUzytkownik"));
            le->clear();
            QTest::keyClicks(le, user);
            d->findChild<QLineEdit *>(QStringLiteral("leHaslo"))->setText(password);
            d->findChild<QPushButton *>(accept ? QStringLiteral("btZaloguj") : QStringLiteral("btZamknij"))->click();
        };
    }

    static std::unique_ptr<IniDbSettingsManipulator> profiles(const QTemporaryDir &dir)
    {
        auto s = std::make_unique<IniDbSettingsManipulator>(QStringLiteral("dbsettings.ini"), dir.path());
        s->saveConnection(QStringLiteral("testowy"), TestDb::host(), TestDb::port(), TestDb::clientUser(),
                          TestDb::clientPassword(), QString());
        // Nothing listens on port 1.
        s->saveConnection(QStringLiteral("zły port"), TestDb::host(), 1, TestDb::clientUser(),
                          TestDb::clientPassword(), QString());
        s->saveConnection(QStringLiteral("złe hasło"), TestDb::host(), TestDb::port(), TestDb::clientUser(),
                          QStringLiteral("nie-to-hasło"), QString());
        s->sync();
        return s;
    }

    static QString connectFailTitle() { return QStringLiteral("Nie można połączyć się z bazą danych"); }
    static QString loginFailTitle() { return QStringLiteral("Błąd logowania"); }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_signin.log"));
        QVERIFY(Session::start());
    }

    void passwordDigestIsPlainSha1Hex()
    {
        QCOMPARE(OVApplication::passwordDigest(QStringLiteral("admin")),
                 QStringLiteral("d033e22ae348aeb5660fc2140aec35850c4da997"));
        QCOMPARE(OVApplication::passwordDigest(QString()), QStringLiteral("da39a3ee5e6b4b0d3255bfef95601890afd80709"));
        // Over the UTF-8 bytes of the text.
        QCOMPARE(OVApplication::passwordDigest(QStringLiteral("zażółć")),
                 QStringLiteral("92ae8bcb9b2481b38693bd2f3b742bf5729ddc1f"));
    }

    void loginToApp_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("id");
        QTest::newRow("admin") << "admin" << "admin" << 1;
        QTest::newRow("manager") << "kierownik" << "kierownik" << 2;
        QTest::newRow("wrong password") << "admin" << "kierownik" << 0;
        QTest::newRow("password case") << "admin" << "Admin" << 0;
        QTest::newRow("login case") << "Admin" << "admin" << 0;
        QTest::newRow("unknown user") << "nikt" << "admin" << 0;
        QTest::newRow("empty") << "" << "" << 0;
        QTest::newRow("comment injection") << "admin' --" << "x" << 0;
        QTest::newRow("or injection") << "x' OR '1'='1" << "x' OR '1'='1" << 0;
        QTest::newRow("backslash quote") << "admin\\' OR true --" << "x" << 0;
    }

    void loginToApp()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(int, id);
        qint32 out = -7;
        const bool ok = app()->loginToApp(login, password, out);
        QCOMPARE(ok, id > 0);
        // A refused sign-in leaves the caller's id alone.
        QCOMPARE(out, id > 0 ? id : -7);
    }

    void loginsWithQuotesAndBackslashes()
    {
        const QStringList logins = {QStringLiteral("o'brien"), QStringLiteral("back\\slash"),
                                    QStringLiteral("''"), QStringLiteral("ż'\\'"), QStringLiteral("a%b_c")};
        for (const QString &l : logins) {
            QVERIFY2(addUser(l, l + QStringLiteral("'pw\\")), qPrintable(l));
            const qint32 expected = Session::userId(l);
            QCOMPARE(login(l, l + QStringLiteral("'pw\\")), expected);
            QCOMPARE(login(l, l), 0);
        }
        // Pattern characters are not wildcards.
        QCOMPARE(login(QStringLiteral("aXbYc"), QStringLiteral("a%b_c'pw\\")), 0);
    }

    void emptyPasswordIsHashedLikeAnyOther()
    {
        QVERIFY(addUser(QStringLiteral("bezhasla"), QString()));
        QVERIFY(login(QStringLiteral("bezhasla"), QString()) > 0);
        QCOMPARE(login(QStringLiteral("bezhasla"), QStringLiteral(" ")), 0);
        QCOMPARE(login(QStringLiteral("admin"), QString()), 0);
    }

    void loginMatchingTwoRowsIsRefused()
    {
        QVERIFY(TestDb::exec(QStringLiteral("ALTER TABLE uzytkownicy DROP CONSTRAINT uq_uzytkownicy_login")));
        QVERIFY(addUser(QStringLiteral("kierownik"), QStringLiteral("kierownik")));
        m_log->mark();
        bool ok = true;
        login(QStringLiteral("kierownik"), QStringLiteral("kierownik"), &ok);
        QVERIFY(!ok);
        const QString log = m_log->joinedSinceMark();
        QVERIFY(log.contains(QStringLiteral("OVApplication::loginToApp( QString _login, QString _password, qint32& outUztId ) const")));
        QVERIFY(log.contains(QStringLiteral("Row count is: 2")));
        QVERIFY(!log.contains(QStringLiteral("UztId is:")));
        // Neither the login nor the digest ever reaches the log.
        QVERIFY(!log.contains(OVApplication::passwordDigest(QStringLiteral("kierownik"))));
        QVERIFY(!log.contains(QStringLiteral("uzt_login =")));
        QVERIFY(Session::start());
    }

    void successfulSignInIsLogged()
    {
        m_log->mark();
        QCOMPARE(login(QStringLiteral("admin"), QStringLiteral("admin")), 1);
        const QString log = m_log->joinedSinceMark();
        QVERIFY(log.contains(QStringLiteral("Row count is: 1")));
        QVERIFY(log.contains(QStringLiteral("UztId is: 1")));
        QVERIFY(!log.contains(QStringLiteral("d033e22ae348aeb5660fc2140aec35850c4da997")));
    }

    void signInLoopRetriesUntilSuccess()
    {
        QTemporaryDir dir;
        auto settings = profiles(dir);
        LogInDialog dialog(settings.get());
        ModalDriver driver;
        driver.onNext(signInWith(QStringLiteral("zły port"), QStringLiteral("Kierownik"), QStringLiteral("kierownik")));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext(signInWith(QStringLiteral("złe hasło"), QStringLiteral("kierownik"), QStringLiteral("kierownik")));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext(signInWith(QStringLiteral("testowy"), QStringLiteral("kierownik"), QStringLiteral("Kierownik")));
        driver.pressNext(QMessageBox::Ok);
        // The fields keep what was typed: only the password is corrected.
        driver.onNext([](QWidget *w) {
            QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("leUzytkownik"))->text(), QStringLiteral("kierownik"));
            w->findChild<QLineEdit *>(QStringLiteral("leHaslo"))->setText(QStringLiteral("kierownik"));
            w->findChild<QPushButton *>(QStringLiteral("btZaloguj"))->click();
        });
        app()->setLogin(QString());
        app()->setUztId(0);

        QVERIFY(OrvStartup::signIn(dialog));

        QCOMPARE(driver.pendingHandlers(), 0);
        const QList<ModalDriver::Seen> seen = driver.seen();
        QCOMPARE(seen.size(), 7);
        QCOMPARE(seen.at(0).title, QStringLiteral("Logowanie do aplikacji"));
        QCOMPARE(seen.at(1).title, connectFailTitle());
        QCOMPARE(seen.at(1).text, QStringLiteral("Nie można połączyć się z bazą danych. Proszę sprawdzić parametry "
                                                 "dostępowe i spróbować ponownie."));
        QCOMPARE(seen.at(1).icon, QMessageBox::Warning);
        QCOMPARE(seen.at(3).title, connectFailTitle());
        QCOMPARE(seen.at(5).title, loginFailTitle());
        QCOMPARE(seen.at(5).text, QStringLiteral("Nazwa użytkownika i hasło do siebie nie pasują. Proszę sprawdzić "
                                                 "nazwę użytkownika oraz hasło i spróbować ponownie. <b>Hasło jest "
                                                 "wrażliwe na wielkość liter</b>."));
        QCOMPARE(seen.at(6).title, QStringLiteral("Logowanie do aplikacji"));
        QCOMPARE(app()->login(), QStringLiteral("kierownik"));
        QCOMPARE(app()->uztId(), 2);
        QVERIFY(QSqlDatabase::database().isOpen());
        QCOMPARE(QSqlDatabase::database().databaseName(), QStringLiteral("TAV_ORV"));
    }

    void closingTheDialogEndsSignIn()
    {
        QTemporaryDir dir;
        auto settings = profiles(dir);
        LogInDialog dialog(settings.get());
        ModalDriver driver;
        driver.onNext(signInWith(QStringLiteral("zły port"), QStringLiteral("admin"), QStringLiteral("admin")));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext(signInWith(QStringLiteral("testowy"), QStringLiteral("admin"), QStringLiteral("admin"), false));
        app()->setLogin(QString());
        app()->setUztId(0);
        QVERIFY(!OrvStartup::signIn(dialog));
        QCOMPARE(driver.count(), 3);
        QCOMPARE(app()->uztId(), 0);
        QVERIFY(app()->login().isEmpty());
        QVERIFY(Session::start());
    }

    void isAdminAsksTheDatabaseOnce()
    {
        app()->setUztId(1);
        QVERIFY(app()->isAdmin());
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 1")));
        m_log->mark();
        QVERIFY(app()->isAdmin());
        // No query behind the cached answer.
        QVERIFY(!m_log->joinedSinceMark().contains(QStringLiteral("ov_uprawnienia_admin")));
        QVERIFY(!app()->isAdmin(1));
        QVERIFY(!app()->isAdmin(2));
        QVERIFY(Session::start());

        app()->setUztId(2);
        QVERIFY(!app()->isAdmin());
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) VALUES (2)")));
        QVERIFY(app()->isAdmin(2));
        QVERIFY(!app()->isAdmin());
        QVERIFY(Session::start());
    }

    void managedWarehouses()
    {
        QCOMPARE(app()->uprMgz(2), (QList<qint32>{2, 3}));
        QCOMPARE(app()->uprMgzSymbols(2), (QStringList{QStringLiteral("MG_BUDOWA1"), QStringLiteral("MG_BUDOWA2")}));
        QCOMPARE(app()->uprMgzAsString(2), QStringLiteral("2, 3"));
        QCOMPARE(app()->uprMgz(3), QList<qint32>());
        QCOMPARE(app()->uprMgzSymbols(3), QStringList());
        QCOMPARE(app()->uprMgzAsString(3), QString());
        QCOMPARE(app()->uprMgz(999), QList<qint32>());

        m_log->mark();
        app()->uprMgz(2);
        const QString log = m_log->joinedSinceMark();
        QVERIFY(log.contains(QStringLiteral("OVApplication::uprMgz( qint32 _uztId ) const")));
        QVERIFY(log.contains(QStringLiteral("ov_uprawnienia_mgz for uzt_id =")));
    }

    void managedWarehousesAreCachedOnceFound()
    {
        app()->setUztId(2);
        QCOMPARE(app()->uprMgz(), (QList<qint32>{2, 3}));
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 2")));
        m_log->mark();
        QCOMPARE(app()->uprMgz(), (QList<qint32>{2, 3}));
        const QString log = m_log->joinedSinceMark();
        QVERIFY(log.contains(QStringLiteral("OVApplication::uprMgz() const")));
        QVERIFY(log.contains(QStringLiteral("ov_uprawnienia_mgz for current user =")));
        QVERIFY(!log.contains(QStringLiteral("ov_uprawnienia_mgz for uzt_id =")));
        QCOMPARE(app()->uprMgz(2), QList<qint32>());
        QVERIFY(Session::start());
    }

    void userWithoutWarehousesIsAskedEveryTime()
    {
        app()->setUztId(3);
        QCOMPARE(app()->uprMgz(), QList<qint32>());
        m_log->mark();
        QCOMPARE(app()->uprMgz(), QList<qint32>());
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("ov_uprawnienia_mgz for uzt_id =")));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) "
                                            "VALUES (3, 4)")));
        QCOMPARE(app()->uprMgz(), QList<qint32>{4});
        QVERIFY(Session::start());
    }
};

ORV_TEST_MAIN(TstSignIn)
#include "tst_signin.moc"
