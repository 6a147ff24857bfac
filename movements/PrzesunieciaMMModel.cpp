#include "PrzesunieciaMMModel.h"

#include "MovementForm.h"
#include "MovementStrategies.h"
#include "TAVContext.h"
#include "TAVItemDelegate.h"

namespace {
const char *const kReceive = "PrzesunieciaMMPrzyjmij";
const char *const kCancel = "PrzesunieciaMMAnuluj";
} // namespace

PrzesunieciaMMModel::PrzesunieciaMMModel(QObject *parent) : TAVModel(parent)
{
    hideColumns({QStringLiteral("psnmm_fk_nrz"), QStringLiteral("psnmm_fk_mgz_src"), QStringLiteral("psnmm_fk_mgz_dst"),
                 QStringLiteral("psnmm_fk_uzt_src"), QStringLiteral("psnmm_fk_uzt_dst")});
    addFlagColumn<StatusRealizacjiDisplayTextStrategy>(QStringLiteral("psnmm_status"), FlagPaint::OpenGreenDoneGrey);
}

void PrzesunieciaMMModel::setNames()
{
    setTableName(QStringLiteral("przesuniecia_mm"));
    setViewName(QStringLiteral("v_przesuniecia_mm"));
    setRecordReportName(QStringLiteral("przesunieciemm"));
    setTableReportName(QStringLiteral("przesunieciamm_table"));
    addDetailReport(QStringLiteral("przesunieciamm_przyjete_mgz"), QStringLiteral("psnmm_fk_mgz_dst"));
    addDetailReport(QStringLiteral("przesunieciamm_wydane_mgz"), QStringLiteral("psnmm_fk_mgz_src"));
    addDetailReport(QStringLiteral("przesunieciamm_nrz"), QStringLiteral("psnmm_fk_nrz"));
}

void PrzesunieciaMMModel::setHeaders()
{
    const char *const keys[] = {"psnmm_id", "psnmm_fk_nrz", "psnmm_fk_mgz_src", "psnmm_fk_mgz_dst",
                                "psnmm_fk_uzt_src", "psnmm_fk_uzt_dst"};
    for (const char *k : keys)
        setHeader(QLatin1String(k), QString::fromLatin1(k).toUpper());
    setHeader(QStringLiteral("psnmm_status"), QStringLiteral("Status"), QStringLiteral("Status realizacji"));
    setHeader(QStringLiteral("psnmm_data_wydanie"), QStringLiteral("Data wyd."), QStringLiteral("Data wydania"));
    setHeader(QStringLiteral("psnmm_data_przyjecie"), QStringLiteral("Data prz."), QStringLiteral("Data przyjęcia"));
    setHeader(QStringLiteral("psnmm_uwagi_wydanie"), QStringLiteral("Uwagi - wyd."), QStringLiteral("Uwagi do wydania"));
    setHeader(QStringLiteral("psnmm_uwagi_przyjecie"), QStringLiteral("Uwagi - prz."),
              QStringLiteral("Uwagi do przyjęcia"));
    setAuditHeaders();
    setHeader(QStringLiteral("nrz_kod"), QStringLiteral("Kod narzędzia"));
    setHeader(QStringLiteral("nrz_nazwa"), QStringLiteral("Nazwa narzędzia"));
    setHeader(QStringLiteral("mgz_src_symbol"), QStringLiteral("Symbol mag. źr."),
              QStringLiteral("Symbol magazynu źródłowego"));
    setHeader(QStringLiteral("mgz_src_nazwa"), QStringLiteral("Nazwa mag. źr."),
              QStringLiteral("Nazwa magazynu źródłowego"));
    setHeader(QStringLiteral("mgz_dst_symbol"), QStringLiteral("Symbol mag. doc."),
              QStringLiteral("Symbol magazynu docelowego"));
    setHeader(QStringLiteral("mgz_dst_nazwa"), QStringLiteral("Nazwa mag. doc."),
              QStringLiteral("Nazwa magazynu docelowego"));
    MovementForm::userHeaders([this](const QString &c, const QString &l, const QString &t) { setHeader(c, l, t); },
                              QStringLiteral("src"), QStringLiteral("dst"));
}

void PrzesunieciaMMModel::addContextCommands(bool main)
{
    const QString context = this->context();
    if (main || context == TAVContext::Received)
        addAction(QLatin1String(kReceive), QStringLiteral("Przyjmij na magazyn"));
    if (main || context == TAVContext::Issued)
        addAction(QLatin1String(kCancel), QStringLiteral("Anuluj wydanie"));
}

void PrzesunieciaMMModel::setActions(QString _context)
{
    TAVTableModel::setActions(_context);
    clearActions();
    addContextCommands(_context == TAVContext::Main);
}

void PrzesunieciaMMModel::setCommands()
{
    if (context().isEmpty())
        return;
    clearActions();
    addContextCommands(false);
}

void PrzesunieciaMMModel::createColumnsOrder()
{
    for (const char *column : {"psnmm_status", "nrz_kod", "nrz_nazwa", "psnmm_data_wydanie", "mgz_src_symbol",
                               "mgz_src_nazwa", "psnmm_data_przyjecie", "mgz_dst_symbol", "mgz_dst_nazwa",
                               "uzt_src_imie", "uzt_src_nazwisko", "uzt_src_login", "uzt_dst_imie", "uzt_dst_nazwisko",
                               "uzt_dst_login"})
        addColumnOrder(QLatin1String(column), 0);
}

void PrzesunieciaMMModel::createSearchFields()
{
    addSearchField(QStringLiteral("psnmm_status"), StatusSearch);
    addSearchFields({QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa"), QStringLiteral("mgz_src_symbol"),
                     QStringLiteral("mgz_src_nazwa"), QStringLiteral("mgz_dst_symbol"), QStringLiteral("mgz_dst_nazwa"),
                     QStringLiteral("uzt_src_imie"), QStringLiteral("uzt_src_nazwisko"), QStringLiteral("uzt_src_login"),
                     QStringLiteral("uzt_dst_imie"), QStringLiteral("uzt_dst_nazwisko"), QStringLiteral("uzt_dst_login"),
                     QStringLiteral("psnmm_uwagi_wydanie"), QStringLiteral("psnmm_uwagi_przyjecie")});
}
