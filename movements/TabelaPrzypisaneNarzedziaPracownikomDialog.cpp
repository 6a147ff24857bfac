#include "TabelaPrzypisaneNarzedziaPracownikomDialog.h"
#include "ui_TabelaPrzypisaneNarzedziaPracownikomDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVDb.h"
#include "TAVListaWyboru.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QCheckBox>
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
            .onChosen([this] {
                followTool(ui->lwFkNrz, ui->lwFkMgz, ui->cbFkStnWydanie);
                proposeReturn();
            })
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
    const QDate planned = source.value(QStringLiteral("pnp_planowany_zwrot")).toDate();
    ui->ckPlanowanyZwrot->setChecked(planned.isValid());
    ui->dtPlanowanyZwrot->setDate(planned.isValid() ? planned : QDate::currentDate());
    ui->dtPlanowanyZwrot->setEnabled(planned.isValid());
    connect(ui->ckPlanowanyZwrot, &QCheckBox::toggled, ui->dtPlanowanyZwrot, &QWidget::setEnabled);
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
    if (ui->gbWydanie->isEnabled() && ui->ckPlanowanyZwrot->isChecked()
        && ui->dtPlanowanyZwrot->date() < ui->dtDataWydanie->date())
        messages.add(QStringLiteral("Planowany zwrot nie może być wcześniejszy niż data wydania."), ui->dtPlanowanyZwrot);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::proposeReturn()
{
    // The tool's category lends for so many days; none: no planned day.
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT k.ktr_nrz_okres_wypozyczenia FROM narzedzia n "
                                                    "JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz "
                                                    "WHERE n.nrz_id = $1"),
                                     {ui->lwFkNrz->data().toInt()}, &error);
    const bool lent = r && PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, 0);
    ui->ckPlanowanyZwrot->setChecked(lent);
    if (lent)
        ui->dtPlanowanyZwrot->setDate(ui->dtDataWydanie->date().addDays(QByteArray(PQgetvalue(r.get(), 0, 0)).toInt()));
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
    // Written with the issue; a receipt leaves it as it is.
    if (ui->gbWydanie->isEnabled() && rec.indexOf(QStringLiteral("pnp_planowany_zwrot")) >= 0)
        rec.setValue(QStringLiteral("pnp_planowany_zwrot"), ui->ckPlanowanyZwrot->isChecked()
                                                                   ? QVariant(ui->dtPlanowanyZwrot->date())
                                                                   : QVariant(QMetaType::fromType<QDate>()));
    return rec;
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    TAVDialog::changeEvent(event);
}
