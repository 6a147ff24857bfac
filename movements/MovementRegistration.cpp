#include "MovementRegistration.h"

#include "Factories.h"
#include "MovementPermissions.h"
#include "MovementValidators.h"
#include "NaprawyPrzegladyCommands.h"
#include "NaprawyPrzegladyModel.h"
#include "PrzesunieciaMMCommand.h"
#include "PrzesunieciaMMModel.h"
#include "PrzypisaneNarzedziaPracownikomCommand.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"

namespace {
QVariantList columns(std::initializer_list<const char *> names)
{
    QVariantList list;
    for (const char *n : names)
        list << QString::fromLatin1(n);
    return list;
}
} // namespace

void registerMovementCommands()
{
    registerMovementValidators();
    SFCommands *f = SFCommands::instance();
    f->registerCommand(new PrzesunieciaMMWydajCommand(new OvPermisionPrzesunieciaMm(columns({"psnmm_fk_mgz_src", "mgz_id"}))));
    f->registerCommand(new PrzesunieciaMMAnulujCommand(new OvPermisionPrzesunieciaMm(columns({"psnmm_fk_mgz_src", "mgz_id"}))));
    f->registerCommand(new PrzesunieciaMMPrzyjmijCommand(new OvPermisionPrzesunieciaMm(columns({"psnmm_fk_mgz_dst", "mgz_id"}))));
    f->registerCommand(new PrzypisaneNarzedziaPracownikomWydajCommand(nullptr));
    f->registerCommand(new PrzypisaneNarzedziaPracownikomPrzyjmijCommand(
            new OVPermissionPrzypisaneNarzedziaPracownikom(columns({"pnp_fk_mgz"}))));
    // Registered under their class names.
    const auto trips = [](qint32 type, bool issue) {
        return new OVPermissionNaprawyPrzeglady(columns({"nrz_fk_mgz"}), type, issue);
    };
    f->registerCommand(new NaprawyWydajCommand(trips(0, true)));
    f->registerCommand(new NaprawyPrzyjmijCommand(trips(0, false)));
    f->registerCommand(new PrzegladyWydajCommand(trips(1, true)));
    f->registerCommand(new PrzegladyPrzyjmijCommand(trips(1, false)));
}

void registerMovementModels()
{
    SFModels::instance()->registerModel(new PrzesunieciaMMModel);
    SFModels::instance()->registerModel(new PrzypisaneNarzedziaPracownikomModel);
    SFModels::instance()->registerModel(new NaprawyPrzegladyModel);
}
