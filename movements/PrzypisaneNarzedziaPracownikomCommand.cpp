#include "PrzypisaneNarzedziaPracownikomCommand.h"
#include "TAVSession.h"
#include "TAVDb.h"
#include <QSqlRecord>
#include <QDialog>
#include <QApplication>
#include "ui_PrzedluzZwrotDialog.h"

#include "TAVFormat.h"

#include "Factories.h"
#include "Movement.h"
#include "MovementSlip.h"
#include "PracownicyModel.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"
#include "TAVMessages.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"
#include "TabelaPrzypisaneNarzedziaPracownikomDialog.h"
#include "ZestawyRuchyCommands.h"

#include <QDate>

#include <memory>

namespace {
const QString kTitle = QStringLiteral("Przypisanie narzędzia");

} // namespace

PrzypisaneNarzedziaPracownikomCommand::PrzypisaneNarzedziaPracownikomCommand(const QString &name,
                                                                             TAVPermissionPolicy *policy,
                                                                             QObject *parent)
    : TAVCommand(policy, parent)
{
    setName(name);
}

bool PrzypisaneNarzedziaPracownikomCommand::validRow(TAVTableModel *model, const QModelIndex &index)
{
    return model && index.isValid() && index.row() >= 0 && index.row() < model->rowCount();
}

bool PrzypisaneNarzedziaPracownikomWydajCommand::tmpOperacja(TAVTableModel *model, const QModelIndex &index,
                                                             QPair<QString, int> *)
{
    return validRow(model, index) && TAVTableModel::is<PracownicyModel>(model) && issue(model, index);
}

bool PrzypisaneNarzedziaPracownikomPrzyjmijCommand::tmpOperacja(TAVTableModel *model, const QModelIndex &index,
                                                                QPair<QString, int> *)
{
    return validRow(model, index) && TAVTableModel::is<PrzypisaneNarzedziaPracownikomModel>(model)
            && takeBack(model, index);
}

int PrzypisaneNarzedziaPracownikomCommand::lateTools(int employee)
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral(
            "SELECT CASE WHEN (SELECT orb_nie_wydawaj_po_terminie FROM orv_reguly_bazy) THEN "
            "(SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_prc = $1 AND NOT pnp_status "
            "AND pnp_planowany_zwrot < current_date) ELSE 0 END"),
                                     {employee}, &error);
    return r && PQntuples(r.get()) > 0 ? QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() : 0;
}

bool PrzypisaneNarzedziaPracownikomCommand::mayIssueTo(int employee, bool *confirmed)
{
    // The database's rule on employees already late: only an administrator's
    // confirmation lets another tool go, and the issue records it.
    *confirmed = false;
    const int late = lateTools(employee);
    if (late == 0)
        return true;
    const QString text = QStringLiteral("Pracownik ma narzędzia po terminie zwrotu (%1).").arg(late);
    if (!TAVSession::current() || !TAVSession::current()->isAdmin()) {
        TAVMessages::warning(kTitle, text + QStringLiteral(" Reguła bazy danych nie pozwala wydać mu kolejnego "
                                                           "narzędzia bez potwierdzenia administratora."));
        return false;
    }
    if (!TAVMessages::question(kTitle, text + QStringLiteral(" Wydać mimo to? Twoje potwierdzenie zostanie "
                                                             "zapisane przy wydaniu.")))
        return false;
    *confirmed = true;
    return true;
}

bool PrzypisaneNarzedziaPracownikomCommand::issue(TAVTableModel *model, const QModelIndex &index)
{
    if (!model->value(index.row(), QStringLiteral("prc_zatrudniony")).toBool()) {
        TAVMessages::warning(kTitle, QStringLiteral("Nie można zrealizować żądania. Pracownik nie jest zatrudniony."));
        return false;
    }
    std::unique_ptr<TAVTableModel> issues = Movement::fresh(modelNameOf<PrzypisaneNarzedziaPracownikomModel>(),
                                                            QStringLiteral("pnp_id = -1"));
    int kit = 0;
    const QSqlRecord rec = Movement::edit<TabelaPrzypisaneNarzedziaPracownikomDialog>(
            issues.get(), QModelIndex(),
            {{QStringLiteral("pnp_fk_uzt_wyd"), Movement::currentUser()},
             {QStringLiteral("pnp_fk_prc"), model->value(index.row(), QStringLiteral("prc_id"))}},
            &TabelaPrzypisaneNarzedziaPracownikomDialog::setWydanieMode,
            [&kit](TabelaPrzypisaneNarzedziaPracownikomDialog &dialog) { kit = dialog.kit(); });
    if (rec.isEmpty())
        return false;
    if (kit > 0) {
        // A kit's code was scanned: the whole kit goes, as from the kits' register.
        KitMovement::Act act;
        act.employee = rec.value(QStringLiteral("pnp_fk_prc"));
        act.place = rec.value(QStringLiteral("pnp_fk_muz"));
        act.date = rec.value(QStringLiteral("pnp_data_wydanie")).toDate();
        act.plannedReturn = rec.value(QStringLiteral("pnp_planowany_zwrot"));
        act.remarks = rec.value(QStringLiteral("pnp_uwagi_wydanie")).toString().trimmed();
        return ZestawyRuchy::send(KitMovement::Kind::Employee, kit, act);
    }
    const qint64 tool = rec.value(QStringLiteral("pnp_fk_nrz")).toLongLong();

    // A tool due for inspection is issued only when the keeper says so.
    const QDate inspection = Movement::toolValue(tool, QStringLiteral("nrz_przeglad")).toDate();
    if (inspection.isValid() && inspection < QDate::currentDate()
        && !TAVMessages::question(kTitle, QStringLiteral("Termin przeglądu narzędzia minął %1. Wydać mimo to?")
                                                  .arg(TAVFormat::date(inspection))))
        return false;

    bool late = false;
    if (!mayIssueTo(rec.value(QStringLiteral("pnp_fk_prc")).toInt(), &late))
        return false;

    const QString failed = QStringLiteral("Nie można zrealizować przypisania - wystąpił błąd.");
    TAVTransaction transaction;
    if (!Movement::begunWithTool(transaction, tool, true, kTitle, failed,
                                 QStringLiteral("Nie można zrealizować żądania. Wybrane narzędzie już nie jest na "
                                                "magazynie.")))
        return false;
    if (late)
        TAVDb::exec(QStringLiteral("SELECT set_config('orv.potwierdzenie_po_terminie', 'tak', true)"));
    QString cause;
    bool ok = Movement::writeTool(tool, {{QStringLiteral("nrz_przyjete_na_stan"), false}}, &cause);
    if (ok) {
        ok = issues->insert(rec, QModelIndex());
        if (!ok)
            cause = issues->lastErrorCause();
    }
    if (!Movement::finish(transaction, ok, cause, kTitle, failed))
        return false;
    MovementSlip::offer(issues->lastId().toInt());
    return true;
}

bool PrzypisaneNarzedziaPracownikomCommand::takeBack(TAVTableModel *model, const QModelIndex &index)
{
    const QSqlRecord shown = model->record(index.row());
    const QPersistentModelIndex row(index);
    QSqlRecord rec = Movement::edit<TabelaPrzypisaneNarzedziaPracownikomDialog>(
            model, index, {{QStringLiteral("pnp_fk_uzt_prz"), Movement::currentUser()}},
            &TabelaPrzypisaneNarzedziaPracownikomDialog::setPrzyjecieMode);
    if (rec.isEmpty())
        return false;
    const qint64 key = shown.value(QStringLiteral("pnp_id")).toLongLong();
    const qint64 tool = rec.value(QStringLiteral("pnp_fk_nrz")).toLongLong();

    const QString failed = QStringLiteral("Nie można zrealizować zwrotu - wystąpił błąd.");
    TAVTransaction transaction;
    if (!Movement::begun(transaction, kTitle, failed))
        return false;
    // Both read again, locked, after the dialog: another workstation may have taken it back.
    const QString status = Movement::lockedValue(QStringLiteral("przypisane_narzedzia_pracownikom"),
                                                 QStringLiteral("pnp_id"), key, QStringLiteral("pnp_status"));
    if (status != QLatin1String("false") || !Movement::lockedOnStock(tool, false)) {
        transaction.rollback();
        TAVMessages::warning(kTitle, QStringLiteral("Nie można zrealizować zwrotu. Wybrane narzędzie już jest na "
                                                        "magazynie lub narzędzie zostało zwrócone."));
        return false;
    }
    QString cause;
    bool ok = Movement::writeTool(tool,
                                  {{QStringLiteral("nrz_przyjete_na_stan"), true},
                                   {QStringLiteral("nrz_fk_stn"), rec.value(QStringLiteral("pnp_fk_stn_przyjecie"))}},
                                  &cause);
    if (ok) {
        rec.setValue(QStringLiteral("pnp_status"), true);
        ok = Movement::updateQuietly(model, Movement::changedOnly(rec, shown), row, &cause);
    }
    if (!Movement::finish(transaction, ok, cause, kTitle, failed))
        return false;
    MovementSlip::offer(int(key));
    return true;
}

PrzypisaneNarzedziaPracownikomPrzedluzCommand::PrzypisaneNarzedziaPracownikomPrzedluzCommand(TAVPermissionPolicy *policy)
    : TAVCommand(policy)
{
    setName(QStringLiteral("PrzypisaneNarzedziaPracownikomPrzedluz"));
}

bool PrzypisaneNarzedziaPracownikomPrzedluzCommand::tmpOperacja(TAVTableModel *model, const QModelIndex &index,
                                                                QPair<QString, int> *)
{
    if (!model || !index.isValid())
        return false;
    const QSqlRecord row = model->record(index.row());
    if (row.value(QStringLiteral("pnp_status")).toBool())
        return false;
    QDialog dialog(QApplication::activeWindow());
    Ui::PrzedluzZwrotDialog ui;
    ui.setupUi(&dialog);
    ui.laNarzedzie->setText(QStringLiteral("%1 – %2, u pracownika %3 %4")
                                    .arg(row.value(QStringLiteral("nrz_kod")).toString(),
                                         row.value(QStringLiteral("nrz_nazwa")).toString(),
                                         row.value(QStringLiteral("prc_imie")).toString(),
                                         row.value(QStringLiteral("prc_nazwisko")).toString()));
    const QDate issued = row.value(QStringLiteral("pnp_data_wydanie")).toDate();
    const QDate planned = row.value(QStringLiteral("pnp_planowany_zwrot")).toDate();
    ui.dtPlanowanyZwrot->setMinimumDate(issued);
    ui.dtPlanowanyZwrot->setDate(planned.isValid() ? qMax(planned, QDate::currentDate()).addDays(7)
                                                   : QDate::currentDate().addDays(7));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QSqlRecord rec = model->emptyRecord();
    rec.setValue(QStringLiteral("pnp_planowany_zwrot"), ui.dtPlanowanyZwrot->date());
    return model->update(rec, index);
}
