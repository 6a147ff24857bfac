#include "CommandRegistration.h"

#include "BasicCommands.h"
#include "Factories.h"
#include "OVPermissions.h"
#include "TabelaLokalizacjeDialog.h"
#include "TabelaMagazynDialog.h"
#include "TabelaKategorieNarzedziDialog.h"
#include "TabelaMiejscaUzytkowaniaDialog.h"
#include "TabelaPracownicyDialog.h"
#include "TabelaUzytkownicyDialog.h"
#include "AdminCommands.h"
#include "OvUprawnieniaMgzCommands.h"

namespace {
void add(const char *name, TAVCommand *command)
{
    command->setName(QString::fromLatin1(name));
    SFCommands::instance()->registerCommand(command);
}

QVariantList fields(const char *column)
{
    return {QString::fromLatin1(column)};
}
} // namespace

void registerMasterDataCommands()
{
    add("PracownicyCmdDodaj", new BasicAddEditCommand<TabelaPracownicyDialog>(true, new OVPermissionNoRestriction));
    add("PracownicyCmdEdytuj", new BasicAddEditCommand<TabelaPracownicyDialog>(false, new OVPermissionNoRestriction));
    add("PracownicyCmdKasuj", new BasicDeleteCommand(new OVPermissionNoRestriction));
    add("MagazynyCmdDodaj", new BasicAddEditCommand<TabelaMagazynDialog>(true, new OVPermissionAdmin));
    add("MagazynyCmdEdytuj", new BasicAddEditCommand<TabelaMagazynDialog>(false, new OVPermissionAdmin));
    add("MagazynyCmdKasuj", new BasicDeleteCommand(new OVPermissionAdmin));
    add("LokalizacjeCmdDodaj",
        new BasicAddEditCommand<TabelaLokalizacjeDialog>(true, new OVPermissionUprMgz(fields("lkl_fk_mgz"))));
    add("LokalizacjeCmdEdytuj",
        new BasicAddEditCommand<TabelaLokalizacjeDialog>(false, new OVPermissionUprMgz(fields("lkl_fk_mgz"))));
    add("LokalizacjeCmdKasuj", new BasicDeleteCommand(new OVPermissionUprMgz(fields("lkl_fk_mgz"))));
    add("MiejscaUzytkowaniaCmdDodaj",
        new BasicAddEditCommand<TabelaMiejscaUzytkowaniaDialog>(true, new OVPermissionNoRestriction));
    add("MiejscaUzytkowaniaCmdEdytuj",
        new BasicAddEditCommand<TabelaMiejscaUzytkowaniaDialog>(false, new OVPermissionNoRestriction));
    add("MiejscaUzytkowaniaCmdKasuj", new BasicDeleteCommand(new OVPermissionNoRestriction));
    add("KategorieNarzedziCmdDodaj",
        new BasicAddEditCommand<TabelaKategorieNarzedziDialog>(true, new OVPermissionNoRestriction));
    add("KategorieNarzedziCmdEdytuj",
        new BasicAddEditCommand<TabelaKategorieNarzedziDialog>(false, new OVPermissionNoRestriction));
    add("KategorieNarzedziCmdKasuj", new BasicDeleteCommand(new OVPermissionNoRestriction));
    add("UzytkownicyCmdDodaj", new BasicAddEditCommand<TabelaUzytkownicyDialog>(true, new OVPermissionAdmin));
    add("UzytkownicyCmdEdytuj", new BasicAddEditCommand<TabelaUzytkownicyDialog>(false, new OVPermissionAdmin));
    add("UzytkownicyCmdKasuj", new BasicDeleteCommand(new OVPermissionAdmin));
    // Registered under their class names.
    SFCommands::instance()->registerCommand(new AddAdminCommand(new OVPermissionAdmin));
    add("RemAdminCommand", new RemAdminCommand(new OVPermissionAdmin));
    SFCommands::instance()->registerCommand(new OvUprawnieniaMgzDodajCommand(new OVPermissionAdmin));
    add("OvUprawnieniaMgzKasujCommand", new BasicDeleteCommand(new OVPermissionAdmin));
}
