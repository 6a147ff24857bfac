#include "TabelaPrzypisaneNarzedziaPracownikomDialog.h"
#include "ui_TabelaPrzypisaneNarzedziaPracownikomDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVListaWyboru.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QDate>
#include <QEvent>

using namespace MovementForm;

TabelaPrzypisaneNarzedziaPracownikomDialog::TabelaPrzypisaneNarzedziaPracownikomDialog(TAVTableModel *model,
                                                                                       const QModelIndex &index,
                                                                                       const QSqlRecord &record,
                                                                                       QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaPrzypisaneNarzedziaPracownikomDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    ui->dtDataWydanie->setDate(QDate::currentDate());
    ui->dtDataPrzyjecie->setDate(QDate::currentDate());
    bind(ui->dtDataWydanie, QStringLiteral("pnp_data_wydanie"));
    bind(ui->dtDataPrzyjecie, QStringLiteral("pnp_data_przyjecie"));
    bind(ui->txUwagiWydanie, QStringLiteral("pnp_uwagi_wydanie"));
    bind(ui->txUwagiPrzyjecie, QStringLiteral("pnp_uwagi_przyjecie"));
    // The state at issue is the tool's own, never typed in.
    ui->cbFkStnWydanie->setEnabled(false);
    fillStates(ui->cbFkStnWydanie);
    fillStates(ui->cbFkStnPrzyjecie);
    bindPick(ui->lwFkNrz, QStringLiteral("pnp_fk_nrz"), new NarzedziaListaWyboruCommand, QStringLiteral("Narzędzie"))
            .title(QStringLiteral("Wybierz narzędzie dla pracownika"))
            // A damaged tool (state 2) must not reach a worker.
            .parameter(QStringLiteral("filter"),
                       QStringLiteral("nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false AND nrz_fk_stn <> 2"))
            .onChosen([this] { followTool(ui->lwFkNrz, ui->lwFkMgz, ui->cbFkStnWydanie); })
            // Clearing the tool clears the warehouse it came from.
            .onCleared([this] { ui->lwFkMgz->clear(); });
    bindPick(ui->lwFkMgz, QStringLiteral("pnp_fk_mgz"), new MagazynyListaWyboruCommand).optional();
    bindPick(ui->lwFkPrc, QStringLiteral("pnp_fk_prc"), new PracownicyListaWyboruCommand, QStringLiteral("Pracownik"));
    bindPick(ui->lwFkMuz, QStringLiteral("pnp_fk_muz"), new MiejscaUzytkowaniaListaWyboruCommand,
             QStringLiteral("Miejsce użytkowania"))
            .title(QStringLiteral("Wybierz miejsce użytkowania narzędzia"));

    const QSqlRecord source = loadRow(record);
    selectState(ui->cbFkStnWydanie, source.value(QStringLiteral("pnp_fk_stn_wydanie")));
    selectState(ui->cbFkStnPrzyjecie, source.value(QStringLiteral("pnp_fk_stn_przyjecie")));
    m_uztWyd = source.value(QStringLiteral("pnp_fk_uzt_wyd")).toInt();
    m_uztPrz = source.value(QStringLiteral("pnp_fk_uzt_prz")).toInt();
    ui->lbFkUztWyd->setText(userName(m_uztWyd));
    ui->lbFkUztPrz->setText(userName(m_uztPrz));
}

TabelaPrzypisaneNarzedziaPracownikomDialog::~TabelaPrzypisaneNarzedziaPracownikomDialog() = default;

void TabelaPrzypisaneNarzedziaPracownikomDialog::setWydanieMode()
{
    ui->gbPrzyjecie->setEnabled(false);
    ui->lwFkMgz->setEnabled(false);
    ui->lwFkPrc->setEnabled(false);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::setPrzyjecieMode()
{
    ui->gbWydanie->setEnabled(false);
    ui->lwFkNrz->setEnabled(false);
    ui->lwFkMgz->setEnabled(false);
    ui->lwFkPrc->setEnabled(false);
    ui->lwFkMuz->setEnabled(false);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::addChecks(ValidationMessages &messages)
{
    checkReturn(messages, ui->dtDataWydanie, ui->dtDataPrzyjecie, ui->cbFkStnPrzyjecie);
}

QSqlRecord TabelaPrzypisaneNarzedziaPracownikomDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    rec.setValue(QStringLiteral("pnp_fk_uzt_wyd"), keyOrNull(m_uztWyd));
    rec.setValue(QStringLiteral("pnp_fk_uzt_prz"), keyOrNull(m_uztPrz));
    rec.setValue(QStringLiteral("pnp_fk_stn_wydanie"), stateOf(ui->cbFkStnWydanie));
    rec.setValue(QStringLiteral("pnp_fk_stn_przyjecie"),
                 ui->cbFkStnPrzyjecie->isEnabled() ? stateOf(ui->cbFkStnPrzyjecie)
                                                   : QVariant(QMetaType::fromType<int>()));
    if (!ui->dtDataPrzyjecie->isEnabled())
        rec.setValue(QStringLiteral("pnp_data_przyjecie"), QVariant(QMetaType::fromType<QDate>()));
    return rec;
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    TAVDialog::changeEvent(event);
}
