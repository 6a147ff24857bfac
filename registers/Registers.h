#pragma once

// Declares the master-data registers (warehouses, places of use, employees,
// tool categories, tools, users and rights) with their field checks.
void declareMasterDataRegisters();
