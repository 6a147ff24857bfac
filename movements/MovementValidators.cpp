#include "MovementValidators.h"

bool np_typ_Validator::validate(const QVariant &value)
{
    const QString text = plainText(value);
    if (text == QLatin1String("0") || text == QLatin1String("1"))
        return true;
    addMessage(QStringLiteral("Wartość może przyjmować tylko wartości 0 lub 1."));
    return false;
}

bool np_typ_nn_Validator::validate(const QVariant &value)
{
    const bool ok = np_typ_Validator::validate(value);
    if (value.isNull()) {
        addMessage(QStringLiteral("Wartość nie może być pusta."));
        return false;
    }
    return ok;
}

void registerMovementValidators()
{
    registerDomainValidator(QStringLiteral("c_check_d_np_typ"), [] { return std::make_unique<np_typ_Validator>(); });
    registerDomainValidator(QStringLiteral("c_check_d_np_typ_nn"), [] { return std::make_unique<np_typ_nn_Validator>(); });
}
