#include "RegisterValidators.h"

bool symbol_alnum_6_Validator::validate(const QVariant &value)
{
    static const QRegularExpression re(QStringLiteral("^[\\w]+$"));
    if (re.match(plainText(value)).hasMatch())
        return true;
    addMessage(QStringLiteral("Wartość może się składać tylko z liter, cyfr i podkreślenia."));
    return false;
}

void registerRegisterValidators()
{
    registerDomainValidator(QStringLiteral("c_check_d_symbol_alnum_6"),
                            [] { return std::make_unique<symbol_alnum_6_Validator>(); });
}
