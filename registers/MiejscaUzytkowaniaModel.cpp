#include "MiejscaUzytkowaniaModel.h"

#include "RegisterStrategies.h"
#include "TAVItemDelegate.h"

MiejscaUzytkowaniaModel::MiejscaUzytkowaniaModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    setDefaultValue(QStringLiteral("muz_aktywny"), true);
    addFlagColumn<AktywnyNieaktywnyDisplayTextStrategy>(QStringLiteral("muz_aktywny"), FlagPaint::GreyWhenFalse);
}

void MiejscaUzytkowaniaModel::setNames()
{
    setTableName(QStringLiteral("miejsca_uzytkowania"));
    setTableReportName(QStringLiteral("miejsca_uzytkowania_table"));
}

void MiejscaUzytkowaniaModel::setHeaders()
{
    setHeader(QStringLiteral("muz_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("muz_nazwa"), QStringLiteral("Nazwa"));
    setHeader(QStringLiteral("muz_aktywny"), QStringLiteral("Aktywny"));
    setHeader(QStringLiteral("muz_kod"), QStringLiteral("Kod"));
    setAuditHeaders();
}

void MiejscaUzytkowaniaModel::createActions()
{
    addAction(QStringLiteral("MiejscaUzytkowaniaCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("MiejscaUzytkowaniaCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("MiejscaUzytkowaniaCmdKasuj"), QStringLiteral("Kasuj"));
}

void MiejscaUzytkowaniaModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("muz_kod"), 1);
}

void MiejscaUzytkowaniaModel::createSearchFields()
{
    addSearchFields({QStringLiteral("muz_kod"), QStringLiteral("muz_nazwa")});
}
