#include "MainWindow.h"
#include "ModalDriver.h"
#include "OVApplication.h"
#include "Session.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QResource>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <memory>

class TstMainWindow : public QObject
{
    Q_OBJECT

private:
    struct Module
    {
        QString text;
        QString icon;
    };

    static QList<Module> everyoneModules()
    {
        return {
            {QStringLiteral("Magazyny"), QStringLiteral("mgz2")},
            {QStringLiteral("Miejsca Użytkowania"), QStringLiteral("construction")},
            {QStringLiteral("Pracownicy"), QStringLiteral("role")},
            {QStringLiteral("Kategorie Narzędzi"), QStringLiteral("listtools")},
            {QStringLiteral("Narzędzia"), QStringLiteral("adv")},
            {QStringLiteral("Naprawy i przeglądy"), QStringLiteral("file_mgr")},
            {QStringLiteral("Przesunięcia MM"), QStringLiteral("przesunieciamm")},
            {QStringLiteral("Przypisane narzędzia \npracownikom"), QStringLiteral("roletools")},
        };
    }
    static QList<Module> adminModules()
    {
        return {
            {QStringLiteral("Użytkownicy"), QStringLiteral("user")},
            {QStringLiteral("Uprawnienia \nadministratora"), QStringLiteral("admin1")},
        };
    }

    // Signs `login` in on a fresh database and opens the window as the
    // program does after its login dialog.
    static std::unique_ptr<MainWindow> signIn(const QString &login)
    {
        if (!Session::start(login))
            return nullptr;
        auto w = std::make_unique<MainWindow>();
        if (!QTest::qWaitForWindowExposed(w.get()))
            return nullptr;
        return w;
    }

    static QToolButton *moduleButton(MainWindow &w, const QString &icon)
    {
        return w.palette()->findChild<QToolButton *>(QStringLiteral("tb_") + icon);
    }

    static TAVEwidencja *openWarehouses(MainWindow &w)
    {
        QToolButton *b = moduleButton(w, QStringLiteral("mgz2"));
        if (!b)
            return nullptr;
        QTest::mouseClick(b, Qt::LeftButton);
        return qobject_cast<TAVEwidencja *>(w.tabs()->currentWidget());
    }

    static int currentKey(TAVEwidencja &view)
    {
        const QModelIndex c = view.currentIndex();
        return c.isValid() ? view.getModel()->record(c.row()).value(0).toInt() : -1;
    }

    static void selectKey(TAVEwidencja &view, int key)
    {
        QSqlRelationalTableModel *m = view.getModel()->sqlModel();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->record(r).value(0).toInt() == key) {
                view.tableView()->selectRow(r);
                return;
            }
        }
        QFAIL("row missing");
    }

    // Menu entries as the user reads them; a separator is "-".
    static QStringList entries(QMenu *menu)
    {
        QStringList out;
        for (QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }

    static QMenu *menu(MainWindow &w, const QString &title)
    {
        for (QAction *a : w.menuBar()->actions()) {
            if (a->text() == title)
                return a->menu();
        }
        return nullptr;
    }

    static QString storedDigest(const QString &login)
    {
        return TestDb::scalar(QStringLiteral("SELECT uzt_haslo FROM uzytkownicy WHERE uzt_login = ?"), {login}).toString();
    }

    // Computed here, not by the program, so that a wrong digest shows.
    static QString sha1Hex(const QString &text)
    {
        return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
    }

    static bool signsIn(const QString &login, const QString &password, qint32 *id = nullptr)
    {
        qint32 out = 0;
        const bool ok = OVApplication::instance()->loginToApp(login, password, out);
        if (id)
            *id = out;
        return ok;
    }

    // Typed key by key; letters outside Latin-1 come as text-only key events.
    static void typeText(QWidget *w, const QString &text)
    {
        for (const QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClicks(w, QString(ch));
            } else {
                QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        }
    }

    // Types both entries into the password dialog and presses a button.
    static std::function<void(QWidget *)> enter(const QString &first, const QString &second,
                                                QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
    {
        return [first, second, which](QWidget *d) {
            auto type = [d](const char *name, const QString &text) {
                auto *le = d->findChild<QLineEdit *>(QString::fromLatin1(name));
                QVERIFY2(le, name);
                le->setFocus();
                typeText(le, text);
            };
            type("leNoweHaslo1", first);
            type("leNoweHaslo2", second);
            d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(which)->click();
        };
    }

    static void triggerChangePassword(MainWindow &w)
    {
        auto *a = w.findChild<QAction *>(QStringLiteral("actionChangePassword"));
        QVERIFY(a);
        QVERIFY(a->isEnabled());
        a->trigger();
    }

    static void logins()
    {
        QTest::addColumn<QString>("login");
        QTest::newRow("administrator") << QStringLiteral("admin");
        QTest::newRow("kierownik") << QStringLiteral("kierownik");
        QTest::newRow("magazynier") << QStringLiteral("magazynier");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }

    void windowStartsOnTheLogo_data() { logins(); }
    void windowStartsOnTheLogo()
    {
        QFETCH(QString, login);
        auto w = signIn(login);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvalo"));
        QVERIFY(w->isVisible());
        QVERIFY(w->pages()->currentWidget() != w->tabs());
        auto *logo = qobject_cast<QLabel *>(w->pages()->currentWidget());
        QVERIFY(logo);
        QVERIFY(!logo->pixmap().isNull());
        QCOMPARE(w->tabs()->count(), 0);
    }

    void paletteFollowsTheRole_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("admin");
        QTest::newRow("administrator") << QStringLiteral("admin") << true;
        QTest::newRow("kierownik") << QStringLiteral("kierownik") << false;
        QTest::newRow("magazynier") << QStringLiteral("magazynier") << false;
    }
    void paletteFollowsTheRole()
    {
        QFETCH(QString, login);
        QFETCH(bool, admin);
        auto w = signIn(login);
        QVERIFY(w);

        QList<Module> expected = everyoneModules();
        if (admin)
            expected += adminModules();
        const QList<QToolButton *> buttons = w->palette()->buttons();
        QCOMPARE(buttons.size(), expected.size());
        // Nothing else in the palette, and shown top to bottom in this order.
        QCOMPARE(w->palette()->findChildren<QToolButton *>().size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QToolButton *b = buttons.at(i);
            const Module &m = expected.at(i);
            const QByteArray where = m.icon.toUtf8();
            QCOMPARE(b->objectName(), QStringLiteral("tb_") + m.icon);
            QCOMPARE(b->text(), m.text);
            QVERIFY2(b->isVisible(), where.constData());
            if (i > 0)
                QVERIFY2(b->y() > buttons.at(i - 1)->y(), where.constData());
            QCOMPARE(b->iconSize(), QSize(32, 32));
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
            QVERIFY2(b->minimumHeight() >= 40 && b->height() >= 40, where.constData());
            const QString path = QStringLiteral(":/navbar/32/") + m.icon;
            QVERIFY2(QFile::exists(path), where.constData());
            QCOMPARE(b->icon().pixmap(32, 32).toImage(), QIcon(path).pixmap(32, 32).toImage());
            // The tool and movement registers are not part of this build.
            const QStringList pending{"adv", "file_mgr", "przesunieciamm", "roletools"};
            QCOMPARE(b->isEnabled(), !pending.contains(m.icon));
            const bool adminOnly = i >= everyoneModules().size();
            QCOMPARE(b->styleSheet(),
                     adminOnly ? QStringLiteral("QToolButton { background-color: red; font: bold; border-color: grey; "
                                                "border-radius: 3px; border-width: 1px; border-style: solid; }")
                               : QString());
        }
        // A disabled module does nothing when clicked.
        QTest::mouseClick(moduleButton(*w, QStringLiteral("adv")), Qt::LeftButton);
        QCOMPARE(w->tabs()->count(), 0);
        QVERIFY(w->pages()->currentWidget() != w->tabs());
    }

    void menusFollowTheRole_data() { logins(); }
    void menusFollowTheRole()
    {
        QFETCH(QString, login);
        const bool admin = login == QLatin1String("admin");
        auto w = signIn(login);
        QVERIFY(w);

        QStringList titles;
        for (QAction *a : w->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"Program", "Zarządzanie kontem", "Pomoc"}));

        QMenu *program = menu(*w, QStringLiteral("Program"));
        QCOMPARE(entries(program), admin ? (QStringList{"Sprawdź aktualizację", "-", "Zakończ"})
                                         : (QStringList{"Zakończ"}));
        for (QAction *a : program->actions() + menu(*w, QStringLiteral("Pomoc"))->actions())
            QVERIFY(a->isSeparator() || a->isEnabled());
        QCOMPARE(entries(menu(*w, QStringLiteral("Zarządzanie kontem"))), (QStringList{"Zmień hasło"}));
        QCOMPARE(entries(menu(*w, QStringLiteral("Pomoc"))), (QStringList{"Pomoc aplikacji", "-", "O programie"}));
        QVERIFY(menu(*w, QStringLiteral("Zarządzanie kontem"))->actions().first()->isEnabled());

        // "Zakończ" closes the window.
        program->actions().last()->trigger();
        QVERIFY(!w->isVisible());
    }

    void statusBarNamesTheSession_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("warehouses");
        QTest::newRow("administrator")
                << QStringLiteral("admin") << QStringLiteral("Rola: <font color=\"red\";>Administrator</font>")
                << QStringLiteral("Dostępne magazyny: <font color=\"red\";>nieograniczony dostęp</font>");
        QTest::newRow("kierownik")
                << QStringLiteral("kierownik") << QStringLiteral("Rola: <font color=\"blue\";>Zwykły użytkownik</font>")
                << QStringLiteral("Dostępne magazyny: <font color=\"blue\";>MG_BUDOWA1, MG_BUDOWA2</font>");
        QTest::newRow("magazynier")
                << QStringLiteral("magazynier") << QStringLiteral("Rola: <font color=\"blue\";>Zwykły użytkownik</font>")
                << QStringLiteral("Dostępne magazyny: <font color=\"blue\";></font>");
    }
    void statusBarNamesTheSession()
    {
        QFETCH(QString, login);
        QFETCH(QString, role);
        QFETCH(QString, warehouses);
        auto w = signIn(login);
        QVERIFY(w);
        QList<QLabel *> labels = w->statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(labels.size(), 3);
        // Read left to right, as they stand on screen.
        std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->x() < b->x(); });
        QStringList texts;
        for (QLabel *l : labels) {
            QVERIFY(l->isVisible());
            texts << l->text();
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("Użytkownik: <b>%1</b>").arg(login), role, warehouses}));
        // Permanent: a passing message does not cover them.
        w->statusBar()->showMessage(QStringLiteral("komunikat"));
        for (QLabel *l : labels)
            QVERIFY(l->isVisible());
    }

    void managerWarehousesInSymbolOrder()
    {
        // An edited row moves within the table's storage; the list must not follow it.
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE magazyny SET mgz_opis = 'Kontenery przy bramie.' WHERE mgz_id = 2")));
        MainWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *label = w.statusBar()->findChild<QLabel *>(QStringLiteral("laStatusMagazyny"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Dostępne magazyny: <font color=\"blue\";>MG_BUDOWA1, MG_BUDOWA2</font>"));
    }

    void warehouseModuleOpensOneTab_data() { logins(); }
    void warehouseModuleOpensOneTab()
    {
        QFETCH(QString, login);
        auto w = signIn(login);
        QVERIFY(w);
        TAVEwidencja *view = openWarehouses(*w);
        QVERIFY(view);
        QCOMPARE(w->pages()->currentWidget(), w->tabs());
        QCOMPARE(w->tabs()->count(), 1);
        QCOMPARE(w->tabs()->tabText(0), QStringLiteral("Magazyny"));
        QVERIFY(w->tabs()->tabsClosable());
        QCOMPARE(view->modelName(), QStringLiteral("MagazynyModel"));
        QCOMPARE(view->getModel()->rowCount(), 4);
        QVERIFY(view->isVisible());

        // The first warehouse is selected and its locations are shown below.
        QCOMPARE(view->currentIndex().row(), 0);
        QCOMPARE(currentKey(*view), 1);
        QTabWidget *relatives = view->relativeTabs();
        QCOMPARE(relatives->count(), 2);
        QCOMPARE(relatives->tabText(0), QStringLiteral("Lokalizacje"));
        QCOMPARE(relatives->tabText(1), QStringLiteral("Kierownicy magazynu"));
        auto *lokalizacje = qobject_cast<TAVEwidencja *>(relatives->widget(0));
        auto *kierownicy = qobject_cast<TAVEwidencja *>(relatives->widget(1));
        QVERIFY(lokalizacje && kierownicy);
        QCOMPARE(lokalizacje->modelName(), QStringLiteral("LokalizacjeModel"));
        QCOMPARE(kierownicy->modelName(), QStringLiteral("OvUprawnieniaMgzModel"));
        QCOMPARE(kierownicy->context(), QStringLiteral("KIEROWNICY_MGZ"));
        QCOMPARE(lokalizacje->getModel()->rowCount(), 4);
        selectKey(*view, 3);
        QCOMPARE(lokalizacje->getModel()->rowCount(), 3);
        relatives->setCurrentIndex(1);
        QCOMPARE(kierownicy->getModel()->rowCount(), 1);
        QCOMPARE(kierownicy->getModel()->record(0).value(QStringLiteral("uzt_login")).toString(),
                 QStringLiteral("kierownik"));

        // Clicking again brings the same tab forward, selection untouched.
        QPointer<TAVEwidencja> first(view);
        QCOMPARE(openWarehouses(*w), first.data());
        QCOMPARE(w->tabs()->count(), 1);
        QCOMPARE(currentKey(*view), 3);
    }

    void closingTheLastTabShowsTheLogo()
    {
        auto w = signIn(QStringLiteral("admin"));
        QVERIFY(w);
        QPointer<TAVEwidencja> view(openWarehouses(*w));
        QVERIFY(view);

        // Another module's tab keeps the tabs on screen when one closes.
        auto *other = new QWidget;
        w->tabs()->addTab(other, QStringLiteral("Inny moduł"));
        Q_EMIT w->tabs()->tabCloseRequested(0);
        QVERIFY(!view);
        QCOMPARE(w->tabs()->count(), 1);
        QCOMPARE(w->pages()->currentWidget(), w->tabs());

        QPointer<QWidget> otherGuard(other);
        w->closeTab(0);
        QVERIFY(!otherGuard);
        QCOMPARE(w->tabs()->count(), 0);
        QVERIFY(w->pages()->currentWidget() != w->tabs());
        QVERIFY(qobject_cast<QLabel *>(w->pages()->currentWidget()));

        // Opened again: a new register on the tabs page.
        TAVEwidencja *again = openWarehouses(*w);
        QVERIFY(again);
        QCOMPARE(w->tabs()->count(), 1);
        QCOMPARE(w->pages()->currentWidget(), w->tabs());
        QCOMPARE(currentKey(*again), 1);

        // The close button on the tab does the same.
        auto *bar = w->tabs()->tabBar();
        QWidget *close = bar->tabButton(0, QTabBar::RightSide);
        if (!close)
            close = bar->tabButton(0, QTabBar::LeftSide);
        QVERIFY(close);
        QTest::mouseClick(close, Qt::LeftButton);
        QCOMPARE(w->tabs()->count(), 0);
        QVERIFY(qobject_cast<QLabel *>(w->pages()->currentWidget()));
    }

    void returningToATabReloadsIt()
    {
        auto w = signIn(QStringLiteral("admin"));
        QVERIFY(w);
        TAVEwidencja *view = openWarehouses(*w);
        QVERIFY(view);
        // Opening counts as the first activation: the next one reloads.
        QVERIFY(!view->isCreated());
        selectKey(*view, 3);

        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('AA_NOWY', 'Aaa nowy')")));
        QCOMPARE(view->getModel()->rowCount(), 4);
        w->tabChanged(0);
        QCOMPARE(view->getModel()->rowCount(), 5);
        QCOMPARE(currentKey(*view), 3);
        w->tabChanged(0);
        QCOMPARE(view->getModel()->rowCount(), 5);
        QCOMPARE(currentKey(*view), 3);

        // Switching to another tab and back does the same.
        w->tabs()->addTab(new QWidget, QStringLiteral("Inny moduł"));
        w->tabs()->setCurrentIndex(1);
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('AB_NOWY', 'Abb nowy')")));
        w->tabs()->setCurrentIndex(0);
        QCOMPARE(view->getModel()->rowCount(), 6);
        QCOMPARE(currentKey(*view), 3);
    }

    void firstActivationDoesNotReload()
    {
        auto w = signIn(QStringLiteral("admin"));
        QVERIFY(w);
        w->tabs()->addTab(new QWidget, QStringLiteral("Inny moduł"));
        // A register that has just read its rows is not read again on show.
        auto *view = new TAVEwidencja(QStringLiteral("MagazynyModel"), QString(), QString());
        QVERIFY(view->isCreated());
        w->tabs()->addTab(view, QStringLiteral("Magazyny"));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('AA_NOWY', 'Aaa nowy')")));
        w->tabs()->setCurrentIndex(1);
        QVERIFY(!view->isCreated());
        QCOMPARE(view->getModel()->rowCount(), 4);
        w->tabs()->setCurrentIndex(0);
        w->tabs()->setCurrentIndex(1);
        QCOMPARE(view->getModel()->rowCount(), 5);
        // Nothing was selected: the reload selects the first row.
        QCOMPARE(view->currentIndex().row(), 0);
    }

    void passwordChangeIsStored_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::newRow("administrator") << QStringLiteral("admin") << QStringLiteral("Nowe#Haslo1");
        QTest::newRow("kierownik") << QStringLiteral("kierownik") << QStringLiteral("Zażółć gęślą jaźń");
        QTest::newRow("magazynier") << QStringLiteral("magazynier") << QStringLiteral("m4g4zyn");
    }
    void passwordChangeIsStored()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        auto w = signIn(login);
        QVERIFY(w);
        const qint32 id = Session::userId(login);
        const QString before = TestDb::scalar(
                QStringLiteral("SELECT string_agg(uzt_login || ':' || uzt_haslo, ',' ORDER BY uzt_id) FROM uzytkownicy "
                               "WHERE uzt_login <> ?"), {login}).toString();

        ModalDriver driver;
        driver.onNext(enter(password, password));
        driver.pressNext(QMessageBox::Ok);
        triggerChangePassword(*w);

        QCOMPARE(driver.pendingHandlers(), 0);
        QCOMPARE(driver.count(), 2);
        QCOMPARE(driver.seen().at(0).className, QStringLiteral("ChangePasswordDialog"));
        QCOMPARE(driver.seen().at(0).title, QStringLiteral("Ustawianie hasła"));
        QCOMPARE(driver.last().className, QStringLiteral("QMessageBox"));
        QCOMPARE(driver.last().icon, QMessageBox::Information);
        QCOMPARE(driver.last().title, QStringLiteral("Zmiana hasła"));
        QCOMPARE(driver.last().text, QStringLiteral("Hasło zostało zmienione."));

        QCOMPARE(storedDigest(login), sha1Hex(password));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT fk_uzt_zmodyfikowano FROM uzytkownicy WHERE uzt_id = ?"), {id}).toInt(), id);
        // Only the signed-in user's row changes.
        QCOMPARE(TestDb::scalar(
                         QStringLiteral("SELECT string_agg(uzt_login || ':' || uzt_haslo, ',' ORDER BY uzt_id) FROM "
                                        "uzytkownicy WHERE uzt_login <> ?"), {login}).toString(),
                 before);

        qint32 signedIn = 0;
        QVERIFY(signsIn(login, password, &signedIn));
        QCOMPARE(signedIn, id);
        QVERIFY(!signsIn(login, login));
        // The session itself goes on as it was.
        QCOMPARE(OVApplication::instance()->uztId(), id);
        QCOMPARE(OVApplication::instance()->login(), login);
    }

    void passwordChangeCancelled_data() { logins(); }
    void passwordChangeCancelled()
    {
        QFETCH(QString, login);
        auto w = signIn(login);
        QVERIFY(w);
        const QString before = storedDigest(login);
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("inne"), QStringLiteral("inne"), QDialogButtonBox::Cancel));
        triggerChangePassword(*w);
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().className, QStringLiteral("ChangePasswordDialog"));
        QCOMPARE(storedDigest(login), before);
        QVERIFY(signsIn(login, login));
        QVERIFY(!signsIn(login, QStringLiteral("inne")));
    }

    void emptyPasswordCanBeSet()
    {
        auto w = signIn(QStringLiteral("kierownik"));
        QVERIFY(w);
        ModalDriver driver;
        driver.onNext(enter(QString(), QString()));
        driver.pressNext(QMessageBox::Ok);
        triggerChangePassword(*w);
        QCOMPARE(driver.count(), 2);
        QCOMPARE(driver.last().text, QStringLiteral("Hasło zostało zmienione."));
        QCOMPARE(storedDigest(QStringLiteral("kierownik")), QStringLiteral("da39a3ee5e6b4b0d3255bfef95601890afd80709"));
        QVERIFY(signsIn(QStringLiteral("kierownik"), QString()));
        QVERIFY(!signsIn(QStringLiteral("kierownik"), QStringLiteral("kierownik")));
    }

    void differingEntriesWriteNothing_data() { logins(); }
    void differingEntriesWriteNothing()
    {
        QFETCH(QString, login);
        auto w = signIn(login);
        QVERIFY(w);
        const QString before = storedDigest(login);
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("Haslo1"), QStringLiteral("haslo1")));
        driver.pressNext(QMessageBox::Ok);
        // The dialog stays open with the entries; the user gives up.
        driver.onNext([](QWidget *d) {
            d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Cancel)->click();
        });
        triggerChangePassword(*w);

        QCOMPARE(driver.pendingHandlers(), 0);
        QCOMPARE(driver.count(), 3);
        const ModalDriver::Seen warning = driver.seen().at(1);
        QCOMPARE(warning.className, QStringLiteral("QMessageBox"));
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(warning.title, QStringLiteral("Niepoprawne dane"));
        QCOMPARE(warning.text, QStringLiteral("Nowe hasło nie jest identycznie powtórzone."));
        QCOMPARE(driver.last().className, QStringLiteral("ChangePasswordDialog"));
        QCOMPARE(storedDigest(login), before);
        QVERIFY(signsIn(login, login));
    }

    void passwordChangeOfARemovedAccount()
    {
        // The account is removed by an administrator while its user is signed in.
        QVERIFY(Session::start(QStringLiteral("admin")));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                                            "VALUES ('gosc', ?, 'Jan', 'Gość')"),
                             {sha1Hex(QStringLiteral("gosc"))}));
        OVApplication *app = OVApplication::instance();
        app->setLogin(QStringLiteral("gosc"));
        app->setUztId(Session::userId(QStringLiteral("gosc")));
        MainWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM uzytkownicy WHERE uzt_login = 'gosc'")));

        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("nowe"), QStringLiteral("nowe")));
        triggerChangePassword(w);
        // Whatever the database said, the user is told it did not work.
        QVERIFY(driver.count() >= 2);
        for (const ModalDriver::Seen &s : driver.seen())
            QVERIFY(s.text != QStringLiteral("Hasło zostało zmienione."));
        QCOMPARE(driver.last().title, QStringLiteral("Zmiana hasła"));
        QVERIFY2(driver.last().text.startsWith(QStringLiteral("Hasło nie zostało zmienione.")), qPrintable(driver.last().text));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE uzt_haslo = ?"),
                                {sha1Hex(QStringLiteral("nowe"))}).toInt(), 0);
    }

    void passwordChangeAfterAMistake()
    {
        // Corrected in the same dialog: the corrected entry is stored.
        auto w = signIn(QStringLiteral("magazynier"));
        QVERIFY(w);
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("abc"), QStringLiteral("abd")));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) {
            auto *second = d->findChild<QLineEdit *>(QStringLiteral("leNoweHaslo2"));
            second->clear();
            QTest::keyClicks(second, QStringLiteral("abc"));
            d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
        });
        driver.pressNext(QMessageBox::Ok);
        triggerChangePassword(*w);
        QCOMPARE(driver.count(), 4);
        QCOMPARE(driver.last().text, QStringLiteral("Hasło zostało zmienione."));
        QCOMPARE(storedDigest(QStringLiteral("magazynier")), sha1Hex(QStringLiteral("abc")));
    }
};

ORV_TEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
