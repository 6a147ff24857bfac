// The register view through its real widgets: search, dependent tabs,
// commands and their keys, the record editor's round trip, and recovery
// after the server went away.

#include "LogReader.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVContext.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QResource>
#include <QScopeGuard>
#include <QTabWidget>

#include <memory>

using TestUi::currentKey;

class TstRegisterView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;

    static int locationsOf(int warehouse)
    {
        return db(QStringLiteral("SELECT count(*) FROM lokalizacje WHERE lkl_fk_mgz = ?"), {warehouse}).toInt();
    }

    // Warehouses with their locations and managers in tabs, as the main
    // window opens them.
    struct Magazyny
    {
        std::unique_ptr<TAVEwidencja> view;
        TAVEwidencja *lokalizacje = nullptr;
        TAVEwidencja *kierownicy = nullptr;
    };
    static Magazyny openMagazyny()
    {
        Magazyny m;
        m.view = std::make_unique<TAVEwidencja>(QStringLiteral("MagazynyModel"), QString(), QString());
        m.lokalizacje = new TAVEwidencja(QStringLiteral("LokalizacjeModel"), QString(), QStringLiteral("lkl_fk_mgz"));
        m.lokalizacje->setTitle(QStringLiteral("Lokalizacje"));
        m.view->addRelative(m.lokalizacje, QStringLiteral("lkl_fk_mgz"));
        m.kierownicy = new TAVEwidencja(QStringLiteral("OvUprawnieniaMgzModel"), TAVContext::ManagersOf,
                                        QStringLiteral("ovuprmgz_fk_mgz"));
        m.view->addRelative(m.kierownicy, QStringLiteral("ovuprmgz_fk_mgz"));
        m.view->resize(900, 600);
        m.view->show();
        m.view->selectFirstRow();
        return m;
    }
    static QStringList enabled(TAVEwidencja &view)
    {
        QStringList out;
        for (const char *t : {"Dodaj", "Edytuj", "Kasuj"}) {
            if (TestUi::action(view, QLatin1String(t)) && TestUi::action(view, QLatin1String(t))->isEnabled())
                out << QLatin1String(t);
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_registerview.log"));
    }
    void init() { QVERIFY(Session::start()); }

    void searchKeepsTheBaseFilter()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        QVERIFY(view.searchPanel()->isHidden());
        m_log->mark();
        TestUi::search(view, QStringLiteral("mgz_nazwa"), QStringLiteral("bud"));
        QCOMPARE(view.getModel()->filter(), QStringLiteral(" mgz_nazwa ILIKE '%bud%' "));
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   search filter: \" mgz_nazwa ILIKE '%bud%' \"")));
        QCOMPARE(view.getModel()->rowCount(), 2);
        // Blanks only: the same as clearing; Escape clears the fields.
        TestUi::search(view, QStringLiteral("mgz_nazwa"), QStringLiteral("   "));
        QCOMPARE(view.getModel()->rowCount(), 4);
        TestUi::search(view, QStringLiteral("mgz_symbol"), QStringLiteral("ARCH"));
        QTest::keyClick(TestUi::searchInput(view, QStringLiteral("mgz_symbol")), Qt::Key_Escape);
        QCOMPARE(TestUi::searchInput(view, QStringLiteral("mgz_symbol"))->text(), QString());
        QCOMPARE(view.getModel()->filter(), QString());

        // In a dependent register the parent link stays part of the search;
        // without a parent row it matches nothing; a fixed filter wins.
        auto *child = new TAVEwidencja(QStringLiteral("MagazynyModel"), QString(), QStringLiteral("mgz_id"));
        view.addRelative(child, QStringLiteral("mgz_id"));
        QCOMPARE(child->getModel()->rowCount(), 0);
        QVERIFY(view.selectKey(2));
        TestUi::search(*child, QStringLiteral("mgz_nazwa"), QStringLiteral("a"));
        QCOMPARE(child->getModel()->filter(), QStringLiteral("( mgz_nazwa ILIKE '%a%' ) AND mgz_id = 2 "));
        QCOMPARE(child->getModel()->rowCount(), 1);
        view.currentIdChanged(QModelIndex());
        QCOMPARE(child->getModel()->rowCount(), 0);
        child->setFixedFilter(QStringLiteral("mgz_id IN ( 2, 3 )"));
        TestUi::search(*child, QStringLiteral("mgz_nazwa"), QStringLiteral("a"));
        QCOMPARE(child->getModel()->rowCount(), 2);
    }

    void dependentTabsFollowTheCurrentRow()
    {
        Magazyny m = openMagazyny();
        QCOMPARE(currentKey(*m.view), 1);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 4);
        QVERIFY(m.view->selectKey(3));
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 3);
        // The managers tab is read when it is shown.
        m.view->relativeTabs()->setCurrentIndex(1);
        QCOMPARE(m.kierownicy->getModel()->rowCount(), 1);
        QVERIFY(m.kierownicy->tableView()->isColumnHidden(m.kierownicy->getModel()->fieldIndex(QStringLiteral("mgz_symbol"))));
        m.view->relativeTabs()->setCurrentIndex(0);
        // Sorting keeps the parent row and so the tab's rows.
        m.view->tableView()->horizontalHeader()->setSortIndicator(1, Qt::DescendingOrder);
        QCOMPARE(currentKey(*m.view), 3);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 3);
    }

    // The parent row disappears under a search: the tab follows at once and
    // nothing can be added to the warehouse no longer shown.
    void searchThenAddNeverWritesToAHiddenRow()
    {
        Magazyny m = openMagazyny();
        QVERIFY(m.view->selectKey(4));
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), locationsOf(4));
        QCOMPARE(enabled(*m.lokalizacje).size(), 3);

        TestUi::search(*m.view, QStringLiteral("mgz_nazwa"), QStringLiteral("Nie ma takiego"));
        QCOMPARE(m.view->getModel()->rowCount(), 0);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 0);
        QCOMPARE(enabled(*m.lokalizacje), QStringList());
        QCOMPARE(enabled(*m.view), QStringList{QStringLiteral("Dodaj")});

        TestUi::search(*m.view, QStringLiteral("mgz_nazwa"), QStringLiteral("Budowa"));
        const int shown = currentKey(*m.view);
        QVERIFY(shown == 2 || shown == 3);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), locationsOf(shown));
        const int before = locationsOf(4);
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leNazwa", QStringLiteral("Regał po wyszukaniu"));
            TestUi::pressOk(d);
        });
        TRIGGER(*m.lokalizacje, "Dodaj");
        QCOMPARE(locationsOf(4), before);
        QCOMPARE(db(QStringLiteral("SELECT lkl_fk_mgz FROM lokalizacje WHERE lkl_nazwa = 'Regał po wyszukaniu'")).toInt(), shown);

        // Deleting the parent row moves the tab to the new current row.
        QTest::keyClick(TestUi::searchInput(*m.view, QStringLiteral("mgz_nazwa")), Qt::Key_Escape);
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_PUSTY', 'Pusty')")));
        m.view->select();
        QVERIFY(m.view->selectKey(5));
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 0);
        QCOMPARE(enabled(*m.lokalizacje), QStringList{QStringLiteral("Dodaj")});
        driver.pressNext(QMessageBox::Yes);
        TRIGGER(*m.view, "Kasuj");
        QVERIFY(currentKey(*m.view) > 0);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), locationsOf(currentKey(*m.view)));
    }

    void commandsFollowRightsAndTheCurrentRow()
    {
        {
            Magazyny m = openMagazyny();
            QCOMPARE(enabled(*m.view).size(), 3);
            QCOMPARE(enabled(*m.lokalizacje).size(), 3);
        }
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        Magazyny m = openMagazyny();
        QCOMPARE(enabled(*m.view), QStringList());
        // Locations only in the warehouses the manager runs (2 and 3).
        QCOMPARE(enabled(*m.lokalizacje), QStringList());
        QVERIFY(m.view->selectKey(3));
        QCOMPARE(enabled(*m.lokalizacje).size(), 3);
        QVERIFY(m.view->selectKey(4));
        QCOMPARE(enabled(*m.lokalizacje), QStringList());
        m.view->relativeTabs()->setCurrentIndex(1);
        QCOMPARE(enabled(*m.kierownicy), QStringList());
    }

    void addEditDeleteWarehouse()
    {
        Magazyny m = openMagazyny();
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            QVERIFY(d->findChild<QCheckBox *>(QStringLiteral("ckAktywny"))->isChecked());
            TestUi::setText(d, "leNazwa", QStringLiteral("Magazyn Gniezno"));
            TestUi::setText(d, "leSymbol", QStringLiteral("MG_GNIEZNO"));
            TestUi::setText(d, "leAdres", QStringLiteral("  ul. Wrzesińska 3  "));
            TestUi::setText(d, "txOpis", QStringLiteral("Nowy oddział"));
            TestUi::pressOk(d);
        });
        TRIGGER(*m.view, "Dodaj");
        const int id = db(QStringLiteral("SELECT mgz_id FROM magazyny WHERE mgz_symbol = 'MG_GNIEZNO'")).toInt();
        QCOMPARE(db(QStringLiteral("SELECT mgz_adres FROM magazyny WHERE mgz_id = ?"), {id}).toString(),
                 QStringLiteral("ul. Wrzesińska 3"));
        QCOMPARE(currentKey(*m.view), id);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 0);

        // Edit shows the row; only the changed fields are written.
        const QString created = db(QStringLiteral("SELECT stworzono::text FROM magazyny WHERE mgz_id = ?"), {id}).toString();
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text(), QStringLiteral("MG_GNIEZNO"));
            TestUi::setText(d, "leNazwa", QStringLiteral("Magazyn Gniezno-Winiary"));
            d->findChild<QCheckBox *>(QStringLiteral("ckAktywny"))->setChecked(false);
            TestUi::pressOk(d);
        });
        TRIGGER(*m.view, "Edytuj");
        QCOMPARE(db(QStringLiteral("SELECT mgz_nazwa || mgz_aktywny::text FROM magazyny WHERE mgz_id = ?"), {id}).toString(),
                 QStringLiteral("Magazyn Gniezno-Winiaryfalse"));
        QCOMPARE(db(QStringLiteral("SELECT stworzono::text FROM magazyny WHERE mgz_id = ?"), {id}).toString(), created);
        QCOMPARE(currentKey(*m.view), id);

        // Unchanged OK and Cancel write nothing.
        const QString stamp = db(QStringLiteral("SELECT zmodyfikowano::text FROM magazyny WHERE mgz_id = ?"), {id}).toString();
        driver.onNext([](QWidget *d) { TestUi::pressOk(d); });
        TRIGGER(*m.view, "Edytuj");
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leNazwa", QStringLiteral("Nie zapisane"));
            TestUi::pressCancel(d);
        });
        driver.pressNext(QMessageBox::Yes);  // Odrzucić zmiany?
        TRIGGER(*m.view, "Edytuj");
        QCOMPARE(db(QStringLiteral("SELECT zmodyfikowano::text FROM magazyny WHERE mgz_id = ?"), {id}).toString(), stamp);

        driver.expectBox(QStringLiteral("Czy chcesz usunąć wpis?"),
                         QStringLiteral("Czy chcesz usunąć magazyn MG_GNIEZNO Magazyn Gniezno-Winiary?"), QMessageBox::No);
        TRIGGER(*m.view, "Kasuj");
        driver.pressNext(QMessageBox::Yes);
        TRIGGER(*m.view, "Kasuj");
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {id}).toInt(), 0);
        QVERIFY(m.view->currentIndex().isValid());
    }

    // The form's checks and the database's refusal both keep the dialog
    // open with what the user typed.
    void refusedSaveKeepsWhatWasTyped()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leSymbol", QStringLiteral("MG_GLOWNY"));
            TestUi::pressOk(d);
        });
        driver.onNext([](QWidget *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Pola nie spełniają wymagań"));
            const QString text = qobject_cast<QMessageBox *>(box)->text();
            QCOMPARE(text, QStringLiteral("Pole <b>Symbol</b> o danej wartości już istnieje w bazie danych. Wprowadź "
                                          "inną, unikatową wartość.<br/>Pole <b>Nazwa</b> nie może być puste"));
            ModalDriver::close(box);
        });
        // A name of control characters passes the form; the database refuses it.
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->focusWidget()->objectName(), QStringLiteral("leNazwa"));
            TestUi::setText(d, "leSymbol", QStringLiteral("MG_ZAPAS"));
            TestUi::setText(d, "leNazwa", QStringLiteral("\x01\x02"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("insert"), QStringLiteral("nieudane insert"));
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text(), QStringLiteral("MG_ZAPAS"));
            TestUi::setText(d, "leNazwa", QStringLiteral("Magazyn zapasowy"));
            TestUi::pressOk(d);
        });
        TRIGGER(view, "Dodaj");
        QCOMPARE(db(QStringLiteral("SELECT mgz_nazwa FROM magazyny WHERE mgz_symbol = 'MG_ZAPAS'")).toString(),
                 QStringLiteral("Magazyn zapasowy"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny")).toInt(), 5);
    }

    void editOfARowDeletedElsewhere()
    {
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_ZNIKA', 'Znika')")));
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        QVERIFY(view.selectKey(5));
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM magazyny WHERE mgz_id = 5")));
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leNazwa", QStringLiteral("Jednak zostaje"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Edycja wpisu"),
                         QStringLiteral("Wpis nie istnieje już w bazie danych. Mógł zostać usunięty na innym stanowisku."));
        driver.closeNext();
        driver.pressNext(QMessageBox::Yes);  // Odrzucić zmiany?
        TRIGGER(view, "Edytuj");
        QCOMPARE(view.getModel()->rowCount(), 4);
    }

    void locationsOfOneWarehouseHaveDistinctNames()
    {
        Magazyny m = openMagazyny();
        QVERIFY(m.view->selectKey(3));
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leNazwa", QStringLiteral("Regał przy bramie"));
            TestUi::pressOk(d);
        });
        TRIGGER(*m.lokalizacje, "Dodaj");
        QCOMPARE(locationsOf(3), 4);
        QCOMPARE(m.lokalizacje->getModel()->value(m.lokalizacje->currentIndex().row(), QStringLiteral("lkl_nazwa")).toString(),
                 QStringLiteral("Regał przy bramie"));
        // The same name again in this warehouse is refused by the form.
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leNazwa", QStringLiteral("Biuro budowy"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"));
        driver.closeNext();
        driver.pressNext(QMessageBox::Yes);  // Odrzucić zmiany?
        TRIGGER(*m.lokalizacje, "Dodaj");
        QCOMPARE(locationsOf(3), 4);
    }

    // Enter and double-click edit, Insert adds, Delete deletes; each only
    // where its command is enabled.
    void keysRunTheirCommands()
    {
        Magazyny m = openMagazyny();
        QTableView *table = m.view->tableView();
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            auto *symbol = d->findChild<QLineEdit *>(QStringLiteral("leSymbol"));
            QVERIFY(symbol && symbol->text().isEmpty());
            TestUi::pressCancel(d);
        });
        QTest::keyClick(table, Qt::Key_Insert);
        driver.expectBox(QStringLiteral("Czy chcesz usunąć wpis?"), QString(), QMessageBox::No);
        QTest::keyClick(table, Qt::Key_Delete);
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text(), QStringLiteral("MG_GLOWNY"));
            TestUi::pressCancel(d);
        });
        QTest::keyClick(table, Qt::Key_Return);
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text(), QStringLiteral("MG_BUDOWA1"));
            TestUi::pressCancel(d);
        });
        // A double click is a click followed by the second press.
        const QPoint second = table->visualRect(table->model()->index(1, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(driver.count(), 4);

        // Without the right nothing opens.
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        Magazyny manager = openMagazyny();
        for (const char *command : {"Dodaj", "Edytuj", "Kasuj"})
            QVERIFY2(!TestUi::action(*manager.view, QString::fromUtf8(command))->isEnabled(), command);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Insert, Qt::Key_Delete})
            QTest::keyClick(manager.view->tableView(), key);
        QCoreApplication::processEvents();
        QCOMPARE(driver.count(), 4);
    }

    // A restarted server is reached again by the next read, without a word.
    // A server that stays away: one message with its cause, and the same
    // registers work again without being closed once it is back.
    void registersWorkAgainAfterTheConnectionIsLost()
    {
        Magazyny m = openMagazyny();
        ModalDriver driver;
        QVERIFY(Session::loseConnection());
        QVERIFY(m.view->selectKey(3));
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), locationsOf(3));
        QTest::keyClick(m.view.get(), Qt::Key_F5);
        QCOMPARE(m.view->getModel()->rowCount(), 4);
        QCOMPARE(driver.count(), 0);

        driver.expectBox(QStringLiteral("Brak danych z bazy"),
                         QStringLiteral("Nie można odczytać danych: połączenie z serwerem bazy danych zostało "
                                        "przerwane. Gdy serwer będzie znów dostępny, odśwież widok klawiszem F5."));
        QVERIFY(Session::serverAway());
        QTest::keyClick(m.view.get(), Qt::Key_F5);
        QTRY_COMPARE(driver.count(), 1);
        QVERIFY(Session::serverBack());
        QTRY_VERIFY_WITH_TIMEOUT((QTest::keyClick(m.view.get(), Qt::Key_F5), m.view->getModel()->rowCount() == 4), 5000);
        QVERIFY(m.view->selectKey(2));
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), locationsOf(2));
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leNazwa", QStringLiteral("Kontener 3"));
            TestUi::pressOk(d);
        });
        TRIGGER(*m.lokalizacje, "Dodaj");
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 3);
        QCOMPARE(locationsOf(2), 3);
        QCoreApplication::processEvents();
        QCOMPARE(driver.count(), 2);
    }

    // Quotes, %, _ and \ are searched for as themselves.
    void searchTakesTextLiterally_data()
    {
        QTest::addColumn<bool>("conforming");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        for (bool on : {true, false}) {
            auto row = [on](const char *name, const char *text, QStringList found) {
                QTest::addRow("%s, %s", name, on ? "on" : "off") << on << QString::fromUtf8(text) << found;
            };
            row("apostrophe", "O'Brien", {"MG_OBRIEN"});
            row("percent", "50%", {"MG_RABAT"});
            row("lone percent", "%", {"MG_RABAT"});
            row("underscore", "_", {"MG_PODKRESLNIK"});
            row("backslash", "\\", {"MG_SCIEZKA"});
            row("quote and backslash", "\\'", {});
            row("breaking out", "x' OR '1'='1", {});
        }
    }
    void searchTakesTextLiterally()
    {
        QFETCH(bool, conforming);
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        QVERIFY(TestDb::exec(QStringLiteral(
                "INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_OBRIEN', 'Skład O''Brien'), "
                "('MG_RABAT', 'Rabat 50% dla budów'), ('MG_PODKRESLNIK', 'Skład a_b'), ('MG_SCIEZKA', 'Dysk C:\\dane') "
                "ON CONFLICT DO NOTHING")));
        const auto reset = qScopeGuard([] { Session::conformingStrings(true); });
        QVERIFY(Session::conformingStrings(conforming));
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        TestUi::search(view, QStringLiteral("mgz_nazwa"), text);
        QStringList symbols;
        for (int r = 0; r < view.getModel()->rowCount(); ++r)
            symbols << view.getModel()->value(r, QStringLiteral("mgz_symbol")).toString();
        QCOMPARE(symbols, found);
    }

    void polishNamesSortInPolishOrder()
    {
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES "
                                            "('MG_L1', 'Mława'), ('MG_L2', 'Łódź'), ('MG_L3', 'Lublin'), ('MG_L4', 'Łomża')")));
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        TAVTableModel *model = view.getModel();
        view.tableView()->horizontalHeader()->setSortIndicator(model->fieldIndex(QStringLiteral("mgz_nazwa")), Qt::AscendingOrder);
        QStringList names;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString name = model->value(r, QStringLiteral("mgz_nazwa")).toString();
            if (!name.contains(QLatin1Char(' ')))
                names << name;
        }
        QCOMPARE(names, (QStringList{"Lublin", "Łomża", "Łódź", "Mława"}));
    }
};

ORV_TEST_MAIN(TstRegisterView)
#include "tst_registerview.moc"
