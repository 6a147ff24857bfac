#include "AdminPermissionFrame.h"
#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "MainWindow.h"
#include "ModalDriver.h"
#include "RegisterActions.h"
#include "Session.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <memory>

using RegisterActions::action;
using RegisterActions::trigger;

class TstMasterData : public QObject
{
    Q_OBJECT

private:
    static void selectKey(TAVEwidencja &view, int key)
    {
        QSqlRelationalTableModel *m = view.getModel()->sqlModel();
        while (m->canFetchMore())
            m->fetchMore();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->record(r).value(0).toInt() == key) {
                view.tableView()->selectRow(r);
                return;
            }
        }
        QFAIL("row missing");
    }

    static int currentKey(TAVEwidencja &view)
    {
        const QModelIndex c = view.currentIndex();
        return c.isValid() ? view.getModel()->record(c.row()).value(0).toInt() : -1;
    }

    static void set(QWidget *d, const char *name, const QString &text)
    {
        QWidget *w = d->findChild<QWidget *>(QString::fromLatin1(name));
        QVERIFY2(w, name);
        if (auto *le = qobject_cast<QLineEdit *>(w))
            le->setText(text);
        else if (auto *te = qobject_cast<QPlainTextEdit *>(w))
            te->setPlainText(text);
    }

    static bool checked(QWidget *d, const char *name)
    {
        return d->findChild<QCheckBox *>(QString::fromLatin1(name))->isChecked();
    }

    static void ok(QWidget *d) { d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click(); }
    static void cancel(QWidget *d) { d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click(); }

    static QVariant db(const QString &sql, const QVariantList &binds = {}) { return TestDb::scalar(sql, binds); }

    // Picks the row with the key in a pick list and presses OK.
    static std::function<void(QWidget *)> pick(int key, QString *title = nullptr, int *rows = nullptr,
                                               bool *commands = nullptr)
    {
        return [=](QWidget *w) {
            auto *d = qobject_cast<TAVDialog *>(w);
            QVERIFY(d && d->ewidencja());
            if (title)
                *title = d->windowTitle();
            if (rows)
                *rows = d->ewidencja()->getModel()->rowCount();
            if (commands)
                *commands = !d->ewidencja()->getModel()->actions().isEmpty();
            selectKey(*d->ewidencja(), key);
            ok(w);
        };
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }

    void init() { QVERIFY(Session::start()); }

    void placesOfUse()
    {
        TAVEwidencja view(QStringLiteral("MiejscaUzytkowaniaModel"), QString(), QString());
        TAVTableModel *m = view.getModel();
        // The code is the first visible column.
        QCOMPARE(view.tableView()->horizontalHeader()->visualIndex(m->fieldIndex(QStringLiteral("muz_kod"))), 1);
        QVERIFY(view.tableView()->isColumnHidden(m->fieldIndex(QStringLiteral("muz_id"))));
        auto *flag = qobject_cast<QStyledItemDelegate *>(
                view.tableView()->itemDelegateForColumn(m->fieldIndex(QStringLiteral("muz_aktywny"))));
        QVERIFY(flag);
        QCOMPARE(flag->displayText(false, QLocale()), QStringLiteral("Nieaktywny"));

        view.selectFirstRow();
        ModalDriver driver;
        bool startedActive = false;
        driver.onNext([&](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Miejsce użytkowania"));
            startedActive = checked(d, "ckAktywny");
            set(d, "leNazwa", QStringLiteral("Budowa szkoły w Kórniku"));
            set(d, "leKod", QStringLiteral("KRN-SZK"));
            ok(d);
        });
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QVERIFY(startedActive);
        const int id = db(QStringLiteral("SELECT muz_id FROM miejsca_uzytkowania WHERE muz_kod = 'KRN-SZK'")).toInt();
        QVERIFY(id > 0);
        QCOMPARE(currentKey(view), id);

        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leKod"))->text(), QStringLiteral("KRN-SZK"));
            d->findChild<QCheckBox *>(QStringLiteral("ckAktywny"))->setChecked(false);
            ok(d);
        });
        QVERIFY(trigger(view, QStringLiteral("Edytuj")));
        QCOMPARE(db(QStringLiteral("SELECT muz_aktywny FROM miejsca_uzytkowania WHERE muz_id = ?"), {id}).toBool(), false);

        // A required code left blank is refused with its caption.
        driver.onNext([](QWidget *d) {
            set(d, "leNazwa", QStringLiteral("Bez kodu"));
            ok(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) { cancel(d); });
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QVERIFY2(driver.seen().at(driver.count() - 2).text.contains(QStringLiteral("Pole <b>Kod</b> nie może być puste")),
                 qPrintable(driver.seen().at(driver.count() - 2).text));

        driver.pressNext(QMessageBox::Yes);
        QVERIFY(trigger(view, QStringLiteral("Kasuj")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM miejsca_uzytkowania WHERE muz_id = ?"), {id}).toInt(), 0);
    }

    void employees()
    {
        TAVEwidencja view(QStringLiteral("PracownicyModel"), QString(), QString());
        view.selectFirstRow();
        ModalDriver driver;
        bool startedEmployed = false;
        driver.onNext([&](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Pracownik"));
            startedEmployed = checked(d, "ckZatrudniony");
            set(d, "leImie", QStringLiteral("Zofia"));
            set(d, "leNazwisko", QStringLiteral("Wójcik-O'Neill"));
            set(d, "leTelKont", QStringLiteral("+48 600 100 200"));
            set(d, "leStanowisko", QStringLiteral("Brygadzistka"));
            set(d, "txNotatka", QStringLiteral("Uprawnienia SEP do 1 kV.\nPrawo jazdy kat. C."));
            ok(d);
        });
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QVERIFY(startedEmployed);
        const int id = db(QStringLiteral("SELECT prc_id FROM pracownicy WHERE prc_nazwisko = 'Wójcik-O''Neill'")).toInt();
        QVERIFY(id > 0);
        QCOMPARE(db(QStringLiteral("SELECT prc_notatka FROM pracownicy WHERE prc_id = ?"), {id}).toString(),
                 QStringLiteral("Uprawnienia SEP do 1 kV.\nPrawo jazdy kat. C."));

        // Leaving the company: only that flag is written.
        const QString phone = db(QStringLiteral("SELECT prc_tel_kontaktowy FROM pracownicy WHERE prc_id = ?"), {id}).toString();
        driver.onNext([](QWidget *d) {
            d->findChild<QCheckBox *>(QStringLiteral("ckZatrudniony"))->setChecked(false);
            ok(d);
        });
        QVERIFY(trigger(view, QStringLiteral("Edytuj")));
        QCOMPARE(db(QStringLiteral("SELECT prc_zatrudniony FROM pracownicy WHERE prc_id = ?"), {id}).toBool(), false);
        QCOMPARE(db(QStringLiteral("SELECT prc_tel_kontaktowy FROM pracownicy WHERE prc_id = ?"), {id}).toString(), phone);
        auto *flag = qobject_cast<QStyledItemDelegate *>(view.tableView()->itemDelegateForColumn(
                view.getModel()->fieldIndex(QStringLiteral("prc_zatrudniony"))));
        QCOMPARE(flag->displayText(view.getModel()->record(view.currentIndex().row()).value(QStringLiteral("prc_zatrudniony")),
                                   QLocale()),
                 QStringLiteral("Niezatrudniony"));

        // An employee who holds tools cannot be deleted.
        selectKey(view, 1);
        driver.pressNext(QMessageBox::Yes);
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(view, QStringLiteral("Kasuj")));
        QCOMPARE(driver.last().icon, QMessageBox::Warning);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM pracownicy WHERE prc_id = 1")).toInt(), 1);
    }

    void categoriesAndTheirSystemRows()
    {
        TAVEwidencja view(QStringLiteral("KategorieNarzedziModel"), QString(), QString());
        selectKey(view, 1);
        ModalDriver driver;
        // "Bez kategorii" is a system row: no dialog, no deletion.
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(view, QStringLiteral("Edytuj")));
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Edycja wpisu"));
        QCOMPARE(driver.last().text, QStringLiteral("Wpis systemowy - nie można go edytować."));
        driver.pressNext(QMessageBox::Yes);
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(view, QStringLiteral("Kasuj")));
        QCOMPARE(driver.last().text, QStringLiteral("Wpis systemowy - nie można go usunąć."));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM kategorie_narzedzi WHERE ktr_nrz_id = 1")).toInt(), 1);

        // An ordinary category is renamed and commented.
        selectKey(view, 6);
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Kategoria narzędzia"));
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leNazwa"))->text(), QStringLiteral("Drabiny i rusztowania"));
            set(d, "leNazwa", QStringLiteral("Drabiny, podesty i rusztowania"));
            set(d, "txKomentarz", QStringLiteral("Przegląd co 12 miesięcy."));
            ok(d);
        });
        QVERIFY(trigger(view, QStringLiteral("Edytuj")));
        QCOMPARE(db(QStringLiteral("SELECT ktr_nrz_nazwa FROM kategorie_narzedzi WHERE ktr_nrz_id = 6")).toString(),
                 QStringLiteral("Drabiny, podesty i rusztowania"));
        QCOMPARE(currentKey(view), 6);

        driver.onNext([](QWidget *d) {
            set(d, "leNazwa", QStringLiteral("Osprzęt dźwigowy"));
            ok(d);
        });
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        const int id = db(QStringLiteral("SELECT ktr_nrz_id FROM kategorie_narzedzi WHERE ktr_nrz_nazwa = 'Osprzęt dźwigowy'")).toInt();
        QVERIFY(id > 0);
        QCOMPARE(currentKey(view), id);
    }

    // Inactive places and former employees are painted grey across the row.
    void inactiveRowsAreGrey_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("flag");
        QTest::newRow("places") << QStringLiteral("MiejscaUzytkowaniaModel") << QStringLiteral("miejsca_uzytkowania")
                                << QStringLiteral("muz_aktywny");
        QTest::newRow("employees") << QStringLiteral("PracownicyModel") << QStringLiteral("pracownicy")
                                   << QStringLiteral("prc_zatrudniony");
    }

    void inactiveRowsAreGrey()
    {
        QFETCH(QString, model);
        QFETCH(QString, table);
        QFETCH(QString, flag);
        const QString key = table == QLatin1String("pracownicy") ? QStringLiteral("prc_id") : QStringLiteral("muz_id");
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE %1 SET %2 = true").arg(table, flag)));
        const int off = db(QStringLiteral("SELECT min(%1) FROM %2").arg(key, table)).toInt();
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE %1 SET %2 = false WHERE %3 = ?").arg(table, flag, key), {off}));

        TAVEwidencja view(model, QString(), QString());
        view.resize(900, 500);
        view.show();
        QTableView *t = view.tableView();
        t->clearSelection();
        t->setCurrentIndex(QModelIndex());
        const QImage image = t->viewport()->grab().toImage();
        QSqlRelationalTableModel *m = view.getModel()->sqlModel();
        const int column = t->horizontalHeader()->logicalIndex(1);
        int grey = 0, white = 0;
        for (int r = 0; r < m->rowCount(); ++r) {
            const QRect rect = t->visualRect(m->index(r, column));
            if (!rect.isValid() || rect.bottom() >= image.height() / image.devicePixelRatio())
                continue;
            const QColor c = image.pixelColor(rect.left() + 1, rect.top() + 2);
            const bool inactive = m->record(r).value(key).toInt() == off;
            if (inactive) {
                QCOMPARE(c, QColor(0xc0, 0xc0, 0xc0));
                ++grey;
            } else {
                QVERIFY(c != QColor(0xc0, 0xc0, 0xc0));
                ++white;
            }
        }
        QCOMPARE(grey, 1);
        QVERIFY(white > 0);
    }

    void nonAdministratorMaintainsMasterData()
    {
        QVERIFY(Session::start(QStringLiteral("magazynier")));
        for (const char *model : {"MiejscaUzytkowaniaModel", "PracownicyModel", "KategorieNarzedziModel"}) {
            TAVEwidencja view(QString::fromLatin1(model), QString(), QString());
            view.selectFirstRow();
            for (const char *t : {"Dodaj", "Edytuj", "Kasuj"})
                QVERIFY2(action(view, QString::fromLatin1(t))->isEnabled(), model);
        }
        TAVEwidencja users(QStringLiteral("UzytkownicyModel"), QString(), QString());
        users.selectFirstRow();
        for (const char *t : {"Dodaj", "Edytuj", "Kasuj"})
            QVERIFY2(!action(users, QString::fromLatin1(t))->isEnabled(), t);
    }

    void pickLists()
    {
        ModalDriver driver;
        QString title;
        int rows = 0;
        bool commands = true;

        MiejscaUzytkowaniaListaWyboruCommand places;
        places.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz miejsce użytkowania"));
        driver.onNext(pick(3, &title, &rows, &commands));
        QPair<QString, int> ref;
        QVERIFY(places.operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(title, QStringLiteral("Wybierz miejsce użytkowania"));
        QVERIFY(!commands);
        QCOMPARE(ref, qMakePair(QStringLiteral("Hala logistyczna Komorniki"), 3));

        // The employee list keeps its commands and its own title.
        PracownicyListaWyboruCommand employees;
        employees.setParameter(QStringLiteral("windowTitle"), QStringLiteral("nieużywany"));
        driver.onNext(pick(8, &title, &rows, &commands));
        QVERIFY(employees.operacja(nullptr, QModelIndex(), &ref));
        QVERIFY(commands);
        QVERIFY(title != QStringLiteral("nieużywany"));
        QCOMPARE(rows, 10);
        QCOMPARE(ref, qMakePair(QStringLiteral("Łukasz Kozłowski"), 8));

        KategorieNarzedziListaWyboruCommand categories;
        driver.onNext(pick(4, nullptr, nullptr, &commands));
        QVERIFY(categories.operacja(nullptr, QModelIndex(), &ref));
        QVERIFY(commands);
        QCOMPARE(ref, qMakePair(QStringLiteral("Narzędzia pomiarowe"), 4));

        UzytkownicyListaWyboruCommand users;
        driver.onNext(pick(2, nullptr, nullptr, &commands));
        QVERIFY(users.operacja(nullptr, QModelIndex(), &ref));
        QVERIFY(!commands);
        QCOMPARE(ref, qMakePair(QStringLiteral("Krzysztof Zieliński"), 2));

        driver.onNext([](QWidget *d) { cancel(d); });
        QVERIFY(!users.operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(ref, qMakePair(QStringLiteral("Krzysztof Zieliński"), 2));
    }

    void managersFromBothTabs()
    {
        // A warehouse's managers tab: pick a user.
        TAVEwidencja magazyny(QStringLiteral("MagazynyModel"), QString(), QString());
        auto *kierownicy = new TAVEwidencja(QStringLiteral("OvUprawnieniaMgzModel"), QStringLiteral("KIEROWNICY_MGZ"),
                                            QStringLiteral("ovuprmgz_fk_mgz"));
        kierownicy->setTitle(QStringLiteral("Kierownicy magazynu"));
        magazyny.addRelative(kierownicy, QStringLiteral("ovuprmgz_fk_mgz"));
        selectKey(magazyny, 4);
        QCOMPARE(kierownicy->getModel()->rowCount(), 0);
        ModalDriver driver;
        QString title;
        driver.onNext(pick(3, &title));
        QVERIFY(trigger(*kierownicy, QStringLiteral("Dodaj")));
        QCOMPARE(title, QStringLiteral("Wybierz użytkownika"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3 AND ovuprmgz_fk_mgz = 4")).toInt(), 1);
        QCOMPARE(kierownicy->getModel()->rowCount(), 1);

        // The same right again is refused in words, and nothing is written.
        driver.onNext(pick(3));
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(trigger(*kierownicy, QStringLiteral("Dodaj")));
        QCOMPARE(driver.last().title, QStringLiteral("Kierownik magazynu"));
        QCOMPARE(driver.last().text, QStringLiteral("Ten użytkownik jest już kierownikiem wybranego magazynu."));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3")).toInt(), 1);

        // A user's warehouses tab: pick a warehouse.
        TAVEwidencja users(QStringLiteral("UzytkownicyModel"), QString(), QString());
        auto *kierowane = new TAVEwidencja(QStringLiteral("OvUprawnieniaMgzModel"), QStringLiteral("KIEROWANE_MGZ"),
                                           QStringLiteral("ovuprmgz_fk_uzt"));
        users.addRelative(kierowane, QStringLiteral("ovuprmgz_fk_uzt"));
        selectKey(users, 3);
        QCOMPARE(kierowane->getModel()->rowCount(), 1);
        driver.onNext(pick(1, &title));
        QVERIFY(trigger(*kierowane, QStringLiteral("Dodaj")));
        QCOMPARE(title, QStringLiteral("Wybierz magazyn"));
        QCOMPARE(kierowane->getModel()->rowCount(), 2);
        QVERIFY(kierowane->tableView()->isColumnHidden(kierowane->getModel()->fieldIndex(QStringLiteral("uzt_login"))));

        // Withdrawing one, after the question.
        selectKey(*kierowane, db(QStringLiteral("SELECT ovuprmgz_id FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3 "
                                                "AND ovuprmgz_fk_mgz = 1")).toInt());
        driver.pressNext(QMessageBox::Yes);
        QVERIFY(trigger(*kierowane, QStringLiteral("Kasuj")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3")).toInt(), 1);

        // Cancelled pick: nothing.
        driver.onNext([](QWidget *d) { cancel(d); });
        QVERIFY(trigger(*kierowane, QStringLiteral("Dodaj")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3")).toInt(), 1);
    }

    void mainWindowOpensEveryMasterModule()
    {
        MainWindow w;
        const QList<QPair<QString, QString>> modules = {
            {"construction", "Miejsca Użytkowania"}, {"role", "Pracownicy"}, {"listtools", "Kategorie Narzędzi"},
            {"user", "Użytkownicy"},                 {"admin1", "Prawa administratora"}};
        for (const auto &m : modules) {
            auto *b = w.palette()->findChild<QToolButton *>(QStringLiteral("tb_") + m.first);
            QVERIFY(b && b->isEnabled());
            b->click();
            b->click();
            QCOMPARE(w.tabs()->tabText(w.tabs()->currentIndex()), m.second);
        }
        QCOMPARE(w.tabs()->count(), modules.size());
        auto *users = qobject_cast<TAVEwidencja *>(w.tabs()->widget(3));
        QVERIFY(users);
        QCOMPARE(users->relativeTabs()->count(), 1);
        QCOMPARE(users->relativeTabs()->tabText(0), QStringLiteral("Kierownik magazynu"));
        QCOMPARE(users->relatives().first()->context(), QStringLiteral("KIEROWANE_MGZ"));
        QVERIFY(qobject_cast<AdminPermissionFrame *>(w.tabs()->widget(4)));
        QVERIFY(qobject_cast<TAVEwidencja *>(w.tabs()->widget(0))->relativeTabs()->isHidden());
    }
};

ORV_TEST_MAIN(TstMasterData)
#include "tst_masterdata.moc"
