#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "LogReader.h"
#include "ModalDriver.h"
#include "RegisterActions.h"
#include "Session.h"
#include "TAVDialog.h"
#include "TabelaMagazynDialog.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include <memory>

using RegisterActions::action;
using RegisterActions::trigger;

class TstRegisterView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;

    static QLineEdit *searchInput(TAVEwidencja &view, const QString &column)
    {
        for (auto *le : view.searchPanel()->findChildren<QLineEdit *>()) {
            if (le->property("searchFieldName").toString() == column)
                return le;
        }
        return nullptr;
    }

    static int rowOf(TAVEwidencja &view, int key)
    {
        QSqlRelationalTableModel *m = view.getModel()->sqlModel();
        while (m->canFetchMore())
            m->fetchMore();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->record(r).value(0).toInt() == key)
                return r;
        }
        return -1;
    }

    static void selectKey(TAVEwidencja &view, int key)
    {
        const int row = rowOf(view, key);
        QVERIFY2(row >= 0, "row missing");
        view.tableView()->selectRow(row);
    }

    static int currentKey(TAVEwidencja &view)
    {
        const QModelIndex c = view.currentIndex();
        return c.isValid() ? view.getModel()->record(c.row()).value(0).toInt() : -1;
    }

    static void setText(QWidget *dialog, const char *name, const QString &text)
    {
        QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(name));
        QVERIFY2(w, name);
        if (auto *le = qobject_cast<QLineEdit *>(w)) {
            le->setText(text);
        } else if (auto *te = qobject_cast<QPlainTextEdit *>(w)) {
            te->setPlainText(text);
        }
    }

    static void pressOk(QWidget *dialog)
    {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    }
    static void pressCancel(QWidget *dialog)
    {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    }

    static QVariant db(const QString &sql, const QVariantList &binds = {}) { return TestDb::scalar(sql, binds); }

    // A register with the locations of the selected warehouse in a tab.
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
        m.kierownicy = new TAVEwidencja(QStringLiteral("OvUprawnieniaMgzModel"), QStringLiteral("KIEROWNICY_MGZ"),
                                        QStringLiteral("ovuprmgz_fk_mgz"));
        m.kierownicy->setTitle(QStringLiteral("Kierownicy magazynu"));
        m.view->addRelative(m.kierownicy, QStringLiteral("ovuprmgz_fk_mgz"));
        m.view->selectFirstRow();
        return m;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_registerview.log"));
        QVERIFY(Session::start());
    }

    void init() { QVERIFY(Session::start()); }

    void warehouseRegisterLayout()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        TAVTableModel *m = view.getModel();
        QCOMPARE(m->parent(), &view);

        QStringList texts;
        for (QAction *a : view.toolBar()->actions()) {
            if (!a->text().isEmpty())
                texts << a->text();
        }
        QCOMPARE(texts, (QStringList{"Dodaj", "Edytuj", "Kasuj", "Wyszukiwarka\n[F3]"}));
        for (const char *t : {"Dodaj", "Edytuj", "Kasuj"})
            QVERIFY2(!action(view, QString::fromLatin1(t))->icon().isNull(), t);
        QCOMPARE(view.toolBar()->iconSize(), QSize(32, 32));
        QCOMPARE(view.toolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(view.searchAction()->isCheckable());

        // The panel starts hidden; F3 opens it and closes it again.
        QVERIFY(view.searchPanel()->isHidden());
        QTest::keyClick(&view, Qt::Key_F3);
        QVERIFY(view.isSearchBarVisible());
        QVERIFY(!view.searchPanel()->isHidden());
        QCOMPARE(view.searchPanel()->title(), QStringLiteral("Wyszukiwarka"));
        QStringList labels;
        for (QLabel *l : view.searchPanel()->findChildren<QLabel *>())
            labels << l->text();
        QCOMPARE(labels, (QStringList{"Symbol", "Nazwa", "Adres"}));
        QVERIFY(view.searchPanel()->findChild<QPushButton *>(QStringLiteral("pbSzukaj")));
        QCOMPARE(view.searchPanel()->findChild<QPushButton *>(QStringLiteral("pbSzukaj"))->text(), QStringLiteral("SZUKAJ"));
        QCOMPARE(view.searchPanel()->findChild<QPushButton *>(QStringLiteral("pbWyczysc"))->text(),
                 QStringLiteral("WYCZYŚĆ"));
        QTest::keyClick(&view, Qt::Key_F3);
        QVERIFY(view.searchPanel()->isHidden());
        QVERIFY(!view.searchAction()->isChecked());

        // Only the business columns show; the active flag stands fourth.
        QTableView *t = view.tableView();
        for (const char *hidden : {"mgz_id", "systemowy", "fk_uzt_stworzono", "fk_uzt_zmodyfikowano", "stworzono",
                                   "zmodyfikowano"})
            QVERIFY2(t->isColumnHidden(m->fieldIndex(QString::fromLatin1(hidden))), hidden);
        QCOMPARE(t->horizontalHeader()->visualIndex(m->fieldIndex(QStringLiteral("mgz_aktywny"))), 3);
        QCOMPARE(t->itemDelegate(), m->rowDelegate());
        QVERIFY(t->itemDelegateForColumn(m->fieldIndex(QStringLiteral("mgz_aktywny"))));
        QCOMPARE(t->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(t->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view.getModel()->rowCount(), 4);
        QVERIFY(view.relativeTabs()->isHidden());
    }

    void registerWithoutSearchFields()
    {
        TAVEwidencja view(QStringLiteral("LokalizacjeModel"), QString(), QString());
        QVERIFY(!view.searchAction());
        QVERIFY(view.searchPanel()->findChildren<QPushButton *>().isEmpty());
        QTest::keyClick(&view, Qt::Key_F3);
        QVERIFY(!view.isSearchBarVisible());
        QVERIFY(view.searchPanel()->isHidden());
        QTableView *t = view.tableView();
        int visible = 0;
        for (int c = 0; c < t->model()->columnCount(); ++c)
            visible += t->isColumnHidden(c) ? 0 : 1;
        QCOMPARE(visible, 1);
        QVERIFY(!t->isColumnHidden(view.getModel()->fieldIndex(QStringLiteral("lkl_nazwa"))));
    }

    void searchFilters()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        QTest::keyClick(&view, Qt::Key_F3);
        QLineEdit *nazwa = searchInput(view, QStringLiteral("mgz_nazwa"));
        QVERIFY(nazwa);
        m_log->mark();
        QTest::keyClicks(nazwa, QStringLiteral("ab"));
        QTest::keyClick(nazwa, Qt::Key_Return);
        QCOMPARE(view.getModel()->filter(), QStringLiteral(" mgz_nazwa ILIKE '%ab%' "));
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   search filter: \" mgz_nazwa ILIKE '%ab%' \"")));
        QCOMPARE(view.getModel()->rowCount(),
                 db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_nazwa ILIKE '%ab%'")).toInt());

        // Two fields: both conditions, in panel order.
        QTest::keyClicks(searchInput(view, QStringLiteral("mgz_symbol")), QStringLiteral("MG_"));
        view.searchPanel()->findChild<QPushButton *>(QStringLiteral("pbSzukaj"))->click();
        QCOMPARE(view.getModel()->filter(), QStringLiteral(" mgz_symbol ILIKE '%MG_%' AND mgz_nazwa ILIKE '%ab%' "));

        // Escape clears the fields and the filter.
        QTest::keyClick(nazwa, Qt::Key_Escape);
        QCOMPARE(nazwa->text(), QString());
        QCOMPARE(view.getModel()->filter(), QString());
        QCOMPARE(view.getModel()->rowCount(), 4);

        // Blanks only: the same as clearing.
        QTest::keyClicks(nazwa, QStringLiteral("   "));
        QTest::keyClick(nazwa, Qt::Key_Return);
        QCOMPARE(view.getModel()->filter(), QString());
        QCOMPARE(view.getModel()->rowCount(), 4);
    }

    void searchTextWithApostrophe()
    {
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_OBRIEN', 'Skład O''Brien')")));
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        QTest::keyClick(&view, Qt::Key_F3);
        QLineEdit *nazwa = searchInput(view, QStringLiteral("mgz_nazwa"));
        QTest::keyClicks(nazwa, QStringLiteral("O'Brien"));
        QTest::keyClick(nazwa, Qt::Key_Return);
        QCOMPARE(view.getModel()->rowCount(), 1);
        QCOMPARE(view.getModel()->record(0).value(QStringLiteral("mgz_symbol")).toString(), QStringLiteral("MG_OBRIEN"));
        // An attempt to break out of the literal only finds nothing.
        nazwa->clear();
        QTest::keyClicks(nazwa, QStringLiteral("x' OR '1'='1"));
        QTest::keyClick(nazwa, Qt::Key_Return);
        QCOMPARE(view.getModel()->rowCount(), 0);
    }

    void searchKeepsTheBaseFilter()
    {
        // In a dependent register the parent link stays part of the search.
        TAVEwidencja parent(QStringLiteral("MagazynyModel"), QString(), QString());
        auto *child = new TAVEwidencja(QStringLiteral("MagazynyModel"), QString(), QStringLiteral("mgz_id"));
        parent.addRelative(child, QStringLiteral("mgz_id"));
        selectKey(parent, 2);
        QCOMPARE(child->getModel()->filter(), QStringLiteral("mgz_id = 2"));
        QTest::keyClick(child, Qt::Key_F3);
        QTest::keyClicks(searchInput(*child, QStringLiteral("mgz_nazwa")), QStringLiteral("ab"));
        QTest::keyClick(searchInput(*child, QStringLiteral("mgz_nazwa")), Qt::Key_Return);
        QCOMPARE(child->getModel()->filter(), QStringLiteral("( mgz_nazwa ILIKE '%ab%' ) AND mgz_id = 2 "));
        QTest::keyClick(searchInput(*child, QStringLiteral("mgz_nazwa")), Qt::Key_Escape);
        QCOMPARE(child->getModel()->filter(), QStringLiteral("mgz_id = 2"));

        // No parent row: the link matches nothing, the search has no base.
        parent.currentIdChanged(QModelIndex());
        QCOMPARE(child->relationFilter(), QStringLiteral("mgz_id = -1"));
        QCOMPARE(child->getModel()->rowCount(), 0);
        QCOMPARE(child->baseFilter(), QString());

        // A fixed filter wins over the link.
        child->setFixedFilter(QStringLiteral("mgz_id IN ( 2, 3 )"));
        QTest::keyClicks(searchInput(*child, QStringLiteral("mgz_nazwa")), QStringLiteral("ab"));
        QTest::keyClick(searchInput(*child, QStringLiteral("mgz_nazwa")), Qt::Key_Return);
        QCOMPARE(child->getModel()->filter(), QStringLiteral("( mgz_nazwa ILIKE '%ab%' ) AND mgz_id IN ( 2, 3 ) "));
    }

    void dependentTabsFollowTheCurrentRow()
    {
        Magazyny m = openMagazyny();
        QCOMPARE(m.view->relativeTabs()->count(), 2);
        QVERIFY(!m.view->relativeTabs()->isHidden());
        QCOMPARE(m.view->relativeTabs()->tabText(0), QStringLiteral("Lokalizacje"));
        QCOMPARE(m.view->relativeTabs()->tabText(1), QStringLiteral("Kierownicy magazynu"));
        QCOMPARE(currentKey(*m.view), 1);
        QCOMPARE(m.lokalizacje->getModel()->filter(), QStringLiteral("lkl_fk_mgz = 1"));
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 4);

        m_log->mark();
        selectKey(*m.view, 3);
        QCOMPARE(m.lokalizacje->parentKey(), 3);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 3);
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   Ref filter: \"lkl_fk_mgz = 3\"")));
        // The managers tab is filtered when it is shown.
        QCOMPARE(m.kierownicy->relationFilter(), QStringLiteral("ovuprmgz_fk_mgz = 3"));
        m.view->relativeTabs()->setCurrentIndex(1);
        QCOMPARE(m.kierownicy->getModel()->filter(), QStringLiteral("ovuprmgz_fk_mgz = 3"));
        QCOMPARE(m.kierownicy->getModel()->rowCount(), 1);
        QCOMPARE(m.kierownicy->getModel()->record(0).value(QStringLiteral("uzt_login")).toString(),
                 QStringLiteral("kierownik"));
        // Only the user's columns show there.
        QTableView *kt = m.kierownicy->tableView();
        QVERIFY(kt->isColumnHidden(m.kierownicy->getModel()->fieldIndex(QStringLiteral("mgz_symbol"))));
        QVERIFY(!kt->isColumnHidden(m.kierownicy->getModel()->fieldIndex(QStringLiteral("uzt_nazwisko"))));
    }

    void actionsFollowTheRights()
    {
        {
            Magazyny m = openMagazyny();
            for (const char *t : {"Dodaj", "Edytuj", "Kasuj"}) {
                QVERIFY2(action(*m.view, QString::fromLatin1(t))->isEnabled(), t);
                QVERIFY2(action(*m.lokalizacje, QString::fromLatin1(t))->isEnabled(), t);
            }
        }
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        Magazyny m = openMagazyny();
        for (const char *t : {"Dodaj", "Edytuj", "Kasuj"})
            QVERIFY2(!action(*m.view, QString::fromLatin1(t))->isEnabled(), t);
        // Locations: only in the warehouses the manager runs (2 and 3).
        QCOMPARE(currentKey(*m.view), 1);
        QVERIFY(!action(*m.lokalizacje, QStringLiteral("Dodaj"))->isEnabled());
        selectKey(*m.view, 3);
        for (const char *t : {"Dodaj", "Edytuj", "Kasuj"})
            QVERIFY2(action(*m.lokalizacje, QString::fromLatin1(t))->isEnabled(), t);
        selectKey(*m.view, 4);
        QVERIFY(!action(*m.lokalizacje, QStringLiteral("Edytuj"))->isEnabled());
        // Withdrawing a manager is for administrators.
        QVERIFY(!action(*m.kierownicy, QStringLiteral("Kasuj"))->isEnabled());

        // A register opened with no row at all shows the rights alone.
        TAVEwidencja bare(QStringLiteral("MagazynyModel"), QString(), QString());
        QVERIFY(!action(bare, QStringLiteral("Dodaj"))->isEnabled());
    }

    void addEditDeleteWarehouse()
    {
        Magazyny m = openMagazyny();
        ModalDriver driver;
        bool startedChecked = false;
        driver.onNext([&](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Magazyn"));
            startedChecked = d->findChild<QCheckBox *>(QStringLiteral("ckAktywny"))->isChecked();
            setText(d, "leNazwa", QStringLiteral("Magazyn Gniezno"));
            setText(d, "leSymbol", QStringLiteral("MG_GNIEZNO"));
            setText(d, "leAdres", QStringLiteral("  ul. Wrzesińska 3  "));
            setText(d, "txOpis", QStringLiteral("Nowy oddział"));
            pressOk(d);
        });
        QVERIFY(trigger(*m.view, QStringLiteral("Dodaj")));
        QCOMPARE(driver.count(), 1);
        QVERIFY(startedChecked);
        const int id = db(QStringLiteral("SELECT mgz_id FROM magazyny WHERE mgz_symbol = 'MG_GNIEZNO'")).toInt();
        QVERIFY(id > 0);
        QCOMPARE(db(QStringLiteral("SELECT mgz_adres FROM magazyny WHERE mgz_id = ?"), {id}).toString(),
                 QStringLiteral("ul. Wrzesińska 3"));
        QCOMPARE(db(QStringLiteral("SELECT mgz_aktywny FROM magazyny WHERE mgz_id = ?"), {id}).toBool(), true);
        QCOMPARE(db(QStringLiteral("SELECT fk_uzt_stworzono FROM magazyny WHERE mgz_id = ?"), {id}).toInt(), 1);
        // The new row becomes the current one.
        QCOMPARE(currentKey(*m.view), id);

        // Edit: the dialog shows the row; only the changed name is written.
        QString shownSymbol;
        driver.onNext([&](QWidget *d) {
            shownSymbol = d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text();
            setText(d, "leNazwa", QStringLiteral("Magazyn Gniezno-Winiary"));
            d->findChild<QCheckBox *>(QStringLiteral("ckAktywny"))->setChecked(false);
            pressOk(d);
        });
        QVERIFY(trigger(*m.view, QStringLiteral("Edytuj")));
        QCOMPARE(shownSymbol, QStringLiteral("MG_GNIEZNO"));
        QCOMPARE(db(QStringLiteral("SELECT mgz_nazwa FROM magazyny WHERE mgz_id = ?"), {id}).toString(),
                 QStringLiteral("Magazyn Gniezno-Winiary"));
        QCOMPARE(db(QStringLiteral("SELECT mgz_aktywny FROM magazyny WHERE mgz_id = ?"), {id}).toBool(), false);
        QCOMPARE(currentKey(*m.view), id);

        // Cancel writes nothing.
        driver.onNext([&](QWidget *d) {
            setText(d, "leNazwa", QStringLiteral("Nie zapisane"));
            pressCancel(d);
        });
        QVERIFY(trigger(*m.view, QStringLiteral("Edytuj")));
        QCOMPARE(db(QStringLiteral("SELECT mgz_nazwa FROM magazyny WHERE mgz_id = ?"), {id}).toString(),
                 QStringLiteral("Magazyn Gniezno-Winiary"));

        // Delete asks; No keeps the row, Yes removes it.
        driver.pressNext(QMessageBox::No);
        QVERIFY(trigger(*m.view, QStringLiteral("Kasuj")));
        QCOMPARE(driver.last().title, QStringLiteral("Czy chcesz usunąć wpis?"));
        QCOMPARE(driver.last().text, QStringLiteral("Czy chcesz usunąć wpis?"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {id}).toInt(), 1);
        driver.pressNext(QMessageBox::Yes);
        QVERIFY(trigger(*m.view, QStringLiteral("Kasuj")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {id}).toInt(), 0);
        QVERIFY(m.view->currentIndex().isValid());
        QCOMPARE(driver.pendingHandlers(), 0);
    }

    void validationKeepsTheDialogOpen()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        view.selectFirstRow();
        ModalDriver driver;
        QString focused;
        driver.onNext([](QWidget *d) {
            setText(d, "leSymbol", QStringLiteral("MG_GLOWNY"));
            pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([&](QWidget *d) {
            focused = d->focusWidget() ? d->focusWidget()->objectName() : QString();
            // Still open with what was typed.
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text(), QStringLiteral("MG_GLOWNY"));
            setText(d, "leNazwa", QStringLiteral("Magazyn zapasowy"));
            setText(d, "leSymbol", QStringLiteral("MG ZŁY"));
            pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) { pressCancel(d); });
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QCOMPARE(driver.count(), 5);
        const ModalDriver::Seen first = driver.seen().at(1);
        QCOMPARE(first.title, QStringLiteral("Pola nie spełniają wymagań"));
        QCOMPARE(first.icon, QMessageBox::Information);
        QVERIFY2(first.text.contains(QStringLiteral("Pole <b>Nazwa</b> nie może być puste")), qPrintable(first.text));
        QVERIFY2(first.text.contains(QStringLiteral("Pole <b>Symbol</b> o danej wartości już istnieje")),
                 qPrintable(first.text));
        QVERIFY(first.text.contains(QStringLiteral("<br/>")));
        // The last failing field keeps the focus.
        QCOMPARE(focused, QStringLiteral("leNazwa"));
        QVERIFY2(driver.seen().at(3).text.contains(QStringLiteral("Pole <b>Symbol</b> zawiera błąd")),
                 qPrintable(driver.seen().at(3).text));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny")).toInt(), 4);
    }

    void editWithoutChangesWritesNothing()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        selectKey(view, 2);
        const QString before = db(QStringLiteral("SELECT zmodyfikowano::text FROM magazyny WHERE mgz_id = 2")).toString();
        ModalDriver driver;
        driver.onNext([](QWidget *d) { pressOk(d); });
        QVERIFY(trigger(view, QStringLiteral("Edytuj")));
        QCOMPARE(driver.count(), 1);
        QCOMPARE(db(QStringLiteral("SELECT zmodyfikowano::text FROM magazyny WHERE mgz_id = 2")).toString(), before);
    }

    void editOfARowDeletedElsewhere()
    {
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_ZNIKA', 'Znika')")));
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        selectKey(view, 5);
        // Another workstation removes it while this one shows it.
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM magazyny WHERE mgz_id = 5")));
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            setText(d, "leNazwa", QStringLiteral("Jednak zostaje"));
            pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(view, QStringLiteral("Edytuj")));
        QCOMPARE(driver.count(), 2);
        QCOMPARE(driver.last().title, QStringLiteral("Edycja wpisu"));
        QVERIFY(driver.last().text.startsWith(QStringLiteral("Wpis nie istnieje już w bazie danych.")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny")).toInt(), 4);
        QCOMPARE(view.getModel()->rowCount(), 4);
    }

    void systemRowsAreRefused()
    {
        // The main warehouse may be renamed but never deleted.
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        selectKey(view, 1);
        ModalDriver driver;
        driver.pressNext(QMessageBox::Yes);
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(view, QStringLiteral("Kasuj")));
        QCOMPARE(driver.count(), 2);
        QCOMPARE(driver.last().title, QStringLiteral("Usuwanie wpisu"));
        QCOMPARE(driver.last().text, QStringLiteral("Wpis systemowy - nie można go usunąć."));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = 1")).toInt(), 1);

        // Categories hold system rows that cannot even be opened for editing;
        // the generic edit refuses before any dialog.
        std::unique_ptr<TAVTableModel> kategorie(SFModels::instance()->create(QStringLiteral("KategorieNarzedziModel"), QString()));
        kategorie->select();
        int systemRow = -1;
        for (int r = 0; r < kategorie->rowCount() && systemRow < 0; ++r) {
            if (kategorie->record(r).value(QStringLiteral("systemowy")).toBool())
                systemRow = r;
        }
        QVERIFY(systemRow >= 0);
        BasicAddEditCommand<TabelaMagazynDialog> edit(false, nullptr);
        driver.clear();
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(!edit.operacja(kategorie.get(), kategorie->sqlModel()->index(systemRow, 0), nullptr));
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Edycja wpisu"));
        QCOMPARE(driver.last().text, QStringLiteral("Wpis systemowy - nie można go edytować."));
        // No row: nothing happens at all.
        QVERIFY(!edit.operacja(kategorie.get(), QModelIndex(), nullptr));
        QCOMPARE(driver.count(), 1);
    }

    void deleteRefusedByTheDatabase()
    {
        // Warehouse 3 still has locations and tools.
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        selectKey(view, 3);
        ModalDriver driver;
        driver.pressNext(QMessageBox::Yes);
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(view, QStringLiteral("Kasuj")));
        QCOMPARE(driver.count(), 2);
        QCOMPARE(driver.last().icon, QMessageBox::Warning);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = 3")).toInt(), 1);
        QCOMPARE(currentKey(view), 3);
    }

    void locationAddedInAWarehouseTab()
    {
        Magazyny m = openMagazyny();
        selectKey(*m.view, 3);
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Lokalizacja"));
            setText(d, "leNazwa", QStringLiteral("Regał przy bramie"));
            pressOk(d);
        });
        QVERIFY(trigger(*m.lokalizacje, QStringLiteral("Dodaj")));
        QCOMPARE(db(QStringLiteral("SELECT lkl_fk_mgz FROM lokalizacje WHERE lkl_nazwa = 'Regał przy bramie'")).toInt(), 3);
        QCOMPARE(m.lokalizacje->getModel()->rowCount(), 4);
        QCOMPARE(m.lokalizacje->getModel()->record(m.lokalizacje->currentIndex().row()).value(QStringLiteral("lkl_nazwa")).toString(),
                 QStringLiteral("Regał przy bramie"));

        // The same name twice in one warehouse is refused before any SQL.
        driver.onNext([](QWidget *d) {
            setText(d, "leNazwa", QStringLiteral("Biuro budowy"));
            pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) { pressCancel(d); });
        QVERIFY(trigger(*m.lokalizacje, QStringLiteral("Dodaj")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM lokalizacje WHERE lkl_fk_mgz = 3")).toInt(), 4);
    }

    void selectionSurvivesReloadAndSort()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        selectKey(view, 3);
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('AA_PIERWSZY', 'Aaa')")));
        view.select();
        QCOMPARE(view.getModel()->rowCount(), 5);
        QCOMPARE(currentKey(view), 3);
        const int symbol = view.getModel()->fieldIndex(QStringLiteral("mgz_symbol"));
        view.tableView()->horizontalHeader()->setSortIndicator(symbol, Qt::DescendingOrder);
        QCOMPARE(view.getModel()->record(0).value(QStringLiteral("mgz_symbol")).toString(), QStringLiteral("MG_GLOWNY"));
        QCOMPARE(currentKey(view), 3);
    }

    void pickListForAManager()
    {
        // A manager of warehouses 2 and 5.
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_PIATY', 'Piąty')")));
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 2 AND ovuprmgz_fk_mgz = 3")));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (2, 5)")));
        QCOMPARE(db(QStringLiteral("SELECT mgz_id FROM magazyny WHERE mgz_symbol = 'MG_PIATY'")).toInt(), 5);

        MagazynyListaWyboruCommand command;
        command.setParameter(QStringLiteral("checkPermissionMgz"), true);
        command.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz magazyn docelowy"));
        ModalDriver driver;
        QString filter, fixed;
        int rows = 0;
        bool commandsShown = true;
        driver.onNext([&](QWidget *d) {
            auto *dlg = qobject_cast<TAVDialog *>(d);
            QVERIFY(dlg && dlg->ewidencja());
            filter = dlg->ewidencja()->getModel()->filter();
            fixed = dlg->ewidencja()->fixedFilter();
            rows = dlg->ewidencja()->getModel()->rowCount();
            commandsShown = !dlg->ewidencja()->getModel()->actions().isEmpty();
            selectKey(*dlg->ewidencja(), 5);
            pressOk(d);
        });
        QPair<QString, int> ref(QStringLiteral("poprzedni"), 77);
        QVERIFY(command.operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(driver.last().title, QStringLiteral("Wybierz magazyn docelowy"));
        QCOMPARE(filter, QStringLiteral("mgz_id IN ( 2, 5 )"));
        QCOMPARE(fixed, filter);
        QCOMPARE(rows, 2);
        QVERIFY(!commandsShown);
        QCOMPARE(ref, qMakePair(QStringLiteral("MG_PIATY"), 5));

        // Cancelled: nothing chosen, the pair as it was.
        driver.onNext([](QWidget *d) { pressCancel(d); });
        QVERIFY(!command.operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(ref, qMakePair(QStringLiteral("MG_PIATY"), 5));
    }

    void pickListsForAnAdministrator()
    {
        MagazynyListaWyboruCommand command;
        command.setParameter(QStringLiteral("checkPermissionMgz"), true);
        ModalDriver driver;
        int rows = 0;
        driver.onNext([&](QWidget *d) {
            auto *dlg = qobject_cast<TAVDialog *>(d);
            rows = dlg->ewidencja()->getModel()->rowCount();
            // Enter on the table is the dialog's OK.
            dlg->ewidencja()->tableView()->setFocus();
            QTest::keyClick(dlg->ewidencja()->tableView(), Qt::Key_Return);
        });
        QPair<QString, int> ref;
        QVERIFY(command.operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(rows, 4);
        QCOMPARE(ref, qMakePair(QStringLiteral("MG_GLOWNY"), 1));

        LokalizacjeListaWyboruCommand lokalizacje;
        lokalizacje.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz lokalizację"));
        QStringList names;
        driver.onNext([&](QWidget *d) {
            auto *dlg = qobject_cast<TAVDialog *>(d);
            TAVTableModel *m = dlg->ewidencja()->getModel();
            for (int r = 0; r < m->rowCount(); ++r)
                names << m->record(r).value(QStringLiteral("lkl_nazwa")).toString();
            selectKey(*dlg->ewidencja(), 8);
            pressOk(d);
        });
        QPair<QString, int> loc(QStringLiteral("lkl_fk_mgz"), 3);
        QVERIFY(lokalizacje.operacja(nullptr, QModelIndex(), &loc));
        QCOMPARE(names, (QStringList{"Kontener narzędziowy", "Wiata sprzętowa", "Biuro budowy"}));
        QCOMPARE(loc, qMakePair(QStringLiteral("Wiata sprzętowa"), 8));
    }

    void grabbedTableHoldsEveryRow()
    {
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        view.resize(900, 200);
        const QPixmap image = view.grabTable();
        QTableView *t = view.tableView();
        int width = 0;
        for (int c = 0; c < t->model()->columnCount(); ++c)
            width += t->isColumnHidden(c) ? 0 : t->columnWidth(c);
        QVERIFY(image.width() >= width);
        QVERIFY(image.height() >= 4 * t->rowHeight(0));
    }
};

ORV_TEST_MAIN(TstRegisterView)
#include "tst_registerview.moc"
