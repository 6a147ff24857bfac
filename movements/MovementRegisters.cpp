#include "MovementRegisters.h"

#include "Factories.h"
#include "HistoriaZmianCommands.h"
#include "HistoriaZmianModel.h"
#include "KategorieNarzedziModel.h"
#include "OVPermissions.h"
#include "UzytkownicyModel.h"
#include "ZestawyModel.h"
#include "MagazynyModel.h"
#include "MiejscaUzytkowaniaModel.h"
#include "MovementPermissions.h"
#include "MovementValidators.h"
#include "NaprawyPrzegladyCommands.h"
#include "NaprawyPrzegladyModel.h"
#include "NarzedziaModel.h"
#include "PracownicyModel.h"
#include "PrzesunieciaMMCommand.h"
#include "PrzesunieciaMMModel.h"
#include "PrzypisaneNarzedziaPracownikomCommand.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"
#include "TAVContext.h"
#include "TAVLiveUpdates.h"
#include "TAVRegister.h"
#include "TAVTableModel.h"
#include "ZestawyRuchyCommands.h"
#include "Inwentaryzacja.h"

#include <QDebug>

namespace {
QVariantList columns(std::initializer_list<const char *> names)
{
    QVariantList list;
    for (const char *n : names)
        list << QString::fromLatin1(n);
    return list;
}


void declarePrzesunieciaMM()
{
    TAVRegisterDeclaration r;
    r.commands = [] {
        SFCommands *f = SFCommands::instance();
        const auto side = [](const char *column) { return new OvPermisionPrzesunieciaMm(columns({column, "mgz_id"})); };
        f->registerCommand(new PrzesunieciaMMWydajCommand(side("psnmm_fk_mgz_src")));
        f->registerCommand(new PrzesunieciaMMAnulujCommand(side("psnmm_fk_mgz_src")));
        f->registerCommand(new PrzesunieciaMMPrzyjmijCommand(side("psnmm_fk_mgz_dst")));
    };
    r.module = TAVModuleDeclaration{QStringLiteral("Przesunięcia MM"), QStringLiteral("przesunieciamm"), 70, false,
                                 QStringLiteral("Przesunięcia MM"), TAVContext::Main};
    r.tabs = {{&MagazynyModel::staticMetaObject, QStringLiteral("Przesunięcia - Wydane"), TAVContext::Issued,
               QStringLiteral("psnmm_fk_mgz_src"), 20},
              {&MagazynyModel::staticMetaObject, QStringLiteral("Przesunięcia - Przyjęte"), TAVContext::Received,
               QStringLiteral("psnmm_fk_mgz_dst"), 30},
              {&NarzedziaModel::staticMetaObject, QStringLiteral("Przesunięcia MM"), QString(),
               QStringLiteral("psnmm_fk_nrz"), 30}};
    r.pickList = TAVPickListDeclaration{QStringLiteral("PrzesunieciaMMListaWyboruCommand"), QString(), {}, true, {}};
    r.pickList->rows = [](const TAVPickCall &call) {
        TAVPickRows rows;
        if (TAVTableModel::is<MagazynyModel>(call.caller) && call.refField)
            rows.filter = QStringLiteral("psnmm_status = false and %1 = %2").arg(call.refField->first).arg(call.refField->second);
        // A search in the list keeps to the warehouse's open transfers.
        rows.fixed = true;
        return rows;
    };
    r.helpSection = QStringLiteral("mm");
    TAVRegisters::declare<PrzesunieciaMMModel>(std::move(r));
}

void declarePrzypisaneNarzedziaPracownikom()
{
    TAVRegisterDeclaration r;
    r.commands = [] {
        SFCommands *f = SFCommands::instance();
        f->registerCommand(new PrzypisaneNarzedziaPracownikomWydajCommand(nullptr));
        f->registerCommand(new PrzypisaneNarzedziaPracownikomPrzyjmijCommand(
                new OVPermissionPrzypisaneNarzedziaPracownikom(columns({"pnp_fk_mgz"}))));
        f->registerCommand(new PrzypisaneNarzedziaPracownikomPrzedluzCommand(
                new OVPermissionPrzypisaneNarzedziaPracownikom(columns({"pnp_fk_mgz"}))));
    };
    r.module = TAVModuleDeclaration{QStringLiteral("Przypisane narzędzia \npracownikom"), QStringLiteral("roletools"), 80, false,
                                 QStringLiteral("Przypisane narzędzia"), QString()};
    r.tabs = {{&MiejscaUzytkowaniaModel::staticMetaObject, QStringLiteral("Przypisane narzędzia"), QString(),
               QStringLiteral("pnp_fk_muz"), 10},
              {&PracownicyModel::staticMetaObject, QStringLiteral("Przypisane narzędzia"), TAVContext::Received,
               QStringLiteral("pnp_fk_prc"), 10},
              {&NarzedziaModel::staticMetaObject, QStringLiteral("Przypisane narzędzia pracownikom"), QString(),
               QStringLiteral("pnp_fk_nrz"), 10}};
    r.helpSection = QStringLiteral("wydania");
    TAVRegisters::declare<PrzypisaneNarzedziaPracownikomModel>(std::move(r));
}

void declareNaprawyPrzeglady()
{
    TAVRegisterDeclaration r;
    r.commands = [] {
        // Registered under their class names.
        const auto trips = [](qint32 type, bool issue) {
            return new OVPermissionNaprawyPrzeglady(columns({"nrz_fk_mgz"}), type, issue);
        };
        SFCommands *f = SFCommands::instance();
        f->registerCommand(new NaprawyWydajCommand(trips(0, true)));
        f->registerCommand(new NaprawyPrzyjmijCommand(trips(0, false)));
        f->registerCommand(new PrzegladyWydajCommand(trips(1, true)));
        f->registerCommand(new PrzegladyPrzyjmijCommand(trips(1, false)));
    };
    r.module = TAVModuleDeclaration{QStringLiteral("Naprawy i przeglądy"), QStringLiteral("file_mgr"), 60, false,
                                 QStringLiteral("Naprawy i przeglądy"), TAVContext::Main};
    r.tabs = {{&NarzedziaModel::staticMetaObject, QStringLiteral("Naprawy i przeglądy"), TAVContext::RepairsOfTool,
               QStringLiteral("np_fk_nrz"), 20}};
    r.pickList = TAVPickListDeclaration{QStringLiteral("NaprawyPrzegladyListaWyboruCommand"), QString(), {}, false, {}};
    r.pickList->rows = [](const TAVPickCall &call) {
        TAVPickRows rows;
        if (TAVTableModel::is<NarzedziaModel>(call.caller) && call.refField && call.refField->second > 0) {
            qDebug().noquote() << call.signature;
            qDebug() << "   refField:" << *call.refField;
            rows.filter = QStringLiteral("np_status = false and np_fk_nrz = %1").arg(call.refField->second);
            rows.fixed = true;
        }
        return rows;
    };
    r.helpSection = QStringLiteral("naprawy");
    TAVRegisters::declare<NaprawyPrzegladyModel>(std::move(r));
}
// Kits move as one act through the three movements; their commands stand
// in the kits' register.
void registerKitMovements()
{
    SFCommands *f = SFCommands::instance();
    const auto managers = [] { return new OVPermissionUprMgz({QStringLiteral("zst_fk_mgz")}); };
    f->registerCommand(new ZestawyRuchCommand(QStringLiteral("ZestawyCmdWydajPracownikowi"), KitMovement::Kind::Employee,
                                              managers()));
    f->registerCommand(new ZestawyRuchCommand(QStringLiteral("ZestawyCmdWydajNaMagazyn"), KitMovement::Kind::Transfer,
                                              managers()));
    f->registerCommand(new ZestawyRuchCommand(QStringLiteral("ZestawyCmdWyslijDoNaprawy"), KitMovement::Kind::Repair,
                                              managers()));
    f->registerCommand(new ZestawyRuchCommand(QStringLiteral("ZestawyCmdWyslijDoPrzegladu"), KitMovement::Kind::Inspection,
                                              managers()));
    f->registerCommand(new ZestawyZwrotCommand(managers()));
}

// Declared last: its "Historia" tab stands under every other register.
void declareHistoriaZmian()
{
    TAVRegisterDeclaration r;
    r.commands = [] { SFCommands::instance()->registerCommand(new HistoriaZmianArchiwizujCommand(new OVPermissionAdmin)); };
    r.module = TAVModuleDeclaration{QStringLiteral("Historia zmian"), QStringLiteral("historia"), 110, true,
                                 QStringLiteral("Historia zmian"), QString(), {}};
    const auto tab = [](const QMetaObject *under, const char *table) {
        return TAVTabDeclaration{under, QStringLiteral("Historia"), HistoriaZmianModel::tabContext(QLatin1String(table)),
                                 QStringLiteral("hz_klucz"), 90};
    };
    r.tabs = {tab(&MagazynyModel::staticMetaObject, "magazyny"),
              tab(&MiejscaUzytkowaniaModel::staticMetaObject, "miejsca_uzytkowania"),
              tab(&PracownicyModel::staticMetaObject, "pracownicy"),
              tab(&KategorieNarzedziModel::staticMetaObject, "kategorie_narzedzi"),
              tab(&UzytkownicyModel::staticMetaObject, "uzytkownicy"),
              tab(&PrzesunieciaMMModel::staticMetaObject, "przesuniecia_mm"),
              tab(&PrzypisaneNarzedziaPracownikomModel::staticMetaObject, "przypisane_narzedzia_pracownikom"),
              tab(&NaprawyPrzegladyModel::staticMetaObject, "naprawy_przeglady"),
              tab(&ZestawyModel::staticMetaObject, "zestawy"),
              tab(&InwentaryzacjeModel::staticMetaObject, "inwentaryzacje"),
              // A tool's own changes and its movements, as one life.
              {&NarzedziaModel::staticMetaObject, QStringLiteral("Historia narzędzia"),
               QStringLiteral("HISTORIA_NARZEDZIA"), QStringLiteral("hz_fk_nrz"), 90}};
    r.helpSection = QStringLiteral("historia");
    TAVRegisters::declare<HistoriaZmianModel>(std::move(r));
    // Each write brings its entry along: one change, not two.
    TAVLiveUpdates::instance()->setEchoTable(QStringLiteral("historia_zmian"));
}
} // namespace

void declareMovementRegisters()
{
    registerMovementValidators();
    declarePrzesunieciaMM();
    declarePrzypisaneNarzedziaPracownikom();
    declareNaprawyPrzeglady();
    registerKitMovements();
    declareInwentaryzacje();
    declareHistoriaZmian();
}
