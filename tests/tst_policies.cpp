// Permission policies over the registers that exist: the warehouse key
// comes from the parent row in a dependent tab, else from the current row.

#include "Factories.h"
#include "MovementPermissions.h"
#include "Session.h"
#include "TAVCommand.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <memory>

class PolicyCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit PolicyCommand(TAVPermissionPolicy *policy) : TAVCommand(policy) {}
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
    static ModelPtr open(const char *name)
    {
        ModelPtr m(SFModels::instance()->create(QLatin1String(name), QString()));
        m->select();
        return m;
    }
    static CommandPtr cmd(TAVPermissionPolicy *policy) { return CommandPtr(new PolicyCommand(policy)); }
    static QVariantList watching(const char *column) { return {QString::fromLatin1(column)}; }

    // For each case: the current row's key (0: none), the parent pair of a
    // dependent tab (empty column: none), and the answers for an
    // administrator and for the manager of warehouses 2 and 3.
    static void cases()
    {
        QTest::addColumn<CommandPtr>("command");
        QTest::addColumn<ModelPtr>("model");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("refColumn");
        QTest::addColumn<int>("refKey");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<bool>("manager");
        const ModelPtr locations = open("LokalizacjeModel");
        const ModelPtr warehouses = open("MagazynyModel");
        const int of3 = TestDb::scalar(QStringLiteral("SELECT min(lkl_id) FROM lokalizacje WHERE lkl_fk_mgz = 3")).toInt();
        const int of4 = TestDb::scalar(QStringLiteral("SELECT min(lkl_id) FROM lokalizacje WHERE lkl_fk_mgz = 4")).toInt();
        auto uprMgz = [] { return cmd(new OVPermissionUprMgz(watching("lkl_fk_mgz"))); };
        QTest::newRow("location of a managed warehouse") << uprMgz() << locations << of3 << "" << 0 << true << true;
        QTest::newRow("location of another warehouse") << uprMgz() << locations << of4 << "" << 0 << true << false;
        QTest::newRow("no location") << uprMgz() << locations << 0 << "" << 0 << true << false;
        QTest::newRow("tab of a managed warehouse") << uprMgz() << locations << 0 << "lkl_fk_mgz" << 3 << true << true;
        QTest::newRow("tab of another, row of a managed") << uprMgz() << locations << of3 << "lkl_fk_mgz" << 4 << true << false;
        QTest::newRow("link the policy does not watch") << uprMgz() << locations << of3 << "mgz_id" << 4 << true << true;
        QTest::newRow("warehouse itself") << cmd(new OVPermissionUprMgz(watching("mgz_id"))) << warehouses << 3 << "" << 0 << true << true;
        QTest::newRow("administrators only") << cmd(new OVPermissionAdmin) << warehouses << 3 << "" << 0 << true << false;
        QTest::newRow("everyone") << cmd(new OVPermissionNoRestriction) << warehouses << 0 << "" << 0 << true << true;
        // Movement and tool policies on other registers check the rights alone.
        QTest::newRow("transfer policy, managed") << cmd(new OvPermisionPrzesunieciaMm(watching("mgz_id"))) << warehouses << 3
                                                  << "" << 0 << true << true;
        QTest::newRow("transfer policy, other") << cmd(new OvPermisionPrzesunieciaMm(watching("mgz_id"))) << warehouses << 1
                                                << "" << 0 << true << false;
        QTest::newRow("repair policy, other") << cmd(new OVPermissionNaprawyPrzeglady(watching("mgz_id"), 0, true)) << warehouses
                                              << 4 << "" << 0 << true << false;
        QTest::newRow("add tool, other register") << cmd(new OVPermissionNarzedziaDodaj(watching("nrz_fk_mgz"))) << warehouses
                                                  << 3 << "" << 0 << true << false;
        // In a tab the row check holds too: it is the tools register's own.
        QTest::newRow("add tool, tab of another register") << cmd(new OVPermissionNarzedziaDodaj(watching("nrz_fk_mgz")))
                                                           << warehouses << 0 << "nrz_fk_mgz" << 3 << false << false;
    }

    void evaluate(const QString &login)
    {
        QFETCH(CommandPtr, command);
        QFETCH(ModelPtr, model);
        QFETCH(int, key);
        QFETCH(QString, refColumn);
        QFETCH(int, refKey);
        QFETCH(bool, admin);
        QFETCH(bool, manager);
        OVApplication::instance()->setUztId(Session::userId(login));
        const QModelIndex current = key ? model->index(model->rowOfKey(key), 0) : QModelIndex();
        QVERIFY(!key || current.isValid());
        QPair<QString, int> ref(refColumn, refKey);
        const bool expected = login == QLatin1String("admin") ? admin : manager;
        QCOMPARE(evaluatePolicy(command.get(), model.get(), current, refColumn.isEmpty() ? nullptr : &ref, !expected),
                 expected);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(Session::start()); }

    void asAdministrator_data() { cases(); }
    void asAdministrator() { evaluate(QStringLiteral("admin")); }
    void asManager_data() { cases(); }
    void asManager() { evaluate(QStringLiteral("kierownik")); }

    void commandWithoutPolicyKeepsItsState()
    {
        PolicyCommand bare(nullptr);
        QCOMPARE(evaluatePolicy(&bare, nullptr, QModelIndex(), nullptr, true), true);
        QCOMPARE(evaluatePolicy(&bare, nullptr, QModelIndex(), nullptr, false), false);
    }
};

ORV_TEST_MAIN(TstPolicies)
#include "tst_policies.moc"
