// The main window after sign-in: what each role sees, the module tabs, and
// the password change.

#include "AdminPermissionFrame.h"
#include "MainWindow.h"
#include "ModalDriver.h"
#include "MovementSlip.h"
#include "Session.h"
#include "TestMain.h"
#include "TAVMessages.h"
#include "TAVUiState.h"
#include "TAVEwidencja.h"
#include "TerminyNotice.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QResource>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <memory>

class TstMainWindow : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<MainWindow> signIn(const QString &login)
    {
        if (!Session::start(login))
            return nullptr;
        auto w = std::make_unique<MainWindow>();
        return QTest::qWaitForWindowExposed(w.get()) ? std::move(w) : nullptr;
    }

    static QToolButton *module(MainWindow &w, const char *icon)
    {
        return w.palette()->findChild<QToolButton *>(QStringLiteral("tb_") + QLatin1String(icon));
    }

    static TAVEwidencja *open(MainWindow &w, const char *icon)
    {
        QToolButton *b = module(w, icon);
        if (!b)
            return nullptr;
        QTest::mouseClick(b, Qt::LeftButton);
        return qobject_cast<TAVEwidencja *>(w.tabs()->currentWidget());
    }

    static QString digest(const QString &login)
    {
        return TestDb::scalar(QStringLiteral("SELECT uzt_haslo FROM uzytkownicy WHERE uzt_login = ?"), {login}).toString();
    }
    static QString sha1(const QString &text)
    {
        return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
    }

    static std::function<void(QWidget *)> enter(const QString &first, const QString &second, bool ok = true)
    {
        return [=](QWidget *d) {
            TestUi::typeInto(d, "leNoweHaslo1", first);
            TestUi::typeInto(d, "leNoweHaslo2", second);
            ok ? TestUi::pressOk(d) : TestUi::pressCancel(d);
        };
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }

    // Every box shows its whole title and text, a cause of many lines too
    // (the driver checks each box it sees the same way).
    void messageBoxesShowEverything_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cause");
        const QString words = QStringLiteral("Serwer bazy danych zakończył połączenie w trakcie odczytu. ").repeated(12);
        QTest::newRow("question") << "Przypisanie narzędzia" << "Termin przeglądu narzędzia minął 01.12.2026. Wydać mimo to?" << "";
        QTest::newRow("refusal") << "Usuwanie wpisu" << "Nie można usunąć wpisu, ponieważ jest powiązany z innymi danymi." << "";
        QTest::newRow("long title") << QStringLiteral("Nie można połączyć się z bazą danych na serwerze produkcyjnym") << "Błąd." << "";
        QTest::newRow("long text") << "Eksport rejestru" << words << "";
        QTest::newRow("cause of many lines") << "Odczyt danych" << "Nie można odczytać danych:"
                                             << QStringLiteral("FATAL: terminating connection\n") + words;
    }
    void messageBoxesShowEverything()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, cause);
        ModalDriver driver;
        driver.expectBox(title, text);
        TAVMessages::warning(title, text, cause);
        QCOMPARE(driver.count(), 1);
        driver.expectBox(title, text, QMessageBox::No);
        QVERIFY(!TAVMessages::question(title, text));
    }

    void windowFollowsTheRole_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("warehouses");
        QTest::newRow("administrator") << "admin" << "Dostępne magazyny: <font color=\"red\";>nieograniczony dostęp</font>";
        QTest::newRow("manager") << "kierownik" << "Dostępne magazyny: <font color=\"blue\";>MG_BUDOWA1, MG_BUDOWA2</font>";
        QTest::newRow("storekeeper") << "magazynier" << "Dostępne magazyny: <font color=\"blue\";></font>";
    }
    void windowFollowsTheRole()
    {
        QFETCH(QString, login);
        QFETCH(QString, warehouses);
        const bool admin = login == QLatin1String("admin");
        auto w = signIn(login);
        QVERIFY(w);
        QVERIFY(w->pages()->currentWidget() != w->tabs());

        QStringList texts, enabled;
        for (QToolButton *b : w->palette()->buttons()) {
            texts << b->text();
            if (b->isEnabled())
                enabled << b->objectName();
        }
        QStringList expected{"Magazyny", "Miejsca Użytkowania", "Pracownicy", "Kategorie Narzędzi", "Narzędzia", "Zestawy", "Inwentaryzacja",
                             "Naprawy i przeglądy", "Przesunięcia MM", "Przypisane narzędzia \npracownikom"};
        if (admin)
            expected << "Użytkownicy" << "Uprawnienia \nadministratora" << "Historia zmian";
        QCOMPARE(texts, expected);
        QCOMPARE(enabled.size(), texts.size());

        // Every menu and entry has its own mnemonic; "Sprawdź aktualizację" is for administrators.
        QStringList entries;
        QSet<QChar> top;
        for (QAction *menu : w->menuBar()->actions()) {
            const int amp = menu->text().indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0, qPrintable(menu->text()));
            QVERIFY(!top.contains(menu->text().at(amp + 1).toLower()));
            top << menu->text().at(amp + 1).toLower();
            QSet<QChar> own;
            for (QAction *a : menu->menu()->actions()) {
                if (a->isSeparator())
                    continue;
                const int i = a->text().indexOf(QLatin1Char('&'));
                QVERIFY2(i >= 0 && !own.contains(a->text().at(i + 1).toLower()), qPrintable(a->text()));
                own << a->text().at(i + 1).toLower();
                entries << QString(a->text()).remove(QLatin1Char('&'));
            }
        }
        QCOMPARE(entries.contains(QStringLiteral("Sprawdź aktualizację")), admin);

        QStringList status;
        for (const char *name : {"laStatusUzytkownik", "laStatusRola", "laStatusMagazyny"})
            status << w->statusBar()->findChild<QLabel *>(QLatin1String(name))->text();
        QCOMPARE(status, (QStringList{QStringLiteral("Użytkownik: <b>%1</b>").arg(login),
                                      admin ? QStringLiteral("Rola: <font color=\"red\";>Administrator</font>")
                                            : QStringLiteral("Rola: <font color=\"blue\";>Zwykły użytkownik</font>"),
                                      warehouses}));
        // The test server encrypts when it has a certificate, and the session asks for it when offered.
        if (!qEnvironmentVariableIsEmpty("ORV_TEST_PGSSLCA"))
            QCOMPARE(w->statusBar()->findChild<QLabel *>(QStringLiteral("laStatusSzyfrowanie"))->text(),
                     QStringLiteral("Połączenie: szyfrowane"));
    }

    // The first start fills the screen and the register gets most of the
    // height; a later start comes back as it was left.
    void firstStartFillsTheScreen()
    {
        TAVUiState::settings().clear();
        auto w = signIn(QStringLiteral("admin"));
        QVERIFY(w);
        QVERIFY(w->isMaximized());
        const QRect area = w->screen()->availableGeometry();
        QVERIFY(w->normalGeometry().width() >= area.width() * 8 / 10 && w->normalGeometry().height() >= area.height() * 8 / 10);
        TAVEwidencja *view = open(*w, "mgz2");
        QVERIFY(view);
        QTRY_VERIFY(view->tableView()->height() > 2 * view->relativeTabs()->height());
        QVERIFY(w->statusBar()->geometry().bottom() < w->height());
        w->setWindowState(Qt::WindowNoState);
        w->setGeometry(QRect(area.topLeft() + QPoint(40, 40), QSize(900, 700)));
        w->close();
        w = signIn(QStringLiteral("admin"));
        QVERIFY(!w->isMaximized());
        QCOMPARE(w->size(), QSize(900, 700));
    }

    // "Nie pytaj więcej" of the issue slip is taken back in the workstation's settings.
    void slipQuestionComesBack()
    {
        auto w = signIn(QStringLiteral("kierownik"));
        QVERIFY(w);
        MovementSlip::setAsks(false);
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            auto *ask = d->findChild<QCheckBox *>(QStringLiteral("ckPytajOKarteWydania"));
            QVERIFY(!ask->isChecked());
            ask->setChecked(true);
            TestUi::pressOk(d);
        });
        w->findChild<QAction *>(QStringLiteral("actionStationSettings"))->trigger();
        QCOMPARE(driver.seen().last().title, QStringLiteral("Ustawienia stanowiska"));
        QVERIFY(MovementSlip::asks());
        // "Wyloguj" closes the window for the login dialog to come back; closing does not.
        w->findChild<QAction *>(QStringLiteral("actionLogout"))->trigger();
        QVERIFY(!w->isVisible() && w->loggedOut());
        w = signIn(QStringLiteral("admin"));
        w->close();
        QVERIFY(!w->loggedOut());
    }

    void modulesOpenOnceAndCloseToTheLogo()
    {
        auto w = signIn(QStringLiteral("admin"));
        QVERIFY(w);
        QPointer<TAVEwidencja> view(open(*w, "mgz2"));
        QVERIFY(view);
        QCOMPARE(w->pages()->currentWidget(), w->tabs());
        // The first warehouse is current and its locations show below.
        QCOMPARE(TestUi::currentKey(*view), 1);
        auto tab = [&](const char *title) {
            QTabWidget *tabs = view->relativeTabs();
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->tabText(i) == QLatin1String(title)) {
                    tabs->setCurrentIndex(i);
                    return qobject_cast<TAVEwidencja *>(tabs->widget(i));
                }
            }
            return static_cast<TAVEwidencja *>(nullptr);
        };
        TAVEwidencja *locations = tab("Lokalizacje");
        QVERIFY(locations);
        QCOMPARE(locations->getModel()->rowCount(), 4);
        QVERIFY(view->selectKey(3));
        QCOMPARE(locations->getModel()->rowCount(), 3);
        TAVEwidencja *managers = tab("Kierownicy magazynu");
        QVERIFY(managers);
        QCOMPARE(managers->getModel()->value(0, QStringLiteral("uzt_login")).toString(), QStringLiteral("kierownik"));
        // A second click brings the same tab forward, selection untouched.
        QCOMPARE(open(*w, "mgz2"), view.data());
        QCOMPARE(TestUi::currentKey(*view), 3);

        for (const char *icon : {"construction", "role", "listtools", "adv", "file_mgr", "przesunieciamm", "roletools",
                                 "user", "admin1"})
            QVERIFY2(open(*w, icon) || qobject_cast<AdminPermissionFrame *>(w->tabs()->currentWidget()), icon);
        QCOMPARE(w->tabs()->count(), 10);
        QCOMPARE(w->tabs()->tabText(8), QStringLiteral("Użytkownicy"));
        QCOMPARE(qobject_cast<TAVEwidencja *>(w->tabs()->widget(8))->relativeTabs()->tabText(0),
                 QStringLiteral("Kierownik magazynu"));

        while (w->tabs()->count() > 0) {
            QWidget *close = w->tabs()->tabBar()->tabButton(0, QTabBar::RightSide);
            QVERIFY(close);
            QTest::mouseClick(close, Qt::LeftButton);
        }
        QVERIFY(!view);
        QVERIFY(qobject_cast<QLabel *>(w->pages()->currentWidget()));
        QVERIFY(open(*w, "mgz2"));
        QCOMPARE(w->pages()->currentWidget(), w->tabs());
    }

    // Coming back to a tab shows what other workstations wrote meanwhile,
    // keeping the selected row.
    void returningToATabShowsNewRows()
    {
        auto w = signIn(QStringLiteral("admin"));
        QVERIFY(w);
        TAVEwidencja *view = open(*w, "mgz2");
        QVERIFY(view->selectKey(3));
        open(*w, "role");
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('AA_NOWY', 'Aaa')")));
        QCOMPARE(view->getModel()->rowCount(), 4);
        w->tabs()->setCurrentWidget(view);
        QCOMPARE(view->getModel()->rowCount(), 5);
        QCOMPARE(TestUi::currentKey(*view), 3);
    }

    // The notice names the late returns and inspections of the manager's
    // warehouses and opens the register filtered to them; a workstation
    // may turn it off.
    void termsNoticeAtSignIn()
    {
        auto w = signIn(QStringLiteral("kierownik"));
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_planowany_zwrot = pnp_data_wydanie "
                                            "WHERE NOT pnp_status AND pnp_data_wydanie < current_date")));
        const QString mine = QStringLiteral(" IN (2, 3)");
        const int late = db(QStringLiteral("SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status AND "
                                           "pnp_planowany_zwrot < current_date AND pnp_fk_mgz") + mine).toInt();
        const int due = db(QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_przeglad < current_date AND "
                                          "NOT nrz_zlikwidowano AND nrz_fk_mgz") + mine).toInt();
        QVERIFY(late > 0);
        TerminyNotice notice(w.get());
        ModalDriver driver;
        driver.onNext([&](QWidget *box) {
            QCOMPARE(qobject_cast<QMessageBox *>(box)->text(),
                     QStringLiteral("W Twoich magazynach:<br>narzędzia po terminie zwrotu: <b>%1</b><br>"
                                    "narzędzia po terminie przeglądu: <b>%2</b>").arg(late).arg(due));
            for (QAbstractButton *b : qobject_cast<QMessageBox *>(box)->buttons())
                if (b->text() == QStringLiteral("Pokaż &zwroty"))
                    b->click();
        });
        QVERIFY(notice.showNow());
        QTRY_COMPARE(qobject_cast<TAVEwidencja *>(w->tabs()->currentWidget())->getModel()->rowCount(), late);
        TerminyNotice::setEnabled(false);
        QVERIFY(!notice.showNow());
        TerminyNotice::setEnabled(true);
    }

    void passwordChange_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::newRow("administrator") << "admin" << "Nowe#Haslo1";
        QTest::newRow("manager, Polish letters") << "kierownik" << "Zażółć gęślą jaźń";
        QTest::newRow("storekeeper, empty") << "magazynier" << "";
    }
    void passwordChange()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        auto w = signIn(login);
        QVERIFY(w);
        const QString others = QStringLiteral("SELECT string_agg(uzt_haslo, ',' ORDER BY uzt_id) FROM uzytkownicy WHERE uzt_login <> ?");
        const QString before = TestDb::scalar(others, {login}).toString();
        QAction *change = w->findChild<QAction *>(QStringLiteral("actionChangePassword"));
        QVERIFY(change && change->isEnabled());

        // Cancelled: nothing changes.
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("inne"), QStringLiteral("inne"), false));
        change->trigger();
        QCOMPARE(digest(login), sha1(login));

        // A mistyped repetition keeps the dialog open; corrected, it is stored.
        driver.onNext(enter(password, password + QStringLiteral("x")));
        driver.expectBox(QStringLiteral("Niepoprawne dane"), QStringLiteral("Nowe hasło nie jest identycznie powtórzone."));
        driver.onNext(enter(password, password));
        driver.expectBox(QStringLiteral("Zmiana hasła"), QStringLiteral("Hasło zostało zmienione."));
        change->trigger();
        QCOMPARE(digest(login), sha1(password));
        QCOMPARE(TestDb::scalar(others, {login}).toString(), before);
        qint32 id = 0;
        QVERIFY(OVApplication::instance()->loginToApp(login, password, id));
        QVERIFY(!OVApplication::instance()->loginToApp(login, login, id));
        QCOMPARE(OVApplication::instance()->login(), login);
    }

    void passwordChangeOfARemovedAccount()
    {
        QVERIFY(Session::start());
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                                            "VALUES ('gosc', ?, 'Jan', 'Gość')"), {sha1(QStringLiteral("gosc"))}));
        OVApplication::instance()->setLogin(QStringLiteral("gosc"));
        OVApplication::instance()->setUztId(Session::userId(QStringLiteral("gosc")));
        auto w = std::make_unique<MainWindow>();
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM uzytkownicy WHERE uzt_login = 'gosc'")));
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("nowe"), QStringLiteral("nowe")));
        driver.onNext([](QWidget *box) {
            // Whatever the database said, the user is told it did not work.
            QVERIFY(qobject_cast<QMessageBox *>(box)->text().startsWith(QStringLiteral("Hasło nie zostało zmienione.")));
            ModalDriver::close(box);
        });
        w->findChild<QAction *>(QStringLiteral("actionChangePassword"))->trigger();
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE uzt_haslo = ?"),
                                {sha1(QStringLiteral("nowe"))}).toInt(), 0);
    }
};

ORV_TEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
