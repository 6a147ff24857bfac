#include "CommandRegistration.h"

#include "BasicCommands.h"
#include "Factories.h"
#include "OVPermissions.h"
#include "RegisterValidators.h"
#include "TAVDb.h"
#include "TabelaLokalizacjeDialog.h"
#include "TabelaMagazynDialog.h"
#include "TabelaKategorieNarzedziDialog.h"
#include "TabelaMiejscaUzytkowaniaDialog.h"
#include "TabelaPracownicyDialog.h"
#include "TabelaUzytkownicyDialog.h"
#include "AdminCommands.h"
#include "OvUprawnieniaMgzCommands.h"
#include "NarzedziaCommands.h"

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
    registerRegisterValidators();
    // The schema's guard of the stock flag: another workstation moved the tool.
    TAVDb::setStateSentence(QStringLiteral("55000"), QStringLiteral("Narzędzie zostało w międzyczasie przesunięte na "
                                                                    "innym stanowisku. Odśwież widok i powtórz operację."));
    const auto everyone = [] { return new OVPermissionNoRestriction; };
    const auto admins = [] { return new OVPermissionAdmin; };
    registerAddEditDelete<TabelaPracownicyDialog>(QStringLiteral("Pracownicy"), everyone);
    registerAddEditDelete<TabelaMagazynDialog>(QStringLiteral("Magazyny"), admins);
    registerAddEditDelete<TabelaLokalizacjeDialog>(QStringLiteral("Lokalizacje"),
                                                   [] { return new OVPermissionUprMgz(fields("lkl_fk_mgz")); });
    registerAddEditDelete<TabelaMiejscaUzytkowaniaDialog>(QStringLiteral("MiejscaUzytkowania"), everyone);
    registerAddEditDelete<TabelaKategorieNarzedziDialog>(QStringLiteral("KategorieNarzedzi"), everyone);
    registerAddEditDelete<TabelaUzytkownicyDialog>(QStringLiteral("Uzytkownicy"), admins);
    const auto tools = [] { return new OVPermissionUprMgz(fields("nrz_fk_mgz")); };
    SFCommands::instance()->registerCommand(new NarzedziaDodajEdytujCommand(
            QStringLiteral("NarzedziaCmdDodaj"), NarzedziaDodajEdytujCommand::Add,
            new OVPermissionNarzedziaDodaj(fields("nrz_fk_mgz"))));
    SFCommands::instance()->registerCommand(new NarzedziaDodajEdytujCommand(
            QStringLiteral("NarzedziaCmdEdytuj"), NarzedziaDodajEdytujCommand::Edit, tools()));
    add("NarzedziaCmdKasuj", new BasicDeleteCommand(tools()));
    SFCommands::instance()->registerCommand(new NarzedziaSkladaneCmdDodaj);
    SFCommands::instance()->registerCommand(new NarzedziaSkladaneCmdUsun);
    add("NarzedziaCmdEtykieta", new NarzedziaEtykietaCommand(new OVPermissionNoRestriction));
    // Registered under their class names.
    SFCommands::instance()->registerCommand(new AddAdminCommand(new OVPermissionAdmin));
    add("RemAdminCommand", new RemAdminCommand(new OVPermissionAdmin));
    SFCommands::instance()->registerCommand(new OvUprawnieniaMgzDodajCommand(new OVPermissionAdmin));
    add("OvUprawnieniaMgzKasujCommand", new BasicDeleteCommand(new OVPermissionAdmin));
}
