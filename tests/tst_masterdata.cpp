// The master-data registers through their own dialogs: places of use,
// employees, categories, and the warehouse managers from both sides.

#include "Factories.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVContext.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TabelaKategorieNarzedziDialog.h"
#include "TabelaLokalizacjeDialog.h"
#include "TabelaMagazynDialog.h"
#include "TabelaMiejscaUzytkowaniaDialog.h"
#include "TabelaPracownicyDialog.h"
#include "TabelaUzytkownicyDialog.h"
#include "TAVListaWyboru.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QLabel>
#include <QResource>

#include <memory>

using Fields = QList<QStringList>;   // widget, column, text
Q_DECLARE_METATYPE(Fields)

class TstMasterData : public QObject
{
    Q_OBJECT

private:
private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }
    void init() { QVERIFY(Session::start()); }

    // Added, read back, its flag switched off alone, then deleted; a blank
    // required field is named by its caption.
    void registerRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QByteArray>("flag");     // its check box, checked for a new record
        QTest::addColumn<QByteArray>("required");
        QTest::addColumn<QString>("caption");
        QTest::newRow("places of use") << "MiejscaUzytkowaniaModel"
                                       << Fields{{"leNazwa", "muz_nazwa", "Budowa szkoły w Kórniku"}, {"leKod", "muz_kod", "KRN-SZK"}}
                                       << QByteArray("ckAktywny") << QByteArray("leKod") << "Kod";
        QTest::newRow("employees") << "PracownicyModel"
                                   << Fields{{"leImie", "prc_imie", "Zofia"}, {"leNazwisko", "prc_nazwisko", "Wójcik-O'Neill"},
                                             {"leTelKont", "prc_tel_kontaktowy", "+48 600 100 200"},
                                             {"txNotatka", "prc_notatka", "Uprawnienia SEP do 1 kV.\nPrawo jazdy kat. C."}}
                                   << QByteArray("ckZatrudniony") << QByteArray("leNazwisko") << "Nazwisko";
        QTest::newRow("categories") << "KategorieNarzedziModel"
                                    << Fields{{"leNazwa", "ktr_nrz_nazwa", "Osprzęt dźwigowy"},
                                              {"txKomentarz", "ktr_nrz_komentarz", "Przegląd co 12 miesięcy."}}
                                    << QByteArray() << QByteArray("leNazwa") << "Nazwa";
    }
    void registerRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(Fields, fields);
        QFETCH(QByteArray, flag);
        QFETCH(QByteArray, required);
        QFETCH(QString, caption);
        TAVEwidencja view(model, QString(), QString());
        TAVTableModel *m = view.getModel();
        const QString key = m->primaryKeyName();
        ModalDriver driver;
        driver.onNext([&](QWidget *d) {
            if (!flag.isEmpty())
                QVERIFY(d->findChild<QCheckBox *>(QLatin1String(flag))->isChecked());
            for (const QStringList &f : fields)
                TestUi::setText(d, f.at(0).toLatin1().constData(), f.at(2));
            TestUi::pressOk(d);
        });
        TRIGGER(view, "Dodaj");
        const int id = TestUi::currentKey(view);
        QVERIFY(id > 0);
        const QString row = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg("%1", m->tableName(), key);
        for (const QStringList &f : fields)
            QCOMPARE(db(row.arg(f.at(1)), {id}).toString(), f.at(2));

        if (!flag.isEmpty()) {
            const QString before = db(QStringLiteral("SELECT row_to_json(t)::text FROM %1 t WHERE %2 = ?").arg(m->tableName(), key), {id}).toString();
            driver.onNext([&](QWidget *d) {
                d->findChild<QCheckBox *>(QLatin1String(flag))->setChecked(false);
                TestUi::pressOk(d);
            });
            TRIGGER(view, "Edytuj");
            const QString after = db(QStringLiteral("SELECT row_to_json(t)::text FROM %1 t WHERE %2 = ?").arg(m->tableName(), key), {id}).toString();
            QVERIFY(before.contains(QStringLiteral("\":true")) && after.count(QStringLiteral("\":false")) == before.count(QStringLiteral("\":false")) + 1);
        }

        driver.onNext([&](QWidget *d) {
            TestUi::setText(d, required.constData(), QStringLiteral("  "));
            TestUi::pressOk(d);
        });
        driver.onNext([&](QWidget *box) {
            QVERIFY(qobject_cast<QMessageBox *>(box)->text().contains(QStringLiteral("Pole <b>%1</b> nie może być puste").arg(caption)));
            ModalDriver::close(box);
        });
        driver.closeNext();
        driver.onNext([](QWidget *box) {
            QCOMPARE(qobject_cast<QMessageBox *>(box)->text(), QStringLiteral("Odrzucić zmiany?"));
            ModalDriver::click(qobject_cast<QMessageBox *>(box), QMessageBox::Yes);
        });
        QVERIFY(TestUi::trigger(view, QStringLiteral("Edytuj")));
        driver.pressNext(QMessageBox::Yes);
        TRIGGER(view, "Kasuj");
        QCOMPARE(db(row.arg(QStringLiteral("count(*)")), {id}).toInt(), 0);
    }

    // Typed changes are thrown away only when the user says so, whichever
    // way the dialog is closed; an untouched dialog just closes.
    void unsavedChangesAreAskedFor_data()
    {
        QTest::addColumn<int>("way");   // Escape, Anuluj, the window's close button
        QTest::addColumn<bool>("typed");
        QTest::addColumn<bool>("discard");
        const char *ways[] = {"Escape", "Anuluj", "close button"};
        for (int way = 0; way < 3; ++way) {
            QTest::addRow("%s untouched", ways[way]) << way << false << false;
            QTest::addRow("%s discarded", ways[way]) << way << true << true;
            QTest::addRow("%s kept", ways[way]) << way << true << false;
        }
    }
    void unsavedChangesAreAskedFor()
    {
        QFETCH(int, way);
        QFETCH(bool, typed);
        QFETCH(bool, discard);
        TAVEwidencja places(QStringLiteral("MiejscaUzytkowaniaModel"), QString(), QString());
        const int id = db(QStringLiteral("SELECT min(muz_id) FROM miejsca_uzytkowania")).toInt();
        const QString name = QStringLiteral("SELECT muz_nazwa FROM miejsca_uzytkowania WHERE muz_id = ?");
        const QString before = db(name, {id}).toString();
        const QString changed = QStringLiteral("Hala magazynowa nr 2");
        QVERIFY(places.selectKey(id));
        ModalDriver driver;
        QString title;
        driver.onNext([&](QWidget *d) {
            title = d->windowTitle();
            if (typed)
                TestUi::typeInto(d, "leNazwa", changed);
            if (way == 0)
                QTest::keyClick(d, Qt::Key_Escape);
            else if (way == 1)
                TestUi::pressCancel(d);
            else
                d->close();
        });
        if (typed) {
            driver.onNext([&](QWidget *box) {
                QCOMPARE(box->windowTitle(), title);
                QCOMPARE(qobject_cast<QMessageBox *>(box)->text(), QStringLiteral("Odrzucić zmiany?"));
                ModalDriver::click(qobject_cast<QMessageBox *>(box), discard ? QMessageBox::Yes : QMessageBox::No);
            });
        }
        if (typed && !discard) {
            driver.onNext([&](QWidget *d) {
                QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leNazwa"))->text(), changed);
                TestUi::pressOk(d);
            });
        }
        TRIGGER(places, "Edytuj");
        QCOMPARE(driver.count(), typed ? (discard ? 2 : 3) : 1);
        QCOMPARE(db(name, {id}).toString(), typed && !discard ? changed : before);
    }

    void protectedRowsStay()
    {
        ModalDriver driver;
        // An employee who holds tools.
        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        QVERIFY(employees.selectKey(1));
        driver.pressNext(QMessageBox::Yes);
        driver.expectBox(QStringLiteral("Usuwanie wpisu"), QStringLiteral("Nie można usunąć wpisu, ponieważ jest powiązany z innymi danymi."));
        TRIGGER(employees, "Kasuj");
        // "Bez kategorii" is a system row: no dialog, no deletion.
        TAVEwidencja categories(QStringLiteral("KategorieNarzedziModel"), QString(), QString());
        QVERIFY(categories.selectKey(1));
        driver.expectBox(QStringLiteral("Edycja wpisu"), QStringLiteral("Wpis systemowy - nie można go edytować."));
        TRIGGER(categories, "Edytuj");
        driver.pressNext(QMessageBox::Yes);
        driver.expectBox(QStringLiteral("Usuwanie wpisu"), QStringLiteral("Wpis systemowy - nie można go usunąć."));
        TRIGGER(categories, "Kasuj");
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM pracownicy WHERE prc_id = 1")).toInt()
                         + db(QStringLiteral("SELECT count(*) FROM kategorie_narzedzi WHERE ktr_nrz_id = 1")).toInt(), 2);
        // The question names the row; every refusal carries the warning icon.
        QCOMPARE(driver.seen().at(0).text, QStringLiteral("Czy chcesz usunąć pracownika %1?")
                                                   .arg(db(QStringLiteral("SELECT prc_imie || ' ' || prc_nazwisko FROM pracownicy "
                                                                          "WHERE prc_id = 1")).toString()));
        for (int i : {1, 2, 4})
            QCOMPARE(driver.seen().at(i).icon, QMessageBox::Warning);

        // Any user keeps places, employees and categories; users are for administrators.
        QVERIFY(Session::start(QStringLiteral("magazynier")));
        for (const char *model : {"MiejscaUzytkowaniaModel", "PracownicyModel", "KategorieNarzedziModel", "UzytkownicyModel"}) {
            TAVEwidencja view{QLatin1String(model), QString(), QString()};
            view.selectFirstRow();
            for (const char *t : {"Dodaj", "Edytuj", "Kasuj"})
                QCOMPARE(TestUi::action(view, QLatin1String(t))->isEnabled(), qstrcmp(model, "UzytkownicyModel") != 0);
        }
    }

    void managersFromBothTabs()
    {
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        auto *managers = new TAVEwidencja(QStringLiteral("OvUprawnieniaMgzModel"), TAVContext::ManagersOf,
                                          QStringLiteral("ovuprmgz_fk_mgz"));
        warehouses.addRelative(managers, QStringLiteral("ovuprmgz_fk_mgz"));
        QVERIFY(warehouses.selectKey(4));
        QCOMPARE(managers->getModel()->rowCount(), 0);
        ModalDriver driver;
        QString title;
        driver.onNext(TestUi::pickKey(3, &title));
        TRIGGER(*managers, "Dodaj");
        QCOMPARE(title, QStringLiteral("Wybierz użytkownika"));
        QCOMPARE(managers->getModel()->rowCount(), 1);
        // The same right again is refused in words.
        driver.onNext(TestUi::pickKey(3));
        driver.expectBox(QStringLiteral("Kierownik magazynu"), QStringLiteral("Ten użytkownik jest już kierownikiem wybranego magazynu."));
        TRIGGER(*managers, "Dodaj");
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3")).toInt(), 1);

        // From the user's side: pick a warehouse, withdraw one.
        TAVEwidencja users(QStringLiteral("UzytkownicyModel"), QString(), QString());
        auto *managed = new TAVEwidencja(QStringLiteral("OvUprawnieniaMgzModel"), TAVContext::ManagedBy,
                                         QStringLiteral("ovuprmgz_fk_uzt"));
        users.addRelative(managed, QStringLiteral("ovuprmgz_fk_uzt"));
        QVERIFY(users.selectKey(3));
        driver.onNext(TestUi::pickKey(1, &title));
        TRIGGER(*managed, "Dodaj");
        QCOMPARE(title, QStringLiteral("Wybierz magazyn"));
        QCOMPARE(managed->getModel()->rowCount(), 2);
        QVERIFY(managed->tableView()->isColumnHidden(managed->getModel()->fieldIndex(QStringLiteral("uzt_login"))));
        driver.pressNext(QMessageBox::Yes);
        TRIGGER(*managed, "Kasuj");
        driver.closeNext();
        TRIGGER(*managed, "Dodaj");
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 3")).toInt(), 1);
    }

    // A kit made in its dialog holds tools of its warehouse only, added in
    // its tab; it is complete while all of them are on stock.
    void kitOfOneWarehouse()
    {
        TAVEwidencja kits(QStringLiteral("ZestawyModel"), QString(), QString());
        auto *members = new TAVEwidencja(QStringLiteral("ZestawyNarzedziaModel"), QString(), QStringLiteral("nrz_fk_zst"));
        kits.addRelative(members, QStringLiteral("nrz_fk_zst"));
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::typeInto(d, "leKod", QStringLiteral("ZST-NIW"));
            TestUi::typeInto(d, "leNazwa", QStringLiteral("Zestaw niwelacyjny"));
            emit d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMgz"))->clicked();
            TestUi::pressOk(d);
        });
        driver.onNext(TestUi::pickKey(2));
        TRIGGER(kits, "Dodaj");
        const int kit = db(QStringLiteral("SELECT zst_id FROM zestawy WHERE zst_kod = 'ZST-NIW'")).toInt();
        QVERIFY(kit > 0 && kits.selectKey(kit));
        const QList<int> tools{db(QStringLiteral("SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 2 AND nrz_przyjete_na_stan")).toInt(),
                               db(QStringLiteral("SELECT max(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 2 AND nrz_przyjete_na_stan")).toInt()};
        for (int tool : tools) {
            driver.onNext(TestUi::pickKey(tool));
            TRIGGER(*members, "Dodaj do zestawu");
        }
        QCOMPARE(members->getModel()->rowCount(), 2);
        const QString state = QStringLiteral("SELECT zst_stan FROM v_zestawy WHERE zst_id = %1").arg(kit);
        QCOMPARE(db(state).toString(), QStringLiteral("kompletny"));
        // The whole kit to one employee, in one act; again, it is refused whole.
        const QString title = QStringLiteral("Zestawy narzędzi"), kitName = QStringLiteral("ZST-NIW – Zestaw niwelacyjny");
        auto issueKit = [&] {
            driver.onNext([](QWidget *d) {
                emit d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkPrc"))->clicked();
                emit d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMuz"))->clicked();
                TestUi::pressOk(d);
            });
            driver.onNext(TestUi::pickKey(1));
            driver.onNext(TestUi::pickKey(3));
        };
        issueKit();
        driver.expectBox(title, QStringLiteral("Wydano zestaw %1: narzędzi 2.").arg(kitName));
        TRIGGER(kits, "Wydaj zestaw pracownikowi");
        QCOMPARE(db(QStringLiteral("SELECT count(DISTINCT pnp_grupa) || '/' || count(*) FROM przypisane_narzedzia_pracownikom "
                                   "WHERE NOT pnp_status AND pnp_fk_prc = 1 AND pnp_grupa IS NOT NULL")).toString(), QStringLiteral("1/2"));
        QCOMPARE(db(state).toString(), QStringLiteral("niekompletny (2 brakuje)"));
        issueKit();
        driver.expectBox(title, QStringLiteral("Zestawu %1 nie wydano.").arg(kitName));
        TRIGGER(kits, "Wydaj zestaw pracownikowi");
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_grupa IS NOT NULL")).toInt(), 2);
        // A tool of another warehouse is refused by the database.
        QVERIFY(!TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = ? WHERE nrz_fk_mgz = 1 AND nrz_id = "
                                             "(SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 1)"), {kit}));
        QCOMPARE(TestDb::lastSqlState(), QStringLiteral("OV027"));
    }

    // Every field's caption has its own mnemonic and leads to its field;
    // a message names the field without the marks.
    void dialogLabelsHaveMnemonics()
    {
        std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QStringLiteral("MagazynyModel"), QString()));
        const std::unique_ptr<TAVDialog> dialogs[] = {
                std::make_unique<TabelaMagazynDialog>(m.get(), QModelIndex()),
                std::make_unique<TabelaLokalizacjeDialog>(m.get(), QModelIndex()),
                std::make_unique<TabelaMiejscaUzytkowaniaDialog>(m.get(), QModelIndex()),
                std::make_unique<TabelaPracownicyDialog>(m.get(), QModelIndex()),
                std::make_unique<TabelaKategorieNarzedziDialog>(m.get(), QModelIndex()),
                std::make_unique<TabelaUzytkownicyDialog>(m.get(), QModelIndex())};
        for (const auto &d : dialogs) {
            QSet<QChar> used;
            for (QLabel *label : d->findChildren<QLabel *>()) {
                if (!label->objectName().startsWith(QStringLiteral("la")) || !label->buddy())
                    continue;
                const QString text = label->text();
                const int amp = text.indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0 && !used.contains(text.at(amp + 1).toLower()), qPrintable(d->windowTitle() + QStringLiteral(": ") + text));
                used << text.at(amp + 1).toLower();
                if (label->objectName().startsWith(QStringLiteral("la_"))) {
                    const QString caption = d->captionOf(label->objectName().mid(3));
                    QVERIFY2(!caption.contains(QLatin1Char('&')) && !caption.contains(QLatin1Char('*')), qPrintable(caption));
                }
            }
            QVERIFY2(used.size() >= 1, qPrintable(d->windowTitle()));
        }
    }
};

ORV_TEST_MAIN(TstMasterData)
#include "tst_masterdata.moc"
