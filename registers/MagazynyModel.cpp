#include "MagazynyModel.h"

#include "RegisterStrategies.h"
#include "TAVItemDelegate.h"

MagazynyModel::MagazynyModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    setDefaultValue(QStringLiteral("mgz_aktywny"), true);
    addFlagColumn<AktywnyNieaktywnyDisplayTextStrategy>(QStringLiteral("mgz_aktywny"), FlagPaint::GreyWhenFalse);
}

void MagazynyModel::setNames()
{
    setTableName(QStringLiteral("magazyny"));
    setTableReportName(QStringLiteral("magazyny_table"));
}

void MagazynyModel::setHeaders()
{
    setHeader(QStringLiteral("mgz_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Symbol"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa"));
    setHeader(QStringLiteral("mgz_adres"), QStringLiteral("Adres"));
    setHeader(QStringLiteral("mgz_opis"), QStringLiteral("Opis"));
    setHeader(QStringLiteral("mgz_aktywny"), QStringLiteral("Aktywny"));
    setAuditHeaders();
}

void MagazynyModel::createActions()
{
    addAction(QStringLiteral("MagazynyCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("MagazynyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("MagazynyCmdKasuj"), QStringLiteral("Kasuj"));
    addAction(QStringLiteral("PrzesunieciaMMWydaj"), QStringLiteral("MM-"), QStringLiteral("Przenieś na inny magazyn"));
    addAction(QStringLiteral("PrzesunieciaMMPrzyjmij"), QStringLiteral("MM+"), QStringLiteral("Przyjmij na magazyn"));
    addAction(QStringLiteral("PrzesunieciaMMAnuluj"), QStringLiteral("Anuluj MM"), QStringLiteral("Anuluj wydanie"));
}

void MagazynyModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("mgz_aktywny"), 3);
}

void MagazynyModel::createSearchFields()
{
    addSearchFields({QStringLiteral("mgz_symbol"), QStringLiteral("mgz_nazwa"), QStringLiteral("mgz_adres")});
}
