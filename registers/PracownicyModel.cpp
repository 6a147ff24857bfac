#include "PracownicyModel.h"

#include "NarzedziaPainterStrategy.h"
#include "RegisterStrategies.h"
#include "TAVItemDelegate.h"

PracownicyModel::PracownicyModel(QObject *parent) : TAVModel(parent)
{
    setDefaultValue(QStringLiteral("prc_zatrudniony"), true);
    addFlagColumn<ZatrudnionyNiezatrudnionyDisplayTextStrategy>(QStringLiteral("prc_zatrudniony"), FlagPaint::GreyWhenFalse);
    // The count of held tools follows every issue and return.
    addDependency(QStringLiteral("przypisane_narzedzia_pracownikom"), QStringLiteral("pnp_fk_prc"));
}

void PracownicyModel::setNames()
{
    setTableName(QStringLiteral("pracownicy"));
    setViewName(QStringLiteral("v_pracownicy"));
    setRecordReportName(QStringLiteral("pracownik"));
    setTableReportName(QStringLiteral("pracownicy_table"));
}

void PracownicyModel::setHeaders()
{
    setHeader(QStringLiteral("prc_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("prc_imie"), QStringLiteral("Imię"));
    setHeader(QStringLiteral("prc_nazwisko"), QStringLiteral("Nazwisko"));
    setHeader(QStringLiteral("prc_zatrudniony"), QStringLiteral("Zatrudniony"));
    setHeader(QStringLiteral("prc_tel_kontaktowy"), QStringLiteral("Telefon kontaktowy"));
    setHeader(QStringLiteral("prc_stanowisko"), QStringLiteral("Stanowisko"));
    setHeader(QStringLiteral("prc_notatka"), QStringLiteral("Notatka"));
    setHeader(QStringLiteral("prc_liczba_narzedzi"), QStringLiteral("Wydane narzędzia"),
              QStringLiteral("Liczba narzędzi, które pracownik ma teraz u siebie"));
    setHeader(QStringLiteral("prc_po_terminie"), QStringLiteral("Po terminie"),
              QStringLiteral("Liczba narzędzi, które pracownik trzyma po planowanym zwrocie"));
    setAuditHeaders();
}

void PracownicyModel::createActions()
{
    addAction(QStringLiteral("PracownicyCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("PracownicyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("PracownicyCmdKasuj"), QStringLiteral("Kasuj"));
    addAction(QStringLiteral("PrzypisaneNarzedziaPracownikomWydaj"), QStringLiteral("Wydaj pracownikowi"));
}

void PracownicyModel::createSearchFields()
{
    addSearchFields({QStringLiteral("prc_imie"), QStringLiteral("prc_nazwisko"), QStringLiteral("prc_tel_kontaktowy"), QStringLiteral("prc_stanowisko")});
}

void PracownicyModel::createColumnDelegates()
{
    TAVTableModel::createColumnDelegates();
    addColumnDelegate(QStringLiteral("prc_po_terminie"), new TAVItemDelegate(nullptr, new PoTerminiePaintStrategy(flagPainter()),
                                                                           new BezZeraDisplayTextStrategy));
}
