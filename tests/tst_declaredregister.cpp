// A register declared here from the framework's helpers alone (a model, a
// small dialog with pick fields and a photo, one declaration) works end to
// end through the real widgets.

#include "BasicCommands.h"
#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "ModalDriver.h"
#include "OVPermissions.h"
#include "RegisterStrategies.h"
#include "Session.h"
#include "TAVDataWidget.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVItemDelegate.h"
#include "TAVListaWyboru.h"
#include "TAVPhotoLabel.h"
#include "TAVPickBinding.h"
#include "TAVValidator.h"
#include "MagazynyModel.h"
#include "MainWindow.h"
#include "OVApplication.h"
#include "TAVRegister.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QFormLayout>
#include <QResource>
#include <QToolButton>

class SprzetModel : public TAVModel<SprzetModel>
{
    Q_OBJECT
public:
    SprzetModel()
    {
        setContextClearsActions(true);
        setDefaultValue(QStringLiteral("nrz_przyjete_na_stan"), true);
        addFlagColumn<TakNieDisplayTextStrategy>(QStringLiteral("nrz_przyjete_na_stan"), FlagPaint::GreyWhenFalse);
        hideColumns({QStringLiteral("nrz_fk_mgz"), QStringLiteral("nrz_fk_lkl")});
        addLazyColumn(QStringLiteral("nrz_zdjecie"));
    }
    void setNames() override
    {
        setTableName(QStringLiteral("narzedzia"));
        setViewName(QStringLiteral("v_narzedzia"));
    }
    void setHeaders() override
    {
        setHeader(QStringLiteral("nrz_kod"), QStringLiteral("Kod"));
        setHeader(QStringLiteral("nrz_nazwa"), QStringLiteral("Nazwa"));
        setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Magazyn"));
        setAuditHeaders();
    }
    void createActions() override
    {
        addAction(QStringLiteral("SprzetCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
        addAction(QStringLiteral("SprzetCmdEdytuj"), QStringLiteral("Edytuj"));
        addAction(QStringLiteral("SprzetCmdKasuj"), QStringLiteral("Kasuj"));
    }
    void createSearchFields() override { addSearchFields({QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa")}); }
};

class SprzetDialog : public TAVDialog
{
    Q_OBJECT
public:
    SprzetDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr)
        : TAVDialog(model, index, parent)
    {
        setWindowTitle(QStringLiteral("Sprzęt"));
        auto *form = new QFormLayout(this);
        auto *magazyn = new TAVListaWyboru(this);
        auto *lokalizacja = new TAVListaWyboru(this);
        magazyn->setObjectName(QStringLiteral("lwMagazyn"));
        lokalizacja->setObjectName(QStringLiteral("lwLokalizacja"));
        const QList<QPair<QString, QWidget *>> fields{{"&Kod*", new QLineEdit(this)}, {"&Nazwa*", new QLineEdit(this)},
                                                      {"&Magazyn", magazyn}, {"&Lokalizacja", lokalizacja},
                                                      {"&Zdjęcie", new TAVPhotoLabel(this)}};
        const QStringList columns{"nrz_kod", "nrz_nazwa", "nrz_fk_mgz", "nrz_fk_lkl", "nrz_zdjecie"};
        for (int i = 0; i < fields.size(); ++i) {
            auto *label = new QLabel(fields.at(i).first, this);
            label->setObjectName(QStringLiteral("la_") + columns.at(i));
            label->setBuddy(fields.at(i).second);
            fields.at(i).second->setObjectName(fields.at(i).second->objectName().isEmpty() ? columns.at(i)
                                                                                          : fields.at(i).second->objectName());
            form->addRow(label, fields.at(i).second);
            if (!qobject_cast<TAVListaWyboru *>(fields.at(i).second))
                bind(fields.at(i).second, columns.at(i));
        }
        bindPick(magazyn, QStringLiteral("nrz_fk_mgz"), new MagazynyListaWyboruCommand);
        bindPick(lokalizacja, QStringLiteral("nrz_fk_lkl"), new LokalizacjeListaWyboruCommand)
                .prepare([magazyn](TAVListaWyboruCommand &, TAVPickBinding::Pair &start) {
                    start = {QStringLiteral("lkl_fk_mgz"), magazyn->key().toInt()};
                    return true;
                });
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        form->addRow(buttons);
        connectButtons(buttons);
        loadRow();
    }

protected:
    // A location of another warehouse is refused with the field checks.
    void addChecks(ValidationMessages &messages) override
    {
        const QVariant location = dataWidget()->mappedWidget(QStringLiteral("nrz_fk_lkl"))->property("key");
        const QVariant warehouse = dataWidget()->mappedWidget(QStringLiteral("nrz_fk_mgz"))->property("key");
        if (!location.isNull() && TestDb::scalar(QStringLiteral("SELECT lkl_fk_mgz FROM lokalizacje WHERE lkl_id = ?"),
                                                 {location}) != warehouse)
            messages.add(QStringLiteral("Lokalizacja nie należy do wybranego magazynu."), nullptr);
    }
};

class TstDeclaredRegister : public QObject
{
    Q_OBJECT

private:
    static QVariant tool(const char *column, const QString &code)
    {
        return TestDb::scalar(QStringLiteral("SELECT %1 FROM narzedzia WHERE nrz_kod = ?").arg(QLatin1String(column)), {code});
    }
    // Picks through the field's own list: its find button, the row, OK.
    static void choose(QWidget *dialog, const char *field, int key)
    {
        auto *pick = dialog->findChild<TAVListaWyboru *>(QLatin1String(field));
        QVERIFY(pick);
        pick->findChild<QToolButton *>(QStringLiteral("tbFind"))->click();
        QCOMPARE(pick->key().toInt(), key);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
        // The whole declaration: commands, module, a tab under the
        // warehouses, a pick list and the manual's section.
        TAVRegisterDeclaration r;
        r.commands = [] { registerAddEditDelete<SprzetDialog>(QStringLiteral("Sprzet"), [] { return new OVPermissionNoRestriction; }); };
        r.module = TAVModuleDeclaration{QStringLiteral("Sprzęt"), QStringLiteral("listtools"), 45, false, QStringLiteral("Sprzęt"), {}, {}};
        r.tabs = {{&MagazynyModel::staticMetaObject, QStringLiteral("Sprzęt"), QString(), QStringLiteral("nrz_fk_mgz"), 15}};
        r.pickList = TAVPickListDeclaration{QStringLiteral("SprzetListaWyboruCommand"), QString(), {QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa")}, true, {}};
        r.helpSection = QStringLiteral("narzedzia");
        TAVRegisters::declare<SprzetModel>(std::move(r));
    }
    void init() { QVERIFY(Session::start()); }

    void declaredRegisterWorksEndToEnd()
    {
        TAVEwidencja view(QStringLiteral("SprzetModel"), QString(), QString());
        TAVTableModel *m = view.getModel();
        QCOMPARE(m->rowCount(), TestDb::scalar(QStringLiteral("SELECT count(*) FROM narzedzia")).toInt());
        for (const char *hidden : {"nrz_id", "nrz_fk_mgz", "nrz_zdjecie", "stworzono"})
            QVERIFY2(view.tableView()->isColumnHidden(m->fieldIndex(QLatin1String(hidden))), hidden);
        QVERIFY(view.tableView()->itemDelegateForColumn(m->fieldIndex(QStringLiteral("nrz_przyjete_na_stan"))));

        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "nrz_kod", QStringLiteral("SP-900"));
            TestUi::setText(d, "nrz_nazwa", QStringLiteral("Szlifierka kątowa"));
            choose(d, "lwMagazyn", 3);
            QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwMagazyn"))->text(), QStringLiteral("MG_BUDOWA2"));
            choose(d, "lwLokalizacja", 8);
            QImage photo(800, 600, QImage::Format_RGB32);
            photo.fill(Qt::darkCyan);
            d->findChild<TAVPhotoLabel *>()->setImage(photo);
            TestUi::pressOk(d);
        });
        driver.onNext(TestUi::pickKey(3));
        driver.onNext(TestUi::pickKey(8));
        TRIGGER(view, "Dodaj");
        QCOMPARE(tool("nrz_fk_mgz", QStringLiteral("SP-900")).toInt(), 3);
        QCOMPARE(tool("nrz_fk_lkl", QStringLiteral("SP-900")).toInt(), 8);
        QCOMPARE(tool("fk_uzt_stworzono", QStringLiteral("SP-900")).toInt(), 1);
        const int id = tool("nrz_id", QStringLiteral("SP-900")).toInt();
        QCOMPARE(TestUi::currentKey(view), id);
        QCOMPARE(m->value(view.currentIndex().row(), QStringLiteral("mgz_symbol")).toString(), QStringLiteral("MG_BUDOWA2"));
        // The photo is not read for the table, only for the record.
        QVERIFY(!m->value(view.currentIndex().row(), QStringLiteral("nrz_zdjecie")).isValid());
        QImage stored;
        QVERIFY(stored.loadFromData(QByteArray::fromBase64(m->record(view.currentIndex().row()).value(QStringLiteral("nrz_zdjecie")).toByteArray())));
        QCOMPARE(stored.size(), QSize(400, 300));

        // Edit: the dialog shows the captions; the cleared location is written as NULL.
        driver.onNext([](QWidget *d) {
            auto *location = d->findChild<TAVListaWyboru *>(QStringLiteral("lwLokalizacja"));
            QCOMPARE(location->text(), QStringLiteral("Wiata sprzętowa"));
            location->findChild<QToolButton *>(QStringLiteral("tbClear"))->click();
            TestUi::setText(d, "nrz_nazwa", QStringLiteral("Szlifierka kątowa 125"));
            TestUi::pressOk(d);
        });
        TRIGGER(view, "Edytuj");
        QVERIFY(tool("nrz_fk_lkl", QStringLiteral("SP-900")).isNull());
        QCOMPARE(tool("nrz_fk_mgz", QStringLiteral("SP-900")).toInt(), 3);

        TestUi::search(view, QStringLiteral("nrz_nazwa"), QStringLiteral("kątowa 125"));
        QCOMPARE(m->rowCount(), 1);
        driver.pressNext(QMessageBox::Yes);
        TRIGGER(view, "Kasuj");
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_id = ?"), {id}).toInt(), 0);
        QCOMPARE(m->rowCount(), 0);
    }

    // The palette, the module tab, the tab under another module and the
    // pick list come from the declaration alone.
    void declarationReachesPaletteTabsAndPickList()
    {
        MainWindow window;
        QStringList captions;
        for (QToolButton *b : window.palette()->buttons())
            captions << b->text();
        QCOMPARE(captions.indexOf(QStringLiteral("Sprzęt")), captions.indexOf(QStringLiteral("Kategorie Narzędzi")) + 1);
        window.palette()->buttons().at(captions.indexOf(QStringLiteral("Sprzęt")))->click();
        QCOMPARE(window.tabs()->tabText(window.tabs()->currentIndex()), QStringLiteral("Sprzęt"));
        window.ewidencjaMagazyny();
        auto *warehouses = qobject_cast<TAVEwidencja *>(window.tabs()->currentWidget());
        QStringList tabs;
        for (TAVEwidencja *r : warehouses->relatives())
            tabs << r->title();
        QCOMPARE(tabs.mid(0, 3), (QStringList{"Narzędzia", "Sprzęt", "Przesunięcia - Wydane"}));
        QCOMPARE(OVApplication::instance()->helpSectionFor(&window), QStringLiteral("magazyny"));

        TAVPickList<SprzetModel> pick;
        QCOMPARE(pick.captionQuery(), QStringLiteral("SELECT concat_ws(' ', nrz_kod, nrz_nazwa) FROM narzedzia WHERE nrz_id = :id"));
        ModalDriver driver;
        driver.onNext(TestUi::pickKey(1));
        QPair<QString, int> chosen;
        QVERIFY(pick.operacja(nullptr, QModelIndex(), &chosen));
        QCOMPARE(chosen.first, TestDb::scalar(QStringLiteral("SELECT nrz_kod || ' ' || nrz_nazwa FROM narzedzia WHERE nrz_id = 1")).toString());
    }

    // Required pick fields are reported with the other fields in one
    // message; a key of 0 is no key and is written as NULL.
    void pickFieldsAreCheckedWithTheOtherFields()
    {
        auto model = std::unique_ptr<TAVTableModel>(SFModels::instance()->create(QStringLiteral("SprzetModel"), QString()));
        model->select();
        SprzetDialog dialog(model.get(), QModelIndex());
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("la_nrz_fk_mgz"))->text(), QStringLiteral("&Magazyn*"));
        QCOMPARE(dialog.captionOf(QStringLiteral("nrz_fk_mgz")), QStringLiteral("Magazyn"));
        auto *warehouse = dialog.findChild<TAVListaWyboru *>(QStringLiteral("lwMagazyn"));
        auto *location = dialog.findChild<TAVListaWyboru *>(QStringLiteral("lwLokalizacja"));
        TestUi::setText(&dialog, "nrz_kod", QStringLiteral("SP-901"));
        location->setKey(8);
        ModalDriver driver;
        driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"),
                         QStringLiteral("Pole <b>Nazwa</b> nie może być puste<br/>Pole <b>Magazyn</b> nie może być puste<br/>"
                                        "Lokalizacja nie należy do wybranego magazynu."));
        QVERIFY(!dialog.validateModel());

        warehouse->setKey(3);
        location->setKey(0);
        QVERIFY(location->text().isEmpty());
        TestUi::setText(&dialog, "nrz_nazwa", QStringLiteral("Poziomica"));
        QVERIFY(dialog.validateModel());
        QVERIFY(model->insert(dialog.getRecord(), QModelIndex()));
        QVERIFY(tool("nrz_fk_lkl", QStringLiteral("SP-901")).isNull());
        QCOMPARE(tool("nrz_fk_mgz", QStringLiteral("SP-901")).toInt(), 3);
        QVERIFY(tool("nrz_zdjecie", QStringLiteral("SP-901")).isNull());
    }
};

ORV_TEST_MAIN(TstDeclaredRegister)
#include "tst_declaredregister.moc"
