#pragma once

// Registers a prototype of every master-data register model with SFModels.
void registerMasterDataModels();
