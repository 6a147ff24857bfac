#pragma once

// Registers the commands of the registers built so far, in toolbar order.
void registerMasterDataCommands();
