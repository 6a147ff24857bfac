#include "TabelaPrzypisaneNarzedziaPracownikomDialog.h"
#include "ui_TabelaPrzypisaneNarzedziaPracownikomDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVDb.h"
#include "TAVListaWyboru.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"
#include "TAVSession.h"
#include "ZestawyRuchyCommands.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QToolButton>

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
    ui->leKod->installEventFilter(this);
    connect(ui->pbZestaw, &QToolButton::clicked, this, &TabelaPrzypisaneNarzedziaPracownikomDialog::pickKit);
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
    for (QWidget *w : std::initializer_list<QWidget *>{ui->laKod, ui->leKod, ui->pbZestaw})
        w->setVisible(false);
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
    // The tool's category lends for so many days (a kit's tools: the
    // shortest of them); none: no planned day.
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT min(k.ktr_nrz_okres_wypozyczenia) FROM narzedzia n "
                                                    "JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz "
                                                    "WHERE CASE WHEN $2 > 0 THEN n.nrz_fk_zst = $2 ELSE n.nrz_id = $1 END"),
                                     {ui->lwFkNrz->data().toInt(), m_kit}, &error);
    const bool lent = r && PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, 0);
    ui->ckPlanowanyZwrot->setChecked(lent);
    if (lent)
        ui->dtPlanowanyZwrot->setDate(ui->dtDataWydanie->date().addDays(int(TAVDb::cellNumber(r, 0, 0))));
}

bool TabelaPrzypisaneNarzedziaPracownikomDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter after a code looks it up; it does not close the dialog.
    if (watched == ui->leKod && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lookUpCode();
            return true;
        }
    }
    return TAVDialog::eventFilter(watched, event);
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::lookUpCode()
{
    const QString code = ui->leKod->text().trimmed();
    if (code.isEmpty())
        return;
    if (const int kit = ZestawyRuchy::byCode(code)) {
        chooseKit(kit);
        return;
    }
    // A tool the list would offer, by any of its codes.
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(
            QStringLiteral("SELECT nrz_id FROM narzedzia WHERE $1 IN (nrz_kod, nrz_kod_kreskowy, nrz_nr_ewidencyjny, "
                           "nrz_nr_seryjny) AND nrz_przyjete_na_stan AND NOT nrz_zlikwidowano AND nrz_fk_stn <> 2 "
                           "AND ($2 OR nrz_fk_mgz = ANY (string_to_array($3, ',')::integer[])) LIMIT 2"),
            {code, isAdmin(), managedWarehouses()}, &error);
    if (!r || PQntuples(r.get()) != 1) {
        QMessageBox::information(this, windowTitle(),
                                 r && PQntuples(r.get()) > 1
                                         ? QStringLiteral("Kod „%1” ma kilka narzędzi. Wybierz narzędzie z listy.").arg(code)
                                         : QStringLiteral("Nie znaleziono narzędzia ani zestawu o kodzie „%1”, które "
                                                          "można wydać.").arg(code));
        return;
    }
    m_kit = 0;
    ui->lwFkNrz->setEnabled(true);
    ui->lwFkNrz->setKey(int(TAVDb::cellNumber(r, 0, 0)));
    followTool(ui->lwFkNrz, ui->lwFkMgz, ui->cbFkStnWydanie);
    proposeReturn();
    ui->leKod->clear();
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::chooseKit(int kit)
{
    int warehouse = 0;
    const QString caption = ZestawyRuchy::caption(kit, &warehouse);
    if (!isAdmin() && !managedWarehouses().split(QLatin1Char(',')).contains(QString::number(warehouse))) {
        QMessageBox::information(this, windowTitle(), QStringLiteral("Zestaw %1 należy do magazynu, którym nie zarządzasz.")
                                                              .arg(caption));
        return;
    }
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT min(nrz_id), count(*) FROM narzedzia WHERE nrz_fk_zst = $1"),
                                     {kit}, &error);
    const int count = r ? int(TAVDb::cellNumber(r, 0, 1)) : 0;
    if (count == 0) {
        QMessageBox::information(this, windowTitle(), QStringLiteral("Zestaw %1 nie ma narzędzi.").arg(caption));
        return;
    }
    // The tool field stands for the whole kit: filled, so the dialog's own
    // checks pass, and closed to changes.
    m_kit = kit;
    ui->lwFkNrz->setKey(int(TAVDb::cellNumber(r, 0, 0)));
    ui->lwFkNrz->setText(QStringLiteral("Zestaw %1 (narzędzi: %2)").arg(caption).arg(count));
    ui->lwFkNrz->setEnabled(false);
    ui->lwFkMgz->setKey(warehouse);
    ui->cbFkStnWydanie->setCurrentIndex(-1);
    proposeReturn();
    ui->leKod->clear();
}

void TabelaPrzypisaneNarzedziaPracownikomDialog::pickKit()
{
    ZestawyListaWyboruCommand pick;
    pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz zestaw dla pracownika"));
    // Only kits whose every tool is on stock can go.
    pick.setParameter(QStringLiteral("filter"), QStringLiteral("zst_brakuje = 0 AND zst_liczba_narzedzi > 0"));
    QPair<QString, int> chosen(QStringLiteral("zst_id"), 0);
    if (pick.operacja(model(), QModelIndex(), &chosen) && chosen.second > 0)
        chooseKit(chosen.second);
}

bool TabelaPrzypisaneNarzedziaPracownikomDialog::isAdmin()
{
    return !TAVSession::current() || TAVSession::current()->isAdmin();
}

QString TabelaPrzypisaneNarzedziaPracownikomDialog::managedWarehouses()
{
    TAVSession *session = TAVSession::current();
    return session ? session->uprMgzAsString(session->uztId()).remove(QLatin1Char(' ')) : QString();
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
