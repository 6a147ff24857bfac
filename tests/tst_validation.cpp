#include "Factories.h"
#include "LogReader.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVCommand.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"
#include "TestMain.h"

#include <QLineEdit>

namespace {
const QString kSymbolMsg = QStringLiteral("Wartość może się składać tylko z liter, cyfr i podkreślenia.");
const QString kTypMsg = QStringLiteral("Wartość może przyjmować tylko wartości 0 lub 1.");

class NamedCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit NamedCommand(const QString &name, int *deleted = nullptr) : m_deleted(deleted) { setName(name); }
    ~NamedCommand() override { if (m_deleted) ++*m_deleted; }
    int runs = 0;
protected:
    bool tmpOperacja(TAVTableModel *, const QModelIndex &, QPair<QString, int> *ref) override
    {
        ++runs;
        if (ref)
            ref->second = 42;
        return true;
    }
private:
    int *m_deleted;
};

class NaprawyWydajCommand : public TAVCommand
{
    Q_OBJECT
protected:
    bool tmpOperacja(TAVTableModel *, const QModelIndex &, QPair<QString, int> *) override { return false; }
};
} // namespace

class TstValidation : public QObject
{
    Q_OBJECT

private:
    static int maxLength(const QString &table, const QString &column)
    {
        return TestDb::scalar(QStringLiteral("SELECT character_maximum_length FROM information_schema.columns "
                                             "WHERE table_name = ? AND column_name = ?"), {table, column}).toInt();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(Session::start()); }

    void domainValidators_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("message");
        QTest::newRow("symbol ok") << "symbol" << QVariant(QStringLiteral("MG_01_abc")) << true << QString();
        QTest::newRow("symbol hyphen") << "symbol" << QVariant(QStringLiteral("MG-01")) << false << kSymbolMsg;
        QTest::newRow("symbol empty") << "symbol" << QVariant(QString()) << false << kSymbolMsg;
        QTest::newRow("symbol blank") << "symbol" << QVariant(QStringLiteral("A B")) << false << kSymbolMsg;
        QTest::newRow("symbol polish") << "symbol" << QVariant(QStringLiteral("ŁÓDŹ")) << false << kSymbolMsg;
        QTest::newRow("typ 0") << "typ" << QVariant(QStringLiteral("0")) << true << QString();
        QTest::newRow("typ 1 int") << "typ" << QVariant(1) << true << QString();
        QTest::newRow("typ 01") << "typ" << QVariant(QStringLiteral("01")) << false << kTypMsg;
        QTest::newRow("typ 2") << "typ" << QVariant(2) << false << kTypMsg;
        QTest::newRow("typ empty") << "typ" << QVariant(QString()) << false << kTypMsg;
        QTest::newRow("typ_nn 1") << "typ_nn" << QVariant(1) << true << QString();
        QTest::newRow("typ_nn null") << "typ_nn" << QVariant(QMetaType(QMetaType::Int)) << false
                                     << kTypMsg + QStringLiteral("<br/>Wartość nie może być pusta.");
        QTest::newRow("typ_nn 3") << "typ_nn" << QVariant(3) << false << kTypMsg;
    }

    void domainValidators()
    {
        QFETCH(QString, kind);
        QFETCH(QVariant, value);
        QFETCH(bool, valid);
        QFETCH(QString, message);
        std::unique_ptr<TAVValidator> v;
        if (kind == QLatin1String("symbol"))
            v = std::make_unique<symbol_alnum_6_Validator>();
        else if (kind == QLatin1String("typ"))
            v = std::make_unique<np_typ_Validator>();
        else
            v = std::make_unique<np_typ_nn_Validator>();
        QCOMPARE(v->validate(value), valid);
        QCOMPARE(v->message(), message);
        v->clearMessage();
        QVERIFY(v->message().isEmpty());
    }

    void regExpValidatorMatchesTheWholeText()
    {
        TAVRegExpValidator v(QStringLiteral("[0-9]{2}"), QStringLiteral("Dwie cyfry."));
        QVERIFY(v.validate(QStringLiteral("12")));
        QVERIFY(!v.validate(QStringLiteral("123")));
        QVERIFY(!v.validate(QStringLiteral("a12")));
        QCOMPARE(v.message(), QStringLiteral("Dwie cyfry.<br/>Dwie cyfry."));
    }

    // The client and the database agree on what a symbol is.
    void symbolRuleMatchesTheDatabaseDomain_data()
    {
        QTest::addColumn<QString>("symbol");
        for (const char *s : {"MG_01", "abc", "A-1", "ŁÓDŹ", "zażółć", "x y", "_", "Ab9_"})
            QTest::newRow(s) << QString::fromUtf8(s);
    }

    void symbolRuleMatchesTheDatabaseDomain()
    {
        QFETCH(QString, symbol);
        symbol_alnum_6_Validator v;
        const bool client = v.validate(symbol);
        const bool database = TestDb::exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES (?, 'Próba')"),
                                           {symbol});
        QCOMPARE(database, client);
        TestDb::exec(QStringLiteral("DELETE FROM magazyny WHERE mgz_nazwa = 'Próba'"));
    }

    void checksFieldsAgainstTheCatalogue()
    {
        auto v = TAVValidatorManager::instance()->validator(QStringLiteral("magazyny"));
        QCOMPARE(v->tableName(), QStringLiteral("magazyny"));
        const TAVColumnInfo *symbol = v->columnInfo(QStringLiteral("mgz_symbol"));
        QVERIFY(symbol);
        QVERIFY(!symbol->nullable);
        QVERIFY(symbol->unique);
        QVERIFY(symbol->domainValidator);
        const int max = maxLength(QStringLiteral("magazyny"), QStringLiteral("mgz_symbol"));
        QVERIFY(max > 0);
        QCOMPARE(symbol->maxLength, max);

        const QString existing = TestDb::scalar(QStringLiteral("SELECT mgz_symbol FROM magazyny ORDER BY mgz_id LIMIT 1")).toString();
        QVERIFY(!v->validate(QStringLiteral("mgz_symbol"), existing, QStringLiteral("Symbol")));
        QCOMPARE(v->message(), QStringLiteral("Pole <b>Symbol</b> o danej wartości już istnieje w bazie danych. "
                                              "Wprowadź inną, unikatową wartość."));
        v->clearMessage();

        QVERIFY(v->validate(QStringLiteral("mgz_symbol"), QStringLiteral("NOWY_1"), QStringLiteral("Symbol")));
        QVERIFY(v->message().isEmpty());

        // The model stores text trimmed, so spaces around a taken value do
        // not make it unique.
        auto users = TAVValidatorManager::instance()->validator(QStringLiteral("uzytkownicy"));
        QVERIFY(!users->validate(QStringLiteral("uzt_login"), QStringLiteral("  admin "), QStringLiteral("Login")));
        QVERIFY2(users->message().contains(QStringLiteral("Pole <b>Login</b> o danej wartości już istnieje")),
                 qPrintable(users->message()));
        users->clearMessage();

        // Too long and malformed at once: two messages, label replaced by
        // the column name when empty.
        const QString longBad = QString(max, QLatin1Char('A')) + QStringLiteral("-");
        QVERIFY(!v->validate(QStringLiteral("mgz_symbol"), longBad, QString()));
        QCOMPARE(v->message(), QStringLiteral("Pole <b>mgz_symbol</b> nie może być dłuższe niż <b>%1</b> znaków. "
                                              "Obecna ilość znaków to <b>%2</b>.<br/>"
                                              "Pole <b>mgz_symbol</b> zawiera błąd. %3. Proszę poprawić.")
                         .arg(max).arg(max + 1).arg(kSymbolMsg));
        v->clearMessage();

        QVERIFY(!v->validate(QStringLiteral("mgz_nazwa"), QStringLiteral("   "), QStringLiteral("Nazwa")));
        QCOMPARE(v->message(), QStringLiteral("Pole <b>Nazwa</b> nie może być puste"));
        v->clearMessage();
        QVERIFY(!v->validate(QStringLiteral("mgz_nazwa"), QVariant(QMetaType(QMetaType::QString)), QStringLiteral("Nazwa")));
        v->clearMessage();
        QVERIFY(v->validate(QStringLiteral("mgz_aktywny"), false, QStringLiteral("Aktywny")));
        QVERIFY(v->validate(QStringLiteral("mgz_adres"), QVariant(QMetaType(QMetaType::QString)), QStringLiteral("Adres")));

        // Unknown fields are reported but do not block the write.
        QVERIFY(v->validate(QStringLiteral("mgz_brak"), 1, QStringLiteral("Brak")));
        QCOMPARE(v->message(), QStringLiteral("Nie można dokończyć operacji sprawdzania pola. Nie odnaleziono pola "
                                              "<b>mgz_brak</b> w tabeli <b>magazyny</b> o etykiecie <b>Brak</b>."));

        // Further validators run after the domain check.
        v->addValidator(QStringLiteral("mgz_opis"), new TAVRegExpValidator(QStringLiteral("[a-z]*"), QStringLiteral("Małe litery")));
        v->clearMessage();
        QVERIFY(!v->validate(QStringLiteral("mgz_opis"), QStringLiteral("ABC"), QStringLiteral("Opis")));
        QCOMPARE(v->message(), QStringLiteral("Pole <b>Opis</b> zawiera błąd. Małe litery. Proszę poprawić."));
    }

    void typeColumnUsesTheNotNullDomain()
    {
        auto v = TAVValidatorManager::instance()->validator(QStringLiteral("naprawy_przeglady"));
        QVERIFY(!v->validate(QStringLiteral("np_typ"), QVariant(QMetaType(QMetaType::Int)), QStringLiteral("Typ")));
        QVERIFY(v->message().contains(QStringLiteral("Wartość nie może być pusta.")));
        v->clearMessage();
        QVERIFY(v->validate(QStringLiteral("np_typ"), 1, QStringLiteral("Typ")));
        QVERIFY(!v->validate(QStringLiteral("np_typ"), 5, QStringLiteral("Typ")));
    }

    void managerReadsTheCatalogueOncePerTable()
    {
        auto a = TAVValidatorManager::instance()->validator(QStringLiteral("lokalizacje"));
        a->addMessage(QStringLiteral("stare"));
        auto b = TAVValidatorManager::instance()->validator(QStringLiteral("lokalizacje"));
        QCOMPARE(a.get(), b.get());
        QCOMPARE(b->catalogueReads(), 1);
        QVERIFY(b->message().isEmpty());
        b->setTable(QStringLiteral("lokalizacje"));
        QCOMPARE(b->catalogueReads(), 1);
        auto c = TAVValidatorManager::instance()->validator(QStringLiteral("pracownicy"));
        QVERIFY(c.get() != a.get());
    }

    void lowercaseValidatorAndMessages()
    {
        TAVLowercaseValidator lower;
        QString input = QStringLiteral("Jan.KOWALSKI_Ż");
        int pos = 0;
        QCOMPARE(lower.validate(input, pos), QValidator::Acceptable);
        QCOMPARE(input, QStringLiteral("jan.kowalski_ż"));

        QWidget form;
        auto *first = new QLineEdit(&form);
        auto *second = new QLineEdit(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ValidationMessages messages;
        messages.add(QStringLiteral("Pierwszy"), first);
        messages.add(QStringLiteral("Drugi"), second);
        QCOMPARE(messages.text(), QStringLiteral("Pierwszy<br/>Drugi"));
        QCOMPARE(form.focusWidget(), first);
        ModalDriver boxes;
        messages.show(&form);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("Pola nie spełniają wymagań"));
        QCOMPARE(boxes.last().text, QStringLiteral("Pierwszy<br/>Drugi"));
        QCOMPARE(boxes.last().icon, QMessageBox::Information);
        messages.clear();
        QVERIFY(messages.text().isEmpty());
        messages.add(QStringLiteral("Znów"), second);
        QCOMPARE(form.focusWidget(), second);
    }

    void commandFactoryKeepsTheLastRegistration()
    {
        int deleted = 0;
        auto *first = new NamedCommand(QStringLiteral("TestCmd"), &deleted);
        auto *second = new NamedCommand(QStringLiteral("TestCmd"), &deleted);
        SFCommands::instance()->registerCommand(first);
        SFCommands::instance()->registerCommand(second);
        QCOMPARE(deleted, 1);
        QCOMPARE(SFCommands::instance()->command(QStringLiteral("TestCmd")), second);

        auto *unnamed = new NaprawyWydajCommand;
        SFCommands::instance()->registerCommand(unnamed);
        QCOMPARE(SFCommands::instance()->command(QStringLiteral("NaprawyWydajCommand")), unnamed);

        auto *aliased = new NamedCommand(QString());
        SFCommands::instance()->registerCommand(QStringLiteral("Alias"), aliased);
        QCOMPARE(SFCommands::instance()->command(QStringLiteral("Alias")), aliased);

        QPair<QString, int> ref(QStringLiteral("lkl_fk_mgz"), 3);
        QVERIFY(second->operacja(nullptr, QModelIndex(), &ref));
        QCOMPARE(second->runs, 1);
        QCOMPARE(ref.second, 42);
        QVERIFY(!second->policy());
        second->setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz"));
        second->setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz magazyn"));
        QCOMPARE(second->parameter(QStringLiteral("windowTitle")).toString(), QStringLiteral("Wybierz magazyn"));
        QVERIFY(!second->parameter(QStringLiteral("checkPermissionMgz")).isValid());
    }

    void modelFactoryHandsOutDistinctModels()
    {
        QStringList expected{QStringLiteral("KategorieNarzedziModel"), QStringLiteral("LokalizacjeModel"),
                             QStringLiteral("MagazynyModel"), QStringLiteral("MiejscaUzytkowaniaModel"),
                             QStringLiteral("OvUprawnieniaAdminModel"), QStringLiteral("OvUprawnieniaMgzModel"),
                             QStringLiteral("PracownicyModel"), QStringLiteral("UzytkownicyModel")};
        for (const QString &name : expected)
            QVERIFY2(SFModels::instance()->names().contains(name), qPrintable(name));
        std::unique_ptr<TAVTableModel> a(SFModels::instance()->create(QStringLiteral("PracownicyModel"), QString()));
        std::unique_ptr<TAVTableModel> b(SFModels::instance()->create(QStringLiteral("PracownicyModel"), QString()));
        QVERIFY(a && b);
        QVERIFY(a.get() != b.get());
        QVERIFY(!a->parent());
        QCOMPARE(QString::fromLatin1(a->metaObject()->className()), QStringLiteral("PracownicyModel"));
        QVERIFY(a->select());
        QVERIFY(!SFModels::instance()->create(QStringLiteral("BrakModel"), QString()));
    }
};

ORV_TEST_MAIN(TstValidation)
#include "tst_validation.moc"
