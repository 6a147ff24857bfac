#include "TabelaPrzypisaneNarzedziaPracownikomDialog.h"
#include "ui_TabelaPrzypisaneNarzedziaPracownikomDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVDataWidget.h"
#include "TAVListaWyboru.h"
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
    ui->lwFkNrz->setDisplayQuery(QStringLiteral("SELECT nrz_kod FROM narzedzia WHERE nrz_id = :nrz_id"));
    ui->lwFkPrc->setDisplayQuery(
            QStringLiteral("SELECT prc_imie || ' ' || prc_nazwisko FROM pracownicy WHERE prc_id = :prc_id"));
    ui->lwFkMuz->setDisplayQuery(QStringLiteral("SELECT muz_nazwa FROM miejsca_uzytkowania WHERE muz_id = :muz_id"));
    ui->lwFkMgz->setDisplayQuery(QStringLiteral("SELECT mgz_symbol FROM magazyny WHERE mgz_id = :mgz_id"));

    const QSqlRecord source = record.isEmpty() && index.isValid() && model ? model->record(index.row()) : record;
    if (record.isEmpty())
        loadRow();
    else
        dataWidget()->loadRecord(record);
    ui->lwFkNrz->setKey(source.value(QStringLiteral("pnp_fk_nrz")));
    ui->lwFkMgz->setKey(source.value(QStringLiteral("pnp_fk_mgz")));
    ui->lwFkPrc->setKey(source.value(QStringLiteral("pnp_fk_prc")));
    ui->lwFkMuz->setKey(source.value(QStringLiteral("pnp_fk_muz")));
    selectState(ui->cbFkStnWydanie, source.value(QStringLiteral("pnp_fk_stn_wydanie")));
    selectState(ui->cbFkStnPrzyjecie, source.value(QStringLiteral("pnp_fk_stn_przyjecie")));
    m_uztWyd = source.value(QStringLiteral("pnp_fk_uzt_wyd")).toInt();
    m_uztPrz = source.value(QStringLiteral("pnp_fk_uzt_prz")).toInt();
    ui->lbFkUztWyd->setText(userName(m_uztWyd));
    ui->lbFkUztPrz->setText(userName(m_uztPrz));

    connect(ui->lwFkNrz, &TAVListaWyboru::clicked, this, &TabelaPrzypisaneNarzedziaPracownikomDialog::chooseNrz);
    connect(ui->lwFkMgz, &TAVListaWyboru::clicked, this, &TabelaPrzypisaneNarzedziaPracownikomDialog::chooseMgz);
    connect(ui->lwFkPrc, &TAVListaWyboru::clicked, this, &TabelaPrzypisaneNarzedziaPracownikomDialog::choosePrc);
    connect(ui->lwFkMuz, &TAVListaWyboru::clicked, this, &TabelaPrzypisaneNarzedziaPracownikomDialog::chooseMuz);
    // Clearing the tool clears the warehouse it came from.
    connect(ui->lwFkNrz, &TAVListaWyboru::clickedClear, ui->lwFkMgz, &TAVListaWyboru::clear);
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

void TabelaPrzypisaneNarzedziaPracownikomDialog::toolChosen()
{
    // The warehouse and the state at issue follow the tool.
    const ToolFacts tool = toolFacts(ui->lwFkNrz->data().toInt());
    if (tool.warehouse > 0)
        ui->lwFkMgz->setKey(tool.warehouse);
    selectState(ui->cbFkStnWydanie, tool.state);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::chooseNrz()
{
    NarzedziaListaWyboruCommand command;
    command.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz narzędzie dla pracownika"));
    // A damaged tool (state 2) must not reach a worker.
    command.setParameter(QStringLiteral("filter"),
                         QStringLiteral("nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false AND nrz_fk_stn <> 2"));
    if (command.pickInto(model(), ui->lwFkNrz))
        toolChosen();
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::chooseMgz()
{
    MagazynyListaWyboruCommand command;
    command.pickInto(model(), ui->lwFkMgz);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::choosePrc()
{
    PracownicyListaWyboruCommand command;
    command.pickInto(model(), ui->lwFkPrc);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::chooseMuz()
{
    MiejscaUzytkowaniaListaWyboruCommand command;
    command.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz miejsce użytkowania narzędzia"));
    command.pickInto(model(), ui->lwFkMuz);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::addChecks(ValidationMessages &messages)
{
    requirePicked(messages, {{ui->lwFkNrz, QStringLiteral("Narzędzie")},
                             {ui->lwFkPrc, QStringLiteral("Pracownik")},
                             {ui->lwFkMuz, QStringLiteral("Miejsce użytkowania")}});
    checkReturn(messages, ui->dtDataWydanie, ui->dtDataPrzyjecie, ui->cbFkStnPrzyjecie);
}

QSqlRecord TabelaPrzypisaneNarzedziaPracownikomDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    rec.setValue(QStringLiteral("pnp_fk_nrz"), ui->lwFkNrz->key());
    rec.setValue(QStringLiteral("pnp_fk_prc"), ui->lwFkPrc->key());
    rec.setValue(QStringLiteral("pnp_fk_mgz"), ui->lwFkMgz->key());
    rec.setValue(QStringLiteral("pnp_fk_muz"), ui->lwFkMuz->key());
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
