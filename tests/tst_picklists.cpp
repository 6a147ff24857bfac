// Pick lists: each register's list hands back its key and caption, and
// the list window behaves as a desktop list does.

#include "ListaWyboruCommands.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QHeaderView>
#include <QResource>
#include <QScreen>
#include <QScrollBar>

#include <memory>

class TstPickLists : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<TAVListaWyboruCommand> command(const QString &name)
    {
        std::unique_ptr<TAVListaWyboruCommand> c;
        if (name == QLatin1String("Magazyny"))
            c = std::make_unique<MagazynyListaWyboruCommand>();
        else if (name == QLatin1String("Lokalizacje"))
            c = std::make_unique<LokalizacjeListaWyboruCommand>();
        else if (name == QLatin1String("MiejscaUzytkowania"))
            c = std::make_unique<MiejscaUzytkowaniaListaWyboruCommand>();
        else if (name == QLatin1String("Pracownicy"))
            c = std::make_unique<PracownicyListaWyboruCommand>();
        else if (name == QLatin1String("KategorieNarzedzi"))
            c = std::make_unique<KategorieNarzedziListaWyboruCommand>();
        else
            c = std::make_unique<UzytkownicyListaWyboruCommand>();
        c->setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz pozycję"));
        c->setParameter(QStringLiteral("checkPermissionMgz"), true);
        return c;
    }
    static QPushButton *okButton(QWidget *d)
    {
        return d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }

    void everyListHandsBackKeyAndCaption_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("login");
        QTest::addColumn<int>("parent");     // the warehouse for locations
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("key");        // 0: nothing to pick
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("ownTitle");  // keeps its own title
        QTest::newRow("warehouses, administrator") << "Magazyny" << "admin" << 0 << 4 << 1 << "MG_GLOWNY" << false;
        QTest::newRow("warehouses, manager") << "Magazyny" << "kierownik" << 0 << 2 << 3 << "MG_BUDOWA2" << false;
        QTest::newRow("warehouses, manager of none") << "Magazyny" << "magazynier" << 0 << 0 << 0 << "" << false;
        QTest::newRow("locations of a warehouse") << "Lokalizacje" << "admin" << 3 << 3 << 8 << "Wiata sprzętowa" << false;
        QTest::newRow("places of use") << "MiejscaUzytkowania" << "admin" << 0 << 5 << 3 << "Hala logistyczna Komorniki" << false;
        QTest::newRow("employees") << "Pracownicy" << "admin" << 0 << 10 << 8 << "Łukasz Kozłowski" << true;
        QTest::newRow("categories") << "KategorieNarzedzi" << "admin" << 0 << 8 << 4 << "Narzędzia pomiarowe" << false;
        QTest::newRow("users") << "Uzytkownicy" << "admin" << 0 << 3 << 2 << "Krzysztof Zieliński" << false;
    }
    void everyListHandsBackKeyAndCaption()
    {
        QFETCH(QString, list);
        QFETCH(QString, login);
        QFETCH(int, parent);
        QFETCH(int, rows);
        QFETCH(int, key);
        QFETCH(QString, caption);
        QFETCH(bool, ownTitle);
        QVERIFY(Session::start(login));
        auto pick = command(list);
        ModalDriver driver;
        driver.onNext([&](QWidget *w) {
            auto *d = qobject_cast<TAVDialog *>(w);
            QVERIFY(d && d->ewidencja());
            QCOMPARE(d->windowTitle() == QStringLiteral("Wybierz pozycję"), !ownTitle);
            QCOMPARE(d->ewidencja()->getModel()->rowCount(), rows);
            if (!key) {
                QVERIFY(!okButton(d)->isEnabled());
                TestUi::pressCancel(d);
                return;
            }
            QVERIFY(d->ewidencja()->selectKey(key));
            TestUi::pressOk(d);
        });
        QPair<QString, int> ref(parent ? QStringLiteral("lkl_fk_mgz") : QStringLiteral("poprzedni"), parent ? parent : 77);
        const QPair<QString, int> before = ref;
        QCOMPARE(pick->operacja(nullptr, QModelIndex(), &ref), key != 0);
        QCOMPARE(ref, key ? qMakePair(caption, key) : before);
    }

    // The first row is chosen after opening and after every search; OK only
    // with a row chosen; double-click and Enter pick, Escape cancels.
    void listWindowBehavesLikeADesktopList()
    {
        QVERIFY(Session::start());
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa, mgz_adres, mgz_opis) "
                                            "SELECT 'MG_D' || g, 'Magazyn dodatkowy ' || g, 'ul. Bardzo Długa ' || g || ', 60-001 Poznań', "
                                            "'Opis magazynu numer ' || g FROM generate_series(1, 30) g")));
        auto pick = command(QStringLiteral("Magazyny"));
        ModalDriver driver;
        QSize size;
        driver.onNext([&](QWidget *w) {
            auto *d = qobject_cast<TAVDialog *>(w);
            TAVEwidencja *view = d->ewidencja();
            QTableView *table = view->tableView();
            QCOMPARE(view->currentIndex().row(), 0);
            QVERIFY(okButton(d)->isEnabled());
            // Wide enough for its columns (as the screen allows); the search
            // panel leaves the table its rows.
            QVERIFY(table->horizontalScrollBar()->maximum() == 0
                    || d->width() >= d->screen()->availableGeometry().width() * 9 / 10);
            QTest::keyClick(view, Qt::Key_F3);
            QVERIFY(table->height() > 8 * table->rowHeight(0));
            TestUi::search(*view, QStringLiteral("mgz_nazwa"), QStringLiteral("dodatkowy 2"));
            QCOMPARE(view->getModel()->rowCount(), 11);
            QVERIFY(table->selectionModel()->isRowSelected(0, QModelIndex()));
            TestUi::search(*view, QStringLiteral("mgz_nazwa"), QStringLiteral("nie ma"));
            QVERIFY(!okButton(d)->isEnabled());
            TestUi::search(*view, QStringLiteral("mgz_nazwa"), QStringLiteral("Budowa"));
            QVERIFY(okButton(d)->isEnabled());
            // Nothing chosen (a click on empty space): OK cannot pick a row chosen earlier.
            table->clearSelection();
            QVERIFY(!okButton(d)->isEnabled());
            size = d->size() + QSize(40, 30);
            d->resize(size);
            const QPoint second = table->visualRect(view->getModel()->index(1, 1)).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, second);
        });
        QPair<QString, int> ref;
        QVERIFY(pick->operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(ref.second, 3);

        driver.onNext([&](QWidget *w) {
            auto *d = qobject_cast<TAVDialog *>(w);
            QCOMPARE(d->size(), size);
            TAVEwidencja *view = d->ewidencja();
            QVERIFY(view->selectKey(4));
            view->tableView()->setFocus();
            QTest::keyClick(view->tableView(), Qt::Key_Return);
        });
        QVERIFY(pick->operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(ref, qMakePair(QStringLiteral("MG_ARCHIWUM"), 4));
        driver.onNext([](QWidget *w) { QTest::keyClick(qobject_cast<TAVDialog *>(w)->ewidencja()->tableView(), Qt::Key_Escape); });
        QVERIFY(!pick->operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(ref.second, 4);
        // Enter in the search field takes the one row the search leaves.
        driver.onNext([](QWidget *w) {
            TestUi::search(*qobject_cast<TAVDialog *>(w)->ewidencja(), QStringLiteral("mgz_nazwa"), QStringLiteral("dodatkowy 30"));
        });
        QVERIFY(pick->operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(ref.first, QStringLiteral("MG_D30"));
    }
};

ORV_TEST_MAIN(TstPickLists)
#include "tst_picklists.moc"
