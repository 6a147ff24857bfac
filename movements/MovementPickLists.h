#pragma once

// The movement registers' pick lists under the names callers know them by;
// what each offers is declared with its register (MovementRegisters.cpp).

#include "BasicCommands.h"
#include "NaprawyPrzegladyModel.h"
#include "PrzesunieciaMMModel.h"

// Open transfers of a warehouse: the pair names the warehouse column
// (source or destination) and the warehouse; the chosen transfer's key comes
// back in it.
using PrzesunieciaMMListaWyboruCommand = TAVPickList<PrzesunieciaMMModel>;
// Open repairs and inspections of a tool: the pair's key names the tool; the
// chosen trip's key comes back in it.
using NaprawyPrzegladyListaWyboruCommand = TAVPickList<NaprawyPrzegladyModel>;
