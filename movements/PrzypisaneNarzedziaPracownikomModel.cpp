#include "PrzypisaneNarzedziaPracownikomModel.h"

#include "MovementForm.h"
#include "MovementStrategies.h"
#include "NarzedziaPainterStrategy.h"
#include "TAVItemDelegate.h"

PrzypisaneNarzedziaPracownikomModel::PrzypisaneNarzedziaPracownikomModel(QObject *parent) : TAVModel(parent)
{
    addFlagColumn<StatusRealizacjiDisplayTextStrategy>(QStringLiteral("pnp_status"), FlagPaint::OpenGreenDoneGrey);
}

QVector<int> PrzypisaneNarzedziaPracownikomModel::hiddenColumns(QString context)
{
    // The states show by name; the keys and audit columns carry their own
    // names in capitals as headers and stay hidden.
    QVector<int> cols = TAVTableModel::hiddenColumns(context);
    cols << fieldIndex(QStringLiteral("pnp_fk_stn_wydanie")) << fieldIndex(QStringLiteral("pnp_fk_stn_przyjecie"));
    for (int c = 0; c < columnCount(); ++c) {
        if (headerData(c, Qt::Horizontal).toString() == record().fieldName(c).toUpper())
            cols << c;
    }
    return cols;
}

void PrzypisaneNarzedziaPracownikomModel::setNames()
{
    setTableName(QStringLiteral("przypisane_narzedzia_pracownikom"));
    setViewName(QStringLiteral("v_przypisane_narzedzia_pracownikom"));
    setRecordReportName(QStringLiteral("przypisane_narzedzia_prc"));
    setTableReportName(QStringLiteral("przypisane_narzedzia_pracownikom_table"));
    addDetailReport(QStringLiteral("przypisane_narzedzia_pracownikom_muz"), QStringLiteral("pnp_fk_muz"));
    addDetailReport(QStringLiteral("przypisane_narzedzia_pracownikom_prc"), QStringLiteral("pnp_fk_prc"));
    addDetailReport(QStringLiteral("przypisane_narzedzia_pracownikom_nrz"), QStringLiteral("pnp_fk_nrz"));
}

void PrzypisaneNarzedziaPracownikomModel::setHeaders()
{
    for (const char *k : {"pnp_id", "pnp_fk_nrz", "pnp_fk_prc", "pnp_fk_mgz", "pnp_fk_muz", "pnp_fk_uzt_wyd",
                          "pnp_fk_uzt_prz"})
        setHeader(QLatin1String(k), QString::fromLatin1(k).toUpper());
    setHeader(QStringLiteral("pnp_data_wydanie"), QStringLiteral("Data wyd."), QStringLiteral("Data wydania"));
    setHeader(QStringLiteral("pnp_data_przyjecie"), QStringLiteral("Data prz."), QStringLiteral("Data przyjęcia"));
    setHeader(QStringLiteral("pnp_fk_stn_wydanie"), QStringLiteral("Stan narzędzia - wydanie"));
    setHeader(QStringLiteral("pnp_fk_stn_przyjecie"), QStringLiteral("Stan narzędzia - przyjęcie"));
    setHeader(QStringLiteral("pnp_uwagi_wydanie"), QStringLiteral("Uwagi - wyd."), QStringLiteral("Uwagi - wydanie"));
    setHeader(QStringLiteral("pnp_uwagi_przyjecie"), QStringLiteral("Uwagi - prz."), QStringLiteral("Uwagi - przyjęcie"));
    setHeader(QStringLiteral("pnp_status"), QStringLiteral("Status"), QStringLiteral("Status realizacji"));
    setHeader(QStringLiteral("pnp_planowany_zwrot"), QStringLiteral("Planowany zwrot"));
    setHeader(QStringLiteral("pnp_dni_po_terminie"), QStringLiteral("Dni po terminie"),
              QStringLiteral("Ile dni po planowanym zwrocie narzędzie jest jeszcze u pracownika"));
    setHeader(QStringLiteral("prc_tel_kontaktowy"), QStringLiteral("Telefon pracownika"));
    setHeader(QStringLiteral("nrz_wartosc"), QStringLiteral("Wartość narzędzia"));
    setAuditHeaders();
    setHeader(QStringLiteral("nrz_kod"), QStringLiteral("Kod narzędzia"));
    setHeader(QStringLiteral("nrz_nazwa"), QStringLiteral("Nazwa narzędzia"));
    setHeader(QStringLiteral("prc_imie"), QStringLiteral("Imię pracownika"));
    setHeader(QStringLiteral("prc_nazwisko"), QStringLiteral("Nazwisko pracownika"));
    setHeader(QStringLiteral("prc_stanowisko"), QStringLiteral("Stanowisko pracownika"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Symbol mag."), QStringLiteral("Symbol magazynu"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa mag."), QStringLiteral("Nazwa magazynu"));
    setHeader(QStringLiteral("muz_nazwa"), QStringLiteral("Miejsce użytkowania"));
    setHeader(QStringLiteral("muz_kod"), QStringLiteral("Miejsce użytkowania - kod"));
    MovementForm::userHeaders([this](const QString &c, const QString &l, const QString &t) { setHeader(c, l, t); },
                              QStringLiteral("wyd"), QStringLiteral("prz"));
    setHeader(QStringLiteral("stn_wyd_nazwa"), QStringLiteral("Stan narz. - wyd."), QStringLiteral("Stan narzędzia - wydanie"));
    setHeader(QStringLiteral("stn_prz_nazwa"), QStringLiteral("Stan narz. - prz."),
              QStringLiteral("Stan narzędzia - przyjęcie"));
}

void PrzypisaneNarzedziaPracownikomModel::createActions()
{
    addAction(QStringLiteral("PrzypisaneNarzedziaPracownikomPrzyjmij"), QStringLiteral("Przyjmij od pracownika"));
    addAction(QStringLiteral("PrzypisaneNarzedziaPracownikomPrzedluz"), QStringLiteral("Przedłuż termin zwrotu"));
}

void PrzypisaneNarzedziaPracownikomModel::createColumnDelegates()
{
    TAVTableModel::createColumnDelegates();
    addColumnDelegate(QStringLiteral("pnp_dni_po_terminie"), new TAVItemDelegate(nullptr, new PoTerminiePaintStrategy(flagPainter()),
                                                                           new BezZeraDisplayTextStrategy));
}

void PrzypisaneNarzedziaPracownikomModel::createColumnsOrder()
{
    // Lateness beside the status, where it is seen.
    for (const char *column : {"pnp_status", "pnp_dni_po_terminie", "pnp_planowany_zwrot", "nrz_kod", "nrz_nazwa",
                               "mgz_symbol", "mgz_nazwa", "pnp_data_wydanie", "stn_wyd_nazwa", "muz_kod", "muz_nazwa", "pnp_data_przyjecie", "stn_prz_nazwa",
                               "pnp_uwagi_wydanie", "pnp_uwagi_przyjecie"})
        addColumnOrder(QLatin1String(column), 0);
}

void PrzypisaneNarzedziaPracownikomModel::createSearchFields()
{
    addSearchField(QStringLiteral("pnp_status"), StatusSearch);
    addSearchFields({QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa"), QStringLiteral("mgz_symbol"),
                     QStringLiteral("mgz_nazwa"), QStringLiteral("muz_kod"), QStringLiteral("muz_nazwa"),
                     QStringLiteral("prc_imie"), QStringLiteral("prc_nazwisko"), QStringLiteral("prc_stanowisko"),
                     QStringLiteral("uzt_wyd_imie"), QStringLiteral("uzt_wyd_nazwisko"), QStringLiteral("uzt_wyd_login"),
                     QStringLiteral("uzt_prz_imie"), QStringLiteral("uzt_prz_nazwisko"), QStringLiteral("uzt_prz_login"),
                     QStringLiteral("pnp_uwagi_wydanie"), QStringLiteral("pnp_uwagi_przyjecie")});
    addSearchChoice(QStringLiteral("termin"), QStringLiteral("Termin zwrotu"),
                    {{QStringLiteral("wszystkie"), QString()},
                     {QStringLiteral("po terminie"), QStringLiteral("NOT pnp_status AND pnp_planowany_zwrot < current_date")},
                     {QStringLiteral("w ciągu 7 dni"), QStringLiteral("NOT pnp_status AND pnp_planowany_zwrot BETWEEN "
                                                                      "current_date AND current_date + 7")}});
}
