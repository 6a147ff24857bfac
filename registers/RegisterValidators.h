#pragma once

#include "TAVValidator.h"

// Letters, digits and underscore only; the database domain allows exactly
// the same (ASCII) set.
class symbol_alnum_6_Validator : public TAVValidator
{
public:
    bool validate(const QVariant &value) override;
};

// Makes the registers' domain validators known to the field checks.
void registerRegisterValidators();
