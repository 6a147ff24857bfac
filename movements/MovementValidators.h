#pragma once

#include "TAVValidator.h"

// The kind of a trip: 0 repair, 1 inspection (and, for the nn domain, given).
class np_typ_Validator : public TAVValidator
{
public:
    bool validate(const QVariant &value) override;
};

class np_typ_nn_Validator : public np_typ_Validator
{
public:
    bool validate(const QVariant &value) override;
};

// Makes the movements' domain validators known to the field checks.
void registerMovementValidators();
