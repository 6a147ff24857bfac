#include "NarzedziaModel.h"

#include "NarzedziaPainterStrategy.h"
#include "RegisterStrategies.h"
#include "TAVItemDelegate.h"

#include <QRandomGenerator>

const QString NarzedziaModel::kKodPlaceholder = QStringLiteral("<WSTAW KOD>");
const QString NarzedziaModel::kNazwaPlaceholder = QStringLiteral("<WSTAW NAZWĘ>");

namespace {
QString s(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

NarzedziaModel::NarzedziaModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    // A photo per tool would make the register read megabytes per page.
    addLazyColumn(s("nrz_zdjecie"));
    hideColumns({s("nrz_fk_mgz"), s("nrz_fk_lkl"), s("nrz_fk_ktr_nrz"), s("nrz_fk_stn"), s("nrz_fk_nrz"),
                 s("nrz_skladane"), s("nrz_zlikwidowano_uwagi")});
    setDefaultValue(s("nrz_zlikwidowano"), false);
    setDefaultValue(s("nrz_fk_stn"), s("1"));
    setDefaultValue(s("nrz_przyjete_na_stan"), true);
    setScanColumns({s("nrz_kod"), s("nrz_kod_kreskowy"), s("nrz_nr_ewidencyjny"), s("nrz_nr_seryjny")});
}

QSqlRecord NarzedziaModel::defaultRecord()
{
    QSqlRecord rec = TAVTableModel::defaultRecord();
    QRandomGenerator *random = QRandomGenerator::global();
    rec.setValue(s("nrz_kod"), kKodPlaceholder + QString::number(random->bounded(99999)));
    rec.setValue(s("nrz_nazwa"), kNazwaPlaceholder + QString::number(random->bounded(99999)));
    return rec;
}

void NarzedziaModel::setNames()
{
    setTableName(s("narzedzia"));
    setViewName(s("v_narzedzia"));
    setRecordReportName(s("narzedzie"));
    setTableReportName(s("narzedzia_table"));
    addDetailReport(s("narzedzia_mgz"), s("nrz_fk_mgz"));
}

void NarzedziaModel::setHeaders()
{
    const char *const headers[][2] = {
        {"nrz_id", "ID"},
        {"nrz_fk_mgz", "NRZ_FK_MGZ"},
        {"nrz_fk_lkl", "NRZ_FK_LKL"},
        {"nrz_fk_ktr_nrz", "NRZ_FK_KTR_NRZ"},
        {"nrz_fk_stn", "NRZ_FK_STN"},
        {"nrz_zlikwidowano", "Zlikwidowano"},
        {"nrz_kod", "Kod"},
        {"nrz_nr_ewidencyjny", "Numer ewidencyjny"},
        {"nrz_nr_seryjny", "Numer seryjny"},
        {"nrz_nazwa", "Nazwa"},
        {"nrz_kod_kreskowy", "Kod kreskowy"},
        {"nrz_wartosc", "Wartość"},
        {"nrz_zdjecie", "Zdjęcie"},
        {"nrz_uwagi", "Uwagi"},
        {"nrz_skladane", "Składane"},
        {"nrz_fk_nrz", "NRZ_FK_NRZ"},
        {"nrz_przeglad", "Data kolejnego przeglądu"},
        {"nrz_przeglad_miesiace", "Przegląd co (mies.)"},
        {"nrz_przyjete_na_stan", "Na stanie magazynu"},
        {"mgz_symbol", "Symbol magazynu"},
        {"mgz_nazwa", "Nazwa magazynu"},
        {"lkl_nazwa", "Lokalizacja"},
        {"ktr_nrz_nazwa", "Kategoria"},
        {"stn_nazwa", "Stan techniczny"},
        {"nrz_fk_zst", "NRZ_FK_ZST"},
        {"zst_kod", "Zestaw"},
    };
    for (const auto &h : headers)
        setHeader(s(h[0]), s(h[1]));
    setAuditHeaders();
    setRelation(s("nrz_fk_stn"), QSqlRelation(s("stan_techniczny_narzedzi"), s("stn_id"), s("stn_nazwa")));
}

void NarzedziaModel::createActions()
{
    addAction(s("NarzedziaCmdDodaj"), s("Dodaj"), QString(), QString(), false);
    addAction(s("NarzedziaCmdEdytuj"), s("Edytuj"));
    addAction(s("NarzedziaCmdKasuj"), s("Kasuj"));
    addAction(s("NaprawyWydajCommand"), s("Wydaj do naprawy"));
    addAction(s("PrzegladyWydajCommand"), s("Wydaj do przeglądu"));
    addAction(s("NarzedziaCmdEtykieta"), s("Drukuj etykietę"), s("Drukuj etykiety z kodem kreskowym i kodem QR"));
}

void NarzedziaModel::createRowDelegate()
{
    setRowDelegate(new TAVItemDelegate(nullptr, new NarzedziaPainterStrategy));
}

void NarzedziaModel::createColumnDelegates()
{
    for (const char *flag : {"nrz_zlikwidowano", "nrz_skladane", "nrz_przyjete_na_stan"})
        addColumnDelegate(s(flag), new TAVItemDelegate(nullptr, new NarzedziaPainterStrategy,
                                                       new TakNieDisplayTextStrategy));
    addColumnDelegate(s("nrz_przeglad"), new TAVItemDelegate(nullptr, new PrzegladPainterStrategy));
}

void NarzedziaModel::createColumnsOrder()
{
    for (const char *column : {"nrz_kod", "nrz_nazwa", "ktr_nrz_nazwa", "stn_nazwa", "nrz_nr_ewidencyjny",
                               "nrz_nr_seryjny", "nrz_kod_kreskowy", "mgz_symbol", "mgz_nazwa", "lkl_nazwa",
                               "nrz_przyjete_na_stan", "nrz_przeglad"})
        addColumnOrder(s(column), 0);
}

void NarzedziaModel::createSearchFields()
{
    addSearchFields({s("nrz_kod"), s("nrz_nazwa"), s("nrz_nr_ewidencyjny"), s("nrz_nr_seryjny"),
                     s("nrz_kod_kreskowy"), s("mgz_symbol"), s("mgz_nazwa"), s("lkl_nazwa")});
    // Written-off tools are never due.
    addSearchChoice(s("przeglad"), s("Przegląd"),
                    {{s("wszystkie"), QString()},
                     {s("po terminie"), s("nrz_przeglad < current_date AND NOT nrz_zlikwidowano")},
                     {s("w ciągu 30 dni"),
                      s("nrz_przeglad BETWEEN current_date AND current_date + 30 AND NOT nrz_zlikwidowano")}});
}

NarzedziaSkladaneModel::NarzedziaSkladaneModel(QObject *parent) : TAVModel(parent)
{
    // A handful of parts under one tool: nothing to scan for.
    setScanColumns({});
}

void NarzedziaSkladaneModel::createActions()
{
    addAction(s("NarzedziaSkladaneCmdDodaj"), s("Dodaj"), QString(), QString(), false);
    addAction(s("NarzedziaSkladaneCmdUsun"), s("Usun"));
}
