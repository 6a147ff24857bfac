#include "Registers.h"

#include "AdminCommands.h"
#include "AdminPermissionFrame.h"
#include "BasicCommands.h"
#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "NarzedziaCommands.h"
#include "OVPermissions.h"
#include "OvUprawnieniaAdminModel.h"
#include "OvUprawnieniaMgzCommands.h"
#include "OvUprawnieniaMgzModel.h"
#include "RegisterValidators.h"
#include "TAVContext.h"
#include "TAVDb.h"
#include "TAVRegister.h"
#include "TAVSession.h"
#include "TabelaKategorieNarzedziDialog.h"
#include "TabelaLokalizacjeDialog.h"
#include "TabelaMagazynDialog.h"
#include "TabelaMiejscaUzytkowaniaDialog.h"
#include "TabelaPracownicyDialog.h"
#include "TabelaUzytkownicyDialog.h"
#include "TabelaZestawyDialog.h"
#include "ZestawyCommands.h"
#include "ZestawyModel.h"

#include <QDebug>

namespace {
TAVPermissionPolicy *everyone()
{
    return new OVPermissionNoRestriction;
}

TAVPermissionPolicy *admins()
{
    return new OVPermissionAdmin;
}

// Managers of the warehouse the row's column names.
std::function<TAVPermissionPolicy *()> managersOf(const char *column)
{
    return [column] { return new OVPermissionUprMgz({QString::fromLatin1(column)}); };
}

void add(const char *name, TAVCommand *command)
{
    command->setName(QString::fromLatin1(name));
    SFCommands::instance()->registerCommand(command);
}

// The rows of the warehouses the signed-in manager runs: none for a
// manager of no warehouse, rather than an invalid "IN ( )".
QString managedOnly(TAVSession *session, const QString &column)
{
    const QString ids = session->uprMgzAsString(session->uztId());
    return QStringLiteral("%1 IN ( %2 )").arg(column, ids.isEmpty() ? QStringLiteral("NULL") : ids);
}

TAVPickListDeclaration pickList(const char *name, const QString &context, QStringList captionFields)
{
    TAVPickListDeclaration list;
    list.name = QString::fromLatin1(name);
    list.context = context;
    list.captionFields = std::move(captionFields);
    return list;
}


void declareMagazyny()
{
    TAVRegisterDeclaration r;
    r.commands = [] { registerAddEditDelete<TabelaMagazynDialog>(QStringLiteral("Magazyny"), admins); };
    r.module = TAVModuleDeclaration{QStringLiteral("Magazyny"), QStringLiteral("mgz2"), 10, false,
                                 QStringLiteral("Magazyny")};
    r.pickList = pickList("MagazynyListaWyboruCommand", TAVContext::PickList, {QStringLiteral("mgz_symbol")});
    r.pickList->rows = [](const TAVPickCall &call) {
        TAVPickRows rows;
        TAVSession *session = TAVSession::current();
        if (call.command.parameter(QStringLiteral("checkPermissionMgz")).toBool() && !session->isAdmin()) {
            rows.filter = managedOnly(session, QStringLiteral("mgz_id"));
            rows.fixed = true;
        }
        // Where tools are to go, a closed warehouse is no choice.
        if (call.command.parameter(QStringLiteral("onlyActive")).toBool()) {
            rows.filter = rows.filter.isEmpty() ? QStringLiteral("mgz_aktywny = true")
                                                : QStringLiteral("(%1) AND mgz_aktywny = true").arg(rows.filter);
            rows.fixed = true;
        }
        return rows;
    };
    r.helpSection = QStringLiteral("magazyny");
    r.rowNoun = QStringLiteral("magazyn");
    r.nameColumns = {QStringLiteral("mgz_symbol"), QStringLiteral("mgz_nazwa")};
    TAVRegisters::declare<MagazynyModel>(std::move(r));
}

void declareLokalizacje()
{
    TAVRegisterDeclaration r;
    r.commands = [] { registerAddEditDelete<TabelaLokalizacjeDialog>(QStringLiteral("Lokalizacje"), managersOf("lkl_fk_mgz")); };
    r.tabs = {{&MagazynyModel::staticMetaObject, QStringLiteral("Lokalizacje"), QString(), QStringLiteral("lkl_fk_mgz"), 40}};
    r.pickList = pickList("LokalizacjeListaWyboruCommand", TAVContext::PickList, {QStringLiteral("lkl_nazwa")});
    r.pickList->rows = [](const TAVPickCall &call) {
        TAVPickRows rows;
        if (call.refField && !call.refField->first.isEmpty())
            rows.filter = QStringLiteral("%1 = %2").arg(call.refField->first).arg(call.refField->second);
        return rows;
    };
    r.helpSection = QStringLiteral("magazyny");
    r.rowNoun = QStringLiteral("lokalizację");
    r.nameColumns = {QStringLiteral("lkl_nazwa")};
    TAVRegisters::declare<LokalizacjeModel>(std::move(r));
}

void declareMiejscaUzytkowania()
{
    TAVRegisterDeclaration r;
    r.commands = [] { registerAddEditDelete<TabelaMiejscaUzytkowaniaDialog>(QStringLiteral("MiejscaUzytkowania"), everyone); };
    r.module = TAVModuleDeclaration{QStringLiteral("Miejsca Użytkowania"), QStringLiteral("construction"), 20, false,
                                 QStringLiteral("Miejsca Użytkowania")};
    r.pickList = pickList("MiejscaUzytkowaniaListaWyboruCommand", TAVContext::PickList, {QStringLiteral("muz_nazwa")});
    r.helpSection = QStringLiteral("miejsca");
    r.rowNoun = QStringLiteral("miejsce użytkowania");
    r.nameColumns = {QStringLiteral("muz_kod"), QStringLiteral("muz_nazwa")};
    TAVRegisters::declare<MiejscaUzytkowaniaModel>(std::move(r));
}

void declarePracownicy()
{
    TAVRegisterDeclaration r;
    r.commands = [] { registerAddEditDelete<TabelaPracownicyDialog>(QStringLiteral("Pracownicy"), everyone); };
    r.module = TAVModuleDeclaration{QStringLiteral("Pracownicy"), QStringLiteral("role"), 30, false,
                                 QStringLiteral("Pracownicy")};
    r.pickList = pickList("PracownicyListaWyboruCommand", QString(), {QStringLiteral("prc_imie"), QStringLiteral("prc_nazwisko")});
    r.pickList->useWindowTitle = false;
    r.helpSection = QStringLiteral("pracownicy");
    r.rowNoun = QStringLiteral("pracownika");
    r.nameColumns = {QStringLiteral("prc_imie"), QStringLiteral("prc_nazwisko")};
    TAVRegisters::declare<PracownicyModel>(std::move(r));
}

void declareKategorieNarzedzi()
{
    TAVRegisterDeclaration r;
    r.commands = [] { registerAddEditDelete<TabelaKategorieNarzedziDialog>(QStringLiteral("KategorieNarzedzi"), everyone); };
    r.module = TAVModuleDeclaration{QStringLiteral("Kategorie Narzędzi"), QStringLiteral("listtools"), 40, false,
                                 QStringLiteral("Kategorie Narzędzi")};
    r.pickList = pickList("KategorieNarzedziListaWyboruCommand", QString(), {QStringLiteral("ktr_nrz_nazwa")});
    r.helpSection = QStringLiteral("kategorie");
    r.rowNoun = QStringLiteral("kategorię");
    r.nameColumns = {QStringLiteral("ktr_nrz_nazwa")};
    TAVRegisters::declare<KategorieNarzedziModel>(std::move(r));
}

// The rows the caller asks for (parameter "filter"), narrowed for a
// manager to his warehouses: the warehouses never replace the caller's choice.
std::function<TAVPickRows(const TAVPickCall &)> callerFilterWithinManaged(const char *warehouseColumn)
{
    return [warehouseColumn](const TAVPickCall &call) {
        QStringList conditions;
        const QString wanted = call.command.parameter(QStringLiteral("filter")).toString();
        if (!wanted.isEmpty()) {
            qDebug().noquote() << call.signature;
            qDebug() << "   filter:" << wanted;
            conditions << wanted;
        }
        TAVSession *session = TAVSession::current();
        if (session && !session->isAdmin())
            conditions << managedOnly(session, QString::fromLatin1(warehouseColumn));
        if (conditions.size() > 1) {
            for (QString &c : conditions)
                c = QLatin1Char('(') + c + QLatin1Char(')');
        }
        TAVPickRows rows;
        rows.filter = conditions.join(QStringLiteral(" AND "));
        rows.fixed = !rows.filter.isEmpty();
        return rows;
    };
}

void declareNarzedzia()
{
    TAVRegisterDeclaration r;
    r.commands = [] {
        const auto tools = managersOf("nrz_fk_mgz");
        SFCommands::instance()->registerCommand(new NarzedziaDodajEdytujCommand(
                QStringLiteral("NarzedziaCmdDodaj"), NarzedziaDodajEdytujCommand::Add,
                new OVPermissionNarzedziaDodaj({QStringLiteral("nrz_fk_mgz")})));
        SFCommands::instance()->registerCommand(new NarzedziaDodajEdytujCommand(
                QStringLiteral("NarzedziaCmdEdytuj"), NarzedziaDodajEdytujCommand::Edit, tools()));
        add("NarzedziaCmdKasuj", new BasicDeleteCommand(tools()));
        add("NarzedziaCmdEtykieta", new NarzedziaEtykietaCommand(everyone()));
    };
    r.module = TAVModuleDeclaration{QStringLiteral("Narzędzia"), QStringLiteral("adv"), 50, false,
                                 QStringLiteral("Narzędzia")};
    r.tabs = {{&MagazynyModel::staticMetaObject, QStringLiteral("Narzędzia"), QString(), QStringLiteral("nrz_fk_mgz"), 10}};
    r.pickList = pickList("NarzedziaListaWyboruCommand", TAVContext::PickList, {QStringLiteral("nrz_kod")});
    r.pickList->rows = callerFilterWithinManaged("nrz_fk_mgz");
    r.helpSection = QStringLiteral("narzedzia");
    r.rowNoun = QStringLiteral("narzędzie");
    r.nameColumns = {QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa")};
    TAVRegisters::declare<NarzedziaModel>(std::move(r));

    // The sub-tools of an assembled tool, shown in the tool's dialog.
    TAVRegisterDeclaration parts;
    parts.commands = [] {
        SFCommands::instance()->registerCommand(new NarzedziaSkladaneCmdDodaj);
        SFCommands::instance()->registerCommand(new NarzedziaSkladaneCmdUsun);
    };
    parts.helpSection = QStringLiteral("narzedzia");
    TAVRegisters::declare<NarzedziaSkladaneModel>(std::move(parts));
}

void declareZestawy()
{
    TAVRegisterDeclaration r;
    r.commands = [] {
        registerAddEditDelete<TabelaZestawyDialog>(QStringLiteral("Zestawy"), managersOf("zst_fk_mgz"));
        add("ZestawyCmdEtykieta", new NarzedziaEtykietaCommand(everyone()));
    };
    r.module = TAVModuleDeclaration{QStringLiteral("Zestawy"), QStringLiteral("zestawy"), 55, false,
                                 QStringLiteral("Zestawy narzędzi"), QString(), {}};
    r.pickList = pickList("ZestawyListaWyboruCommand", TAVContext::PickList,
                          {QStringLiteral("zst_kod"), QStringLiteral("zst_nazwa")});
    r.pickList->rows = callerFilterWithinManaged("zst_fk_mgz");
    r.helpSection = QStringLiteral("zestawy");
    r.rowNoun = QStringLiteral("zestaw");
    r.nameColumns = {QStringLiteral("zst_kod"), QStringLiteral("zst_nazwa")};
    TAVRegisters::declare<ZestawyModel>(std::move(r));

    // The tools of a kit, added and taken out by the kit warehouse's managers.
    TAVRegisterDeclaration members;
    members.commands = [] {
        SFCommands::instance()->registerCommand(new ZestawyCmdDodajNarzedzie(managersOf("zst_fk_mgz")()));
        SFCommands::instance()->registerCommand(new ZestawyCmdUsunNarzedzie(managersOf("nrz_fk_mgz")()));
    };
    members.tabs = {{&ZestawyModel::staticMetaObject, QStringLiteral("Narzędzia zestawu"), QString(),
                     QStringLiteral("nrz_fk_zst"), 10}};
    members.helpSection = QStringLiteral("zestawy");
    TAVRegisters::declare<ZestawyNarzedziaModel>(std::move(members));
}

void declareUzytkownicy()
{
    TAVRegisterDeclaration r;
    r.commands = [] { registerAddEditDelete<TabelaUzytkownicyDialog>(QStringLiteral("Uzytkownicy"), admins); };
    r.module = TAVModuleDeclaration{QStringLiteral("Użytkownicy"), QStringLiteral("user"), 90, true,
                                 QStringLiteral("Użytkownicy")};
    r.pickList = pickList("UzytkownicyListaWyboruCommand", TAVContext::PickList,
                          {QStringLiteral("uzt_imie"), QStringLiteral("uzt_nazwisko")});
    r.helpSection = QStringLiteral("uzytkownicy");
    r.rowNoun = QStringLiteral("użytkownika");
    r.nameColumns = {QStringLiteral("uzt_login")};
    TAVRegisters::declare<UzytkownicyModel>(std::move(r));

    TAVRegisterDeclaration managers;
    managers.commands = [] {
        SFCommands::instance()->registerCommand(new OvUprawnieniaMgzDodajCommand(admins()));
        add("OvUprawnieniaMgzKasujCommand", new BasicDeleteCommand(admins()));
    };
    managers.tabs = {{&MagazynyModel::staticMetaObject, QStringLiteral("Kierownicy magazynu"), TAVContext::ManagersOf,
                      QStringLiteral("ovuprmgz_fk_mgz"), 50},
                     {&UzytkownicyModel::staticMetaObject, QStringLiteral("Kierownik magazynu"), TAVContext::ManagedBy,
                      QStringLiteral("ovuprmgz_fk_uzt"), 10}};
    managers.helpSection = QStringLiteral("uzytkownicy");
    TAVRegisters::declare<OvUprawnieniaMgzModel>(std::move(managers));

    TAVRegisterDeclaration administrators;
    administrators.commands = [] {
        SFCommands::instance()->registerCommand(new AddAdminCommand(admins()));
        add("RemAdminCommand", new RemAdminCommand(admins()));
    };
    administrators.module = TAVModuleDeclaration{QStringLiteral("Uprawnienia \nadministratora"), QStringLiteral("admin1"), 100, true,
                                 QStringLiteral("Prawa administratora")};
    administrators.module->page = [] { return new AdminPermissionFrame; };
    administrators.helpSection = QStringLiteral("uzytkownicy");
    TAVRegisters::declare<OvUprawnieniaAdminModel>(std::move(administrators));
}
} // namespace

void declareMasterDataRegisters()
{
    registerRegisterValidators();
    // The schema's guard of the stock flag: another workstation moved the tool.
    TAVDb::setStateSentence(QStringLiteral("55000"), QStringLiteral("Narzędzie zostało w międzyczasie przesunięte na "
                                                                    "innym stanowisku. Odśwież widok i powtórz operację."));
    declareMagazyny();
    declareLokalizacje();
    declareMiejscaUzytkowania();
    declarePracownicy();
    declareKategorieNarzedzi();
    declareNarzedzia();
    declareZestawy();
    declareUzytkownicy();
}
