#pragma once

// Declares the movement registers (transfers, issues to employees, repairs
// and inspections) with their field checks.
void declareMovementRegisters();
