#pragma once

// The movement registers' commands and models, for the factories.
void registerMovementCommands();
void registerMovementModels();
