// Sign-in, the session's rights, and hostile text in the sign-in and the
// search, with the client role's standard_conforming_strings off and on.

#include "IniDbSettingsManipulator.h"
#include "LogInDialog.h"
#include "LogReader.h"
#include "ModalDriver.h"
#include "Session.h"
#include "Startup.h"
#include "TAVEwidencja.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
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

    static std::function<void(QWidget *)> signInWith(const QString &profile, const QString &user,
                                                     const QString &password, bool accept = true)
    {
        return [=](QWidget *w) {
            auto *cb = w->findChild<QComboBox *>(QStringLiteral("cbPolaczenie"));
            cb->setCurrentIndex(cb->findText(profile));
            w->findChild<QLineEdit *>(QStringLiteral("leUzytkownik"))->setText(user);
            w->findChild<QLineEdit *>(QStringLiteral("leHaslo"))->setText(password);
            w->findChild<QPushButton *>(accept ? QStringLiteral("btZaloguj") : QStringLiteral("btZamknij"))->click();
        };
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_signin.log"));
        QVERIFY(Session::start());
        for (const char *login : {"o'brien", "back\\slash", "a%b_c", "ż'\\'"})
            QVERIFY(addUser(QString::fromUtf8(login), QString::fromUtf8(login) + QStringLiteral("'pw\\")));
    }

    void cleanup() { QVERIFY(Session::conformingStrings(true)); }
    void cleanupTestCase() { TestDb::exec(QStringLiteral("ALTER ROLE tav_orv_user RESET standard_conforming_strings")); }

    void loginAndPasswordMustMatch_data()
    {
        QTest::addColumn<bool>("conforming");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");   // the login signed in as; empty: refused
        for (bool on : {true, false}) {
            auto row = [on](const char *name, const char *login, const char *password, const char *expected) {
                QTest::addRow("%s, %s", name, on ? "on" : "off")
                        << on << QString::fromUtf8(login) << QString::fromUtf8(password) << QString::fromUtf8(expected);
            };
            row("admin", "admin", "admin", "admin");
            row("manager", "kierownik", "kierownik", "kierownik");
            row("wrong password", "admin", "kierownik", "");
            row("password case", "admin", "Admin", "");
            row("login case", "Admin", "admin", "");
            row("empty", "", "", "");
            row("backslash quote", "\\' OR uzt_id=1 --", "x", "");
            row("backslash quote in password", "admin", "\\' OR uzt_id=1 --", "");
            row("comment", "admin' --", "x", "");
            row("or", "x' OR '1'='1", "x' OR '1'='1", "");
            row("apostrophe", "o'brien", "o'brien'pw\\", "o'brien");
            row("backslash", "back\\slash", "back\\slash'pw\\", "back\\slash");
            row("polish and quotes", "ż'\\'", "ż'\\''pw\\", "ż'\\'");
            row("wildcards are letters", "aXbYc", "a%b_c'pw\\", "");
        }
    }
    void loginAndPasswordMustMatch()
    {
        QFETCH(bool, conforming);
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        QVERIFY(Session::conformingStrings(conforming));
        qint32 id = -7;
        QCOMPARE(app()->loginToApp(login, password, id), !expected.isEmpty());
        // A refused sign-in leaves the caller's id alone.
        QCOMPARE(id, expected.isEmpty() ? -7 : Session::userId(expected));
    }

    void signInLoopRetriesUntilSuccess()
    {
        QTemporaryDir dir;
        IniDbSettingsManipulator settings(QStringLiteral("dbsettings.ini"), dir.path());
        settings.saveConnection(QStringLiteral("testowy"), TestDb::host(), TestDb::port(), TestDb::clientUser(),
                                TestDb::clientPassword(), QString());
        settings.saveConnection(QStringLiteral("zły port"), TestDb::host(), 1, TestDb::clientUser(),
                                TestDb::clientPassword(), QString());
        settings.saveConnection(QStringLiteral("złe hasło"), TestDb::host(), TestDb::port(), TestDb::clientUser(),
                                QStringLiteral("nie-to"), QString());
        LogInDialog dialog(&settings);
        ModalDriver driver;
        const QString noServer = QStringLiteral("Nie można połączyć się z bazą danych");
        driver.onNext(signInWith(QStringLiteral("zły port"), QStringLiteral("kierownik"), QStringLiteral("kierownik")));
        driver.expectBox(noServer, noServer + QStringLiteral(". Proszę sprawdzić parametry dostępowe i spróbować ponownie."));
        driver.onNext(signInWith(QStringLiteral("złe hasło"), QStringLiteral("kierownik"), QStringLiteral("kierownik")));
        driver.expectBox(noServer);
        driver.onNext(signInWith(QStringLiteral("testowy"), QStringLiteral("kierownik"), QStringLiteral("Kierownik")));
        driver.expectBox(QStringLiteral("Błąd logowania"),
                         QStringLiteral("Nazwa użytkownika i hasło do siebie nie pasują. Proszę sprawdzić nazwę "
                                        "użytkownika oraz hasło i spróbować ponownie. <b>Hasło jest wrażliwe na "
                                        "wielkość liter</b>."));
        // The fields keep what was typed: only the password is corrected.
        driver.onNext([](QWidget *w) {
            QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("leUzytkownik"))->text(), QStringLiteral("kierownik"));
            w->findChild<QLineEdit *>(QStringLiteral("leHaslo"))->setText(QStringLiteral("kierownik"));
            w->findChild<QPushButton *>(QStringLiteral("btZaloguj"))->click();
        });
        app()->setUztId(0);
        QVERIFY(OrvStartup::signIn(dialog));
        QCOMPARE(app()->login(), QStringLiteral("kierownik"));
        QCOMPARE(app()->uztId(), 2);

        driver.onNext(signInWith(QStringLiteral("testowy"), QStringLiteral("admin"), QStringLiteral("admin"), false));
        QVERIFY(!OrvStartup::signIn(dialog));
        QVERIFY(Session::start());
    }

    // The sign-in query never writes the login or the digest to the log.
    void userTableQueriesStayOutOfTheLog()
    {
        m_log->mark();
        qint32 id = 0;
        QVERIFY(app()->loginToApp(QStringLiteral("admin"), QStringLiteral("admin"), id));
        QVERIFY(!app()->loginToApp(QStringLiteral("admin"), QStringLiteral("tajne"), id));
        const QString log = m_log->joinedSinceMark();
        QVERIFY(log.contains(QStringLiteral("UztId is: 1")));
        for (const QString &secret : {OVApplication::passwordDigest(QStringLiteral("admin")),
                                      OVApplication::passwordDigest(QStringLiteral("tajne")), QStringLiteral("uzt_login =")})
            QVERIFY2(!log.contains(secret), qPrintable(secret));
    }

    // Asked once per session, also when the answer is "none"; a read that
    // failed is no answer and is asked again.
    void rightsAreReadOnce()
    {
        QCOMPARE(app()->uprMgz(2), (QList<qint32>{2, 3}));
        QCOMPARE(app()->uprMgzSymbols(2), (QStringList{QStringLiteral("MG_BUDOWA1"), QStringLiteral("MG_BUDOWA2")}));
        QCOMPARE(app()->uprMgzAsString(3), QString());

        QVERIFY(Session::start(QStringLiteral("magazynier")));
        QVERIFY(!app()->isAdmin());
        QCOMPARE(app()->managedWarehouses(), QList<qint32>());
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (3, 4)")));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) VALUES (3)")));
        m_log->mark();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(app()->managedWarehouses(), QList<qint32>());
            QVERIFY(!app()->isAdmin());
        }
        QCOMPARE(m_log->sinceMark(), QStringList());

        QVERIFY(Session::start(QStringLiteral("kierownik")));
        ModalDriver driver;
        driver.expectBox(QStringLiteral("Brak danych z bazy"));
        QVERIFY(Session::serverAway());
        QCOMPARE(app()->managedWarehouses(), QList<qint32>());
        QTRY_COMPARE(driver.count(), 1);
        QVERIFY(Session::serverBack());
        QTRY_COMPARE_WITH_TIMEOUT(app()->managedWarehouses(), (QList<qint32>{2, 3}), 5000);
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("ov_uprawnienia_mgz for current user = QList(2, 3)")));
    }
};

ORV_TEST_MAIN(TstSignIn)
#include "tst_signin.moc"
