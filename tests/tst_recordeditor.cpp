// Field validation from the database catalogue and the record editor's
// binding of widgets to fields.

#include "Factories.h"
#include "ModalDriver.h"
#include "MovementValidators.h"
#include "RegisterValidators.h"
#include "Session.h"
#include "TAVCommand.h"
#include "TAVDataWidget.h"
#include "TAVDialog.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlRelation>

#include <memory>

namespace {
const QString kSymbolMsg = QStringLiteral("Wartość może się składać tylko z liter, cyfr i podkreślenia.");
const QString kTypMsg = QStringLiteral("Wartość może przyjmować tylko wartości 0 lub 1.");

// Locations whose warehouse is chosen in a combo over the warehouses.
class LokalizacjeZMagazynemModel : public TAVModel<LokalizacjeZMagazynemModel>
{
    Q_OBJECT
public:
    void setNames() override
    {
        setTableName(QStringLiteral("lokalizacje"));
        setRelation(QStringLiteral("lkl_fk_mgz"), QSqlRelation(QStringLiteral("magazyny"), QStringLiteral("mgz_id"),
                                                               QStringLiteral("mgz_symbol")));
    }
    void setHeaders() override {}
};

class NamedCommand : public TAVCommand
{
    Q_OBJECT
public:
    NamedCommand(const QString &name, int *deleted) : m_deleted(deleted) { setName(name); }
    ~NamedCommand() override { ++*m_deleted; }
protected:
    bool tmpOperacja(TAVTableModel *, const QModelIndex &, QPair<QString, int> *) override { return true; }
private:
    int *m_deleted;
};
} // namespace

class TstRecordEditor : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<TAVTableModel> model(const char *name)
    {
        std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QLatin1String(name), QString()));
        m->select();
        return m;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(Session::start()); }

    // Read while the server is away, the catalogue is asked again later
    // instead of leaving the checks off for the rest of the session.
    void failedCatalogueReadsAreNotKept()
    {
        QVERIFY(Session::loseConnection());
        auto v = TAVValidatorManager::instance()->validator(QStringLiteral("pracownicy"));
        QVERIFY(!v->isLoaded());
        QVERIFY(!v->validate(QStringLiteral("prc_nazwisko"), QStringLiteral("  "), QStringLiteral("Nazwisko")));
        QCOMPARE(v->message(), QStringLiteral("Pole <b>Nazwisko</b> nie może być puste"));
        QVERIFY(v->isLoaded());
        QCOMPARE(TAVValidatorManager::instance()->validator(QStringLiteral("pracownicy")).get(), v.get());
        QCOMPARE(v->catalogueReads(), 2);

    }

    void domainValidators_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("symbol ok") << 0 << QVariant(QStringLiteral("MG_01_abc")) << QString();
        QTest::newRow("symbol hyphen") << 0 << QVariant(QStringLiteral("MG-01")) << kSymbolMsg;
        QTest::newRow("symbol empty") << 0 << QVariant(QString()) << kSymbolMsg;
        QTest::newRow("symbol Polish") << 0 << QVariant(QStringLiteral("ŁÓDŹ")) << kSymbolMsg;
        QTest::newRow("type 1") << 1 << QVariant(1) << QString();
        QTest::newRow("type 01") << 1 << QVariant(QStringLiteral("01")) << kTypMsg;
        QTest::newRow("type empty") << 1 << QVariant(QString()) << kTypMsg;
        QTest::newRow("required type null") << 2 << QVariant(QMetaType::fromType<int>())
                                            << kTypMsg + QStringLiteral("<br/>Wartość nie może być pusta.");
        QTest::newRow("required type 0") << 2 << QVariant(0) << QString();
    }
    void domainValidators()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        std::unique_ptr<TAVValidator> v(kind == 0 ? static_cast<TAVValidator *>(new symbol_alnum_6_Validator)
                                        : kind == 1 ? new np_typ_Validator : new np_typ_nn_Validator);
        QCOMPARE(v->validate(value), message.isEmpty());
        QCOMPARE(v->message(), message);
    }

    // The client and the database agree on what a symbol is.
    void symbolRuleMatchesTheDatabase_data()
    {
        QTest::addColumn<QString>("symbol");
        for (const char *s : {"MG_01", "A-1", "ŁÓDŹ", "zażółć", "x y", "_", "Ab9_"})
            QTest::newRow(s) << QString::fromUtf8(s);
    }
    void symbolRuleMatchesTheDatabase()
    {
        QFETCH(QString, symbol);
        QCOMPARE(TestDb::exec(QStringLiteral("SELECT CAST(? AS d_symbol_alnum_6)"), {symbol}),
                 symbol_alnum_6_Validator().validate(symbol));
    }

    void fieldsAreCheckedAgainstTheCatalogue()
    {
        auto v = TAVValidatorManager::instance()->validator(QStringLiteral("magazyny"));
        auto check = [&](const char *column, const QVariant &value, const QString &label) {
            v->clearMessage();
            return v->validate(QLatin1String(column), value, label) ? QString() : v->message();
        };
        const QString taken = QStringLiteral(" o danej wartości już istnieje w bazie danych. Wprowadź inną, unikatową wartość.");
        QCOMPARE(check("mgz_symbol", QStringLiteral("MG_GLOWNY"), QStringLiteral("Symbol")), QStringLiteral("Pole <b>Symbol</b>") + taken);
        QCOMPARE(check("mgz_symbol", QStringLiteral("NOWY_1"), QStringLiteral("Symbol")), QString());
        QCOMPARE(check("mgz_symbol", QString(20, QLatin1Char('A')) + QStringLiteral("-"), QString()),
                 QStringLiteral("Pole <b>mgz_symbol</b> nie może być dłuższe niż <b>20</b> znaków. Obecna ilość znaków to "
                                "<b>21</b>.<br/>Pole <b>mgz_symbol</b> zawiera błąd. %1. Proszę poprawić.").arg(kSymbolMsg));
        QCOMPARE(check("mgz_nazwa", QStringLiteral("   "), QStringLiteral("Nazwa")), QStringLiteral("Pole <b>Nazwa</b> nie może być puste"));
        QVERIFY(!check("mgz_nazwa", QVariant(QMetaType::fromType<QString>()), QStringLiteral("Nazwa")).isEmpty());
        QCOMPARE(check("mgz_aktywny", false, QStringLiteral("Aktywny")), QString());
        QCOMPARE(check("mgz_adres", QVariant(QMetaType::fromType<QString>()), QStringLiteral("Adres")), QString());
        // Stored trimmed, so blanks around a taken value do not make it unique.
        auto users = TAVValidatorManager::instance()->validator(QStringLiteral("uzytkownicy"));
        QVERIFY(!users->validate(QStringLiteral("uzt_login"), QStringLiteral("  admin "), QStringLiteral("Login")));
        QCOMPARE(users->message(), QStringLiteral("Pole <b>Login</b>") + taken);
        // A field the catalogue does not know is reported but does not block.
        QVERIFY(v->validate(QStringLiteral("mgz_brak"), 1, QStringLiteral("Brak")));
        QVERIFY(v->message().contains(QStringLiteral("Nie odnaleziono pola <b>mgz_brak</b> w tabeli <b>magazyny</b>")));

        // A location's name is unique within its warehouse only.
        auto locations = TAVValidatorManager::instance()->validator(QStringLiteral("lokalizacje"));
        QCOMPARE(locations->uniqueSets(), (QList<QStringList>{{"lkl_fk_mgz", "lkl_nazwa"}}));
        const QStringList set{"lkl_fk_mgz", "lkl_nazwa"};
        QVERIFY(!locations->validateUnique(set, {{"lkl_fk_mgz", 3}, {"lkl_nazwa", QStringLiteral("Biuro budowy ")}}, QVariant(),
                                           {QStringLiteral("Nazwa")}));
        QVERIFY(locations->validateUnique(set, {{"lkl_fk_mgz", 2}, {"lkl_nazwa", QStringLiteral("Biuro budowy")}}, QVariant(), {}));
        // The edited row itself is no duplicate.
        const QVariant own = TestDb::scalar(QStringLiteral("SELECT lkl_id FROM lokalizacje WHERE lkl_nazwa = 'Biuro budowy'"));
        QVERIFY(locations->validateUnique(set, {{"lkl_fk_mgz", 3}, {"lkl_nazwa", QStringLiteral("Biuro budowy")}}, own, {}));
        QCOMPARE(locations->catalogueReads(), 1);
    }

    // Each kind of widget by its own property; only what changed is given.
    void widgetsGiveBackWhatChanged()
    {
        auto m = model("LokalizacjeModel");
        TAVDataWidget w(m.get());
        QDateEdit date;
        QCheckBox check;
        QPlainTextEdit text;
        QLineEdit stray;
        w.addMapping(&date, QStringLiteral("stworzono"));
        w.addMapping(&check, QStringLiteral("systemowy"));
        w.addMapping(&text, QStringLiteral("lkl_nazwa"));
        w.addMapping(&stray, QStringLiteral("nie_ma_takiej"));
        QVERIFY(!w.hasMapping(QStringLiteral("nie_ma_takiej")));
        w.setCurrentIndex(m->rowOfKey(7));
        QCOMPARE(text.toPlainText(), QStringLiteral("Kontener narzędziowy"));
        QVERIFY(w.getRecord().isEmpty() || !w.getRecord().value(QStringLiteral("lkl_nazwa")).isValid());
        date.setDate(QDate(2030, 1, 2));
        const QSqlRecord rec = w.getRecord();
        QCOMPARE(rec.value(QStringLiteral("stworzono")).metaType().id(), int(QMetaType::QDate));
        QStringList given;
        for (int i = 0; i < rec.count(); ++i) {
            if (rec.value(i).isValid())
                given << rec.fieldName(i);
        }
        QCOMPARE(given, QStringList{QStringLiteral("stworzono")});
        // A widget destroyed while bound is skipped.
        {
            QLineEdit gone;
            w.addMapping(&gone, QStringLiteral("lkl_fk_mgz"));
        }
        QVERIFY(!w.hasMapping(QStringLiteral("lkl_fk_mgz")));
        w.getRecord();
    }

    // A combo over a relation lists the related rows and always gives its key.
    void relationCombosGiveTheKey()
    {
        SFModels::instance()->registerModel(new LokalizacjeZMagazynemModel);
        auto m = model("LokalizacjeZMagazynemModel");
        TAVDialog d(m.get(), m->index(m->rowOfKey(9), 0));
        QComboBox combo;
        combo.addItem(QString());
        d.dataWidget()->addMapping(&combo, QStringLiteral("lkl_fk_mgz"));
        d.dataWidget()->setCurrentIndex(m->rowOfKey(9));
        QCOMPARE(combo.count(), 5);
        QCOMPARE(combo.currentText(), QStringLiteral("MG_BUDOWA2"));
        QCOMPARE(d.getRecord().value(QStringLiteral("lkl_fk_mgz")).toInt(), 3);
        combo.setCurrentIndex(combo.findText(QStringLiteral("MG_GLOWNY")));
        QCOMPARE(d.getRecord().value(QStringLiteral("lkl_fk_mgz")).toInt(), 1);
    }

    void factoriesHandOutWhatWasRegistered()
    {
        int deleted = 0;
        auto *first = new NamedCommand(QStringLiteral("TestCmd"), &deleted);
        auto *second = new NamedCommand(QStringLiteral("TestCmd"), &deleted);
        SFCommands::instance()->registerCommand(first);
        SFCommands::instance()->registerCommand(second);
        QCOMPARE(deleted, 1);
        QCOMPARE(SFCommands::instance()->command(QStringLiteral("TestCmd")), second);
        std::unique_ptr<TAVTableModel> a(SFModels::instance()->create(QStringLiteral("PracownicyModel"), QString()));
        std::unique_ptr<TAVTableModel> b(SFModels::instance()->create(QStringLiteral("PracownicyModel"), QString()));
        QVERIFY(a && b && a.get() != b.get() && !a->parent());
        QVERIFY(!SFModels::instance()->create(QStringLiteral("BrakModel"), QString()));
    }
};

ORV_TEST_MAIN(TstRecordEditor)
#include "tst_recordeditor.moc"
