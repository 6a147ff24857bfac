#include "UzytkownicyModel.h"

#include "RegisterStrategies.h"
#include "TAVItemDelegate.h"

UzytkownicyModel::UzytkownicyModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    setDefaultValue(QStringLiteral("uzt_zatrudniony"), true);
    hideColumns({QStringLiteral("uzt_haslo")});
    addFlagColumn<ZatrudnionyNiezatrudnionyDisplayTextStrategy>(QStringLiteral("uzt_zatrudniony"), FlagPaint::GreyWhenFalse);
}

void UzytkownicyModel::setNames()
{
    setTableName(QStringLiteral("uzytkownicy"));
    setUnlogged();
    setRecordReportName(QStringLiteral("uzytkownik"));
    setTableReportName(QStringLiteral("uzytkownicy_table"));
}

void UzytkownicyModel::setHeaders()
{
    setHeader(QStringLiteral("uzt_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("uzt_imie"), QStringLiteral("Imię"));
    setHeader(QStringLiteral("uzt_nazwisko"), QStringLiteral("Nazwisko"));
    setHeader(QStringLiteral("uzt_zatrudniony"), QStringLiteral("Zatrudniony"));
    setHeader(QStringLiteral("uzt_tel_kontaktowy"), QStringLiteral("Telefon kontaktowy"));
    setHeader(QStringLiteral("uzt_notatka"), QStringLiteral("Notatka"));
    setHeader(QStringLiteral("uzt_login"), QStringLiteral("Login"));
    setHeader(QStringLiteral("uzt_haslo"), QStringLiteral("HASLO"));
    setAuditHeaders();
}

void UzytkownicyModel::createActions()
{
    addAction(QStringLiteral("UzytkownicyCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("UzytkownicyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("UzytkownicyCmdKasuj"), QStringLiteral("Kasuj"));
}

void UzytkownicyModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("uzt_login"), 1);
}

void UzytkownicyModel::createSearchFields()
{
    addSearchFields({QStringLiteral("uzt_login"), QStringLiteral("uzt_imie"), QStringLiteral("uzt_nazwisko"), QStringLiteral("uzt_tel_kontaktowy"), QStringLiteral("uzt_notatka")});
}
