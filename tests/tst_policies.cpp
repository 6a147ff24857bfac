#include "Factories.h"
#include "NarzedziaModel.h"
#include "OVPermissions.h"
#include "Session.h"
#include "TAVCommand.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QSqlRecord>
#include <QSqlRelationalTableModel>

#include <memory>

// Stand-ins for the movement registers, which the policies
// recognise by class name. Remove each one when its real register lands.
class StandInModel : public TAVTableModel
{
public:
    explicit StandInModel(const QString &table) : m_table(table) { setSystemRowMode(0); }
    QSqlRecord defaultRecord() override { return emptyRecord(); }
    QVector<int> hiddenColumns(QString) override { return {}; }
    void setNames() override { setTableName(m_table); }
    void setHeaders() override {}
    void createActions() override {}
    void setCommands() override {}

private:
    QString m_table;
};

class PrzesunieciaMMModel : public StandInModel
{
    Q_OBJECT
public:
    PrzesunieciaMMModel() : StandInModel(QStringLiteral("przesuniecia_mm")) {}
    TAVTableModel *createInstance() override { return new PrzesunieciaMMModel; }
};

class PrzypisaneNarzedziaPracownikomModel : public StandInModel
{
    Q_OBJECT
public:
    PrzypisaneNarzedziaPracownikomModel() : StandInModel(QStringLiteral("przypisane_narzedzia_pracownikom")) {}
    TAVTableModel *createInstance() override { return new PrzypisaneNarzedziaPracownikomModel; }
};

class NaprawyPrzegladyModel : public StandInModel
{
    Q_OBJECT
public:
    NaprawyPrzegladyModel() : StandInModel(QStringLiteral("v_naprawy_przeglady")) {}
    TAVTableModel *createInstance() override { return new NaprawyPrzegladyModel; }
};

// Any other register holding the same columns.
class ObcyModel : public StandInModel
{
    Q_OBJECT
public:
    explicit ObcyModel(const QString &table) : StandInModel(table) {}
    TAVTableModel *createInstance() override { return nullptr; }
};

class NoopCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit NoopCommand(TAVPermissionPolicy *policy) : TAVCommand(policy) {}

protected:
    bool tmpOperacja(TAVTableModel *, const QModelIndex &, QPair<QString, int> *) override { return true; }
};

using ModelPtr = std::shared_ptr<TAVTableModel>;
using CommandPtr = std::shared_ptr<TAVCommand>;
Q_DECLARE_METATYPE(ModelPtr)
Q_DECLARE_METATYPE(CommandPtr)

class TstPolicies : public QObject
{
    Q_OBJECT

private:
    qint32 m_manager3 = 0;

    template <typename M, typename... A>
    static ModelPtr open(A... args)
    {
        ModelPtr m(new M(args...));
        m->initialize();
        m->select();
        while (m->sqlModel()->canFetchMore())
            m->sqlModel()->fetchMore();
        return m;
    }

    static ModelPtr registered(const char *name)
    {
        ModelPtr m(SFModels::instance()->create(QString::fromLatin1(name), QString()));
        m->select();
        return m;
    }

    static QModelIndex row(const ModelPtr &m, const char *key, int id)
    {
        for (int i = 0; i < m->rowCount(); ++i) {
            if (m->record(i).value(QString::fromLatin1(key)).toInt() == id)
                return m->sqlModel()->index(i, 0);
        }
        return QModelIndex();
    }

    static CommandPtr cmd(TAVPermissionPolicy *policy) { return CommandPtr(new NoopCommand(policy)); }
    static QVariantList f(std::initializer_list<const char *> names)
    {
        QVariantList out;
        for (const char *n : names)
            out << QString::fromLatin1(n);
        return out;
    }

    void signInAs(qint32 id)
    {
        OVApplication::instance()->setUztId(id);
    }

    // Columns: command, model, key column and value of the current row (0:
    // no row), reference column and parent key (empty: not a dependent tab),
    // and the answers for an administrator and for the manager of warehouse 3.
    void addCases()
    {
        QTest::addColumn<CommandPtr>("command");
        QTest::addColumn<ModelPtr>("model");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("refColumn");
        QTest::addColumn<int>("refValue");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<bool>("manager");

        const QString none;
        auto uprMgz = [] { return cmd(new OVPermissionUprMgz(f({"lkl_fk_mgz"}))); };
        const ModelPtr lokalizacje = registered("LokalizacjeModel");
        QTest::newRow("location of warehouse 3") << uprMgz() << lokalizacje << "lkl_id" << 7 << none << 0 << true << true;
        QTest::newRow("location of warehouse 4") << uprMgz() << lokalizacje << "lkl_id" << 10 << none << 0 << true << false;
        QTest::newRow("location, no row") << uprMgz() << lokalizacje << "lkl_id" << 0 << none << 0 << true << false;
        // In a warehouse's locations tab the parent key decides, not the row.
        QTest::newRow("tab of warehouse 3, no row") << uprMgz() << lokalizacje << "lkl_id" << 0
                                                    << "lkl_fk_mgz" << 3 << true << true;
        QTest::newRow("tab of warehouse 4, row of 3") << uprMgz() << lokalizacje << "lkl_id" << 7
                                                      << "lkl_fk_mgz" << 4 << true << false;
        // A reference column the policy does not watch is ignored.
        QTest::newRow("foreign reference column") << uprMgz() << lokalizacje << "lkl_id" << 7
                                                  << "mgz_id" << 4 << true << true;

        const ModelPtr magazyny = registered("MagazynyModel");
        QTest::newRow("admin command") << cmd(new OVPermissionAdmin) << magazyny << "mgz_id" << 3 << none << 0
                                       << true << false;
        QTest::newRow("no restriction") << cmd(new OVPermissionNoRestriction) << magazyny << "mgz_id" << 0
                                        << none << 0 << true << true;
        // The warehouse register watches its own key.
        QTest::newRow("warehouse 3 itself") << cmd(new OVPermissionUprMgz(f({"mgz_id"}))) << magazyny << "mgz_id" << 3
                                            << none << 0 << true << true;

        // Transfers: received (status true) ones are closed to everybody.
        const ModelPtr mm = open<PrzesunieciaMMModel>();
        auto przyjmij = [] { return cmd(new OvPermisionPrzesunieciaMm(f({"mgz_id", "psnmm_fk_mgz_dst"}))); };
        auto wydaj = [] { return cmd(new OvPermisionPrzesunieciaMm(f({"mgz_id", "psnmm_fk_mgz_src"}))); };
        QTest::newRow("receive open transfer into 3") << przyjmij() << mm << "psnmm_id" << 5 << none << 0 << true << true;
        QTest::newRow("receive finished transfer into 3") << przyjmij() << mm << "psnmm_id" << 3 << none << 0 << false << false;
        QTest::newRow("cancel open transfer from 1") << wydaj() << mm << "psnmm_id" << 5 << none << 0 << true << false;
        QTest::newRow("transfer, no row") << przyjmij() << mm << "psnmm_id" << 0 << none << 0 << true << false;
        // The same policy on another register only checks the rights.
        QTest::newRow("transfer policy on warehouses") << przyjmij() << magazyny << "mgz_id" << 3 << none << 0
                                                       << true << true;
        const ModelPtr mmObcy = open<ObcyModel>(QStringLiteral("przesuniecia_mm"));
        QTest::newRow("finished transfer, other class") << przyjmij() << mmObcy << "psnmm_id" << 3 << none << 0
                                                        << true << true;

        // Tools issued to employees.
        const ModelPtr pnp = open<PrzypisaneNarzedziaPracownikomModel>();
        auto zwrot = [] { return cmd(new OVPermissionPrzypisaneNarzedziaPracownikom(f({"pnp_fk_mgz"}))); };
        QTest::newRow("return open issue of 3") << zwrot() << pnp << "pnp_id" << 4 << none << 0 << true << true;
        QTest::newRow("return open issue of 2") << zwrot() << pnp << "pnp_id" << 5 << none << 0 << true << false;
        QTest::newRow("return finished issue") << zwrot() << pnp << "pnp_id" << 1 << none << 0 << false << false;
        const ModelPtr pnpObcy = open<ObcyModel>(QStringLiteral("przypisane_narzedzia_pracownikom"));
        QTest::newRow("finished issue, other class") << zwrot() << pnpObcy << "pnp_id" << 1 << none << 0 << true << false;

        // Repairs and inspections: np 4 an open repair, 5 an open inspection,
        // 2 a finished repair, all of warehouse 3; np 1 finished, of 1.
        const ModelPtr np = open<NaprawyPrzegladyModel>();
        auto odbior = [](int type) { return cmd(new OVPermissionNaprawyPrzeglady(f({"nrz_fk_mgz"}), type, false)); };
        auto wyslij = [](int type) { return cmd(new OVPermissionNaprawyPrzeglady(f({"nrz_fk_mgz"}), type, true)); };
        QTest::newRow("receive repair, open repair") << odbior(0) << np << "np_id" << 4 << none << 0 << true << true;
        QTest::newRow("receive inspection, open repair") << odbior(1) << np << "np_id" << 4 << none << 0 << false << false;
        QTest::newRow("receive inspection, open inspection") << odbior(1) << np << "np_id" << 5 << none << 0 << true << true;
        QTest::newRow("receive repair, finished repair") << odbior(0) << np << "np_id" << 2 << none << 0 << false << false;
        QTest::newRow("issue flag, finished row of 1") << wyslij(0) << np << "np_id" << 1 << none << 0 << true << false;
        QTest::newRow("issue flag, finished row of 3") << wyslij(1) << np << "np_id" << 2 << none << 0 << true << true;
        QTest::newRow("receive repair, no row") << odbior(0) << np << "np_id" << 0 << none << 0 << false << false;

        // Sending a tool for repair from the tools register: only tools on stock.
        const ModelPtr nrz = open<NarzedziaModel>();
        QTest::newRow("send tool on stock in 3") << wyslij(0) << nrz << "nrz_id" << 33 << none << 0 << true << true;
        QTest::newRow("send tool not on stock in 3") << wyslij(0) << nrz << "nrz_id" << 37 << none << 0 << false << false;
        QTest::newRow("send tool on stock in 2") << wyslij(0) << nrz << "nrz_id" << 19 << none << 0 << true << false;
        QTest::newRow("receive policy on tools, not on stock") << odbior(1) << nrz << "nrz_id" << 36 << none << 0
                                                               << false << false;

        // Adding a tool: always in the tools register, in a tab only with the
        // right to the parent warehouse.
        auto dodaj = [] { return cmd(new OVPermissionNarzedziaDodaj(f({"nrz_fk_mgz"}))); };
        QTest::newRow("add tool, tools register, row of 2") << dodaj() << nrz << "nrz_id" << 19 << none << 0 << true << true;
        QTest::newRow("add tool, tools register, no row") << dodaj() << nrz << "nrz_id" << 0 << none << 0 << true << true;
        QTest::newRow("add tool, tab of warehouse 3") << dodaj() << nrz << "nrz_id" << 0 << "nrz_fk_mgz" << 3 << true << true;
        QTest::newRow("add tool, tab of warehouse 2") << dodaj() << nrz << "nrz_id" << 33 << "nrz_fk_mgz" << 2 << true << false;
        const ModelPtr nrzObcy = open<ObcyModel>(QStringLiteral("v_narzedzia"));
        QTest::newRow("add tool, other register, row of 3") << dodaj() << nrzObcy << "nrz_id" << 33 << none << 0
                                                            << true << true;
        QTest::newRow("add tool, other register, row of 2") << dodaj() << nrzObcy << "nrz_id" << 19 << none << 0
                                                            << true << false;
    }

    void evaluate(bool asAdmin)
    {
        QFETCH(CommandPtr, command);
        QFETCH(ModelPtr, model);
        QFETCH(QString, key);
        QFETCH(int, id);
        QFETCH(QString, refColumn);
        QFETCH(int, refValue);
        QFETCH(bool, admin);
        QFETCH(bool, manager);

        signInAs(asAdmin ? 1 : m_manager3);
        QModelIndex current;
        if (id) {
            current = row(model, key.toLatin1().constData(), id);
            QVERIFY2(current.isValid(), "demo row missing");
        }
        QPair<QString, int> ref(refColumn, refValue);
        const bool expected = asAdmin ? admin : manager;
        QCOMPARE(evaluatePolicy(command.get(), model.get(), current, refColumn.isEmpty() ? nullptr : &ref, !expected),
                 expected);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Session::start());
        // A manager of warehouse 3 only.
        QVERIFY(TestDb::exec(QStringLiteral(
                "INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                "VALUES ('komorniki', ?, 'Piotr', 'Nowak')"),
                {OVApplication::passwordDigest(QStringLiteral("komorniki"))}));
        m_manager3 = Session::userId(QStringLiteral("komorniki"));
        QVERIFY(m_manager3 > 0);
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) "
                                            "VALUES (?, 3)"),
                             {m_manager3}));
    }

    void asAdministrator_data() { addCases(); }
    void asAdministrator() { evaluate(true); }
    void asManagerOfWarehouse3_data() { addCases(); }
    void asManagerOfWarehouse3() { evaluate(false); }

    void commandWithoutPolicyKeepsItsState()
    {
        NoopCommand bare(nullptr);
        const ModelPtr m = registered("MagazynyModel");
        QCOMPARE(evaluatePolicy(&bare, m.get(), QModelIndex(), nullptr, true), true);
        QCOMPARE(evaluatePolicy(&bare, m.get(), QModelIndex(), nullptr, false), false);
    }

    void refusalTexts()
    {
        QCOMPARE(OVPermissionAdmin().message(), QStringLiteral("Operacja wymaga praw administratora."));
        QCOMPARE(OVPermissionUprMgz().message(), QStringLiteral("Operacja wymaga praw do magazynu."));
        QCOMPARE(OvPermisionPrzesunieciaMm().message(), QStringLiteral("Operacja wymaga praw do magazynu."));
        QCOMPARE(OVPermissionNoRestriction().message(), QString());
    }

    // The warehouse key as the register hands it over: an integer, a text,
    // or nothing.
    void rightsConditionOnRawValues()
    {
        OVPermissionUprMgz policy;
        signInAs(m_manager3);
        QVERIFY(policy.checkPermission(3));
        QVERIFY(policy.checkPermission(QStringLiteral("3")));
        QVERIFY(!policy.checkPermission(4));
        QVERIFY(!policy.checkPermission(QVariant()));
        signInAs(1);
        QVERIFY(policy.checkPermission(QVariant()));
        QVERIFY(policy.checkPermission(999));
    }
};

ORV_TEST_MAIN(TstPolicies)
#include "tst_policies.moc"
