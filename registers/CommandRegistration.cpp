#include "CommandRegistration.h"

#include "BasicCommands.h"
#include "Factories.h"
#include "OVPermissions.h"
#include "TabelaLokalizacjeDialog.h"
#include "TabelaMagazynDialog.h"

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
    add("MagazynyCmdDodaj", new BasicAddEditCommand<TabelaMagazynDialog>(true, new OVPermissionAdmin));
    add("MagazynyCmdEdytuj", new BasicAddEditCommand<TabelaMagazynDialog>(false, new OVPermissionAdmin));
    add("MagazynyCmdKasuj", new BasicDeleteCommand(new OVPermissionAdmin));
    add("LokalizacjeCmdDodaj",
        new BasicAddEditCommand<TabelaLokalizacjeDialog>(true, new OVPermissionUprMgz(fields("lkl_fk_mgz"))));
    add("LokalizacjeCmdEdytuj",
        new BasicAddEditCommand<TabelaLokalizacjeDialog>(false, new OVPermissionUprMgz(fields("lkl_fk_mgz"))));
    add("LokalizacjeCmdKasuj", new BasicDeleteCommand(new OVPermissionUprMgz(fields("lkl_fk_mgz"))));
    add("OvUprawnieniaMgzKasujCommand", new BasicDeleteCommand(new OVPermissionAdmin));
}
