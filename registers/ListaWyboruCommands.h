#pragma once

// The master-data registers' pick lists under the names callers know them
// by; what each offers is declared with its register (Registers.cpp).

#include "BasicCommands.h"
#include "KategorieNarzedziModel.h"
#include "LokalizacjeModel.h"
#include "MagazynyModel.h"
#include "MiejscaUzytkowaniaModel.h"
#include "NarzedziaModel.h"
#include "PracownicyModel.h"
#include "UzytkownicyModel.h"
#include "ZestawyModel.h"

// Parameters: "checkPermissionMgz" (a manager sees only his warehouses),
// "onlyActive" (where tools are to go).
using MagazynyListaWyboruCommand = TAVPickList<MagazynyModel>;
// Limited to the warehouse of the pair (column, key) it is run with.
using LokalizacjeListaWyboruCommand = TAVPickList<LokalizacjeModel>;
using MiejscaUzytkowaniaListaWyboruCommand = TAVPickList<MiejscaUzytkowaniaModel>;
using PracownicyListaWyboruCommand = TAVPickList<PracownicyModel>;
using KategorieNarzedziListaWyboruCommand = TAVPickList<KategorieNarzedziModel>;
using UzytkownicyListaWyboruCommand = TAVPickList<UzytkownicyModel>;
// The caller states which tools it can take as the parameter "filter", a
// condition on the tools' view; a manager sees only the tools of his
// warehouses within it.
using NarzedziaListaWyboruCommand = TAVPickList<NarzedziaModel>;
// Kits, with the caller's "filter" as for the tools.
using ZestawyListaWyboruCommand = TAVPickList<ZestawyModel>;
