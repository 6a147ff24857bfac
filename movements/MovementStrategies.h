#pragma once

#include "TAVItemDelegate.h"

// How the movement registers show their status and the kind of a trip.

class StatusRealizacjiDisplayTextStrategy : public TwoWordDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit StatusRealizacjiDisplayTextStrategy(QObject *parent = nullptr)
        : TwoWordDisplayTextStrategy(QStringLiteral("Zakończono"), QStringLiteral("W trakcie"), parent) {}
};

class NaprawyPrzegladyTypDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit NaprawyPrzegladyTypDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

