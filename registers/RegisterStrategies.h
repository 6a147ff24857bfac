#pragma once

#include "TAVItemDelegate.h"

// The words the registers show for their flags.

class TakNieDisplayTextStrategy : public TwoWordDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit TakNieDisplayTextStrategy(QObject *parent = nullptr)
        : TwoWordDisplayTextStrategy(QStringLiteral("Tak"), QStringLiteral("Nie"), parent) {}
};

class AktywnyNieaktywnyDisplayTextStrategy : public TwoWordDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit AktywnyNieaktywnyDisplayTextStrategy(QObject *parent = nullptr)
        : TwoWordDisplayTextStrategy(QStringLiteral("Aktywny"), QStringLiteral("Nieaktywny"), parent) {}
};

class ZatrudnionyNiezatrudnionyDisplayTextStrategy : public TwoWordDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit ZatrudnionyNiezatrudnionyDisplayTextStrategy(QObject *parent = nullptr)
        : TwoWordDisplayTextStrategy(QStringLiteral("Zatrudniony"), QStringLiteral("Niezatrudniony"), parent) {}
};
