#include "MovementStrategies.h"

QString NaprawyPrzegladyTypDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    bool ok = false;
    const int type = value.toInt(&ok);
    if (ok && type == 0)
        return QStringLiteral("Naprawa");
    if (ok && type == 1)
        return QStringLiteral("Przegląd");
    return QStringLiteral("NONE");
}

