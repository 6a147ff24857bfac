#include "PrzesunieciaMMCommand.h"

#include "KitMovement.h"
#include "MagazynyModel.h"
#include "Factories.h"
#include "Movement.h"
#include "MovementPickLists.h"
#include "PrzesunieciaMMModel.h"
#include "TAVMessages.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"
#include "TabelaPrzesunieciaMMDialog.h"

#include <QSqlRecord>

#include <memory>

namespace {
const QString kIssueTitle = QStringLiteral("Wydanie na inny magazyn");
const QString kIssueFailed = QStringLiteral("Nie zrealizować wydania - wystąpił błąd.");
const QString kReceiveTitle = QStringLiteral("Przesunięcie między magazynami");
const QString kCancelTitle = QStringLiteral("Anulowanie wydania");
const QString kCancelInfo = QStringLiteral("Anulowanie wydania - informacja");

bool validRow(TAVTableModel *model, const QModelIndex &index)
{
    return model && index.isValid() && index.row() >= 0 && index.column() >= 0 && index.row() < model->rowCount();
}

// The open transfers of a warehouse in a pick list; 0 when none is chosen.
int pickTransfer(TAVTableModel *warehouses, const QModelIndex &index, const QString &column, const QString &title)
{
    PrzesunieciaMMListaWyboruCommand pick;
    pick.setParameter(QStringLiteral("windowTitle"), title);
    QPair<QString, int> pair(column, warehouses->value(index.row(), QStringLiteral("mgz_id")).toInt());
    if (!pick.operacja(warehouses, index, &pair))
        return 0;
    return pair.second;
}
} // namespace

PrzesunieciaMMCommand::PrzesunieciaMMCommand(const QString &name, TAVPermissionPolicy *policy, QObject *parent)
    : TAVCommand(policy, parent)
{
    setName(name);
}

bool PrzesunieciaMMCommand::fromWarehouse(TAVTableModel *model, const QModelIndex &index, bool orTransfer)
{
    return validRow(model, index)
            && (TAVTableModel::is<MagazynyModel>(model) || (orTransfer && TAVTableModel::is<PrzesunieciaMMModel>(model)));
}

bool PrzesunieciaMMCommand::issue(TAVTableModel *model, const QModelIndex &index)
{
    std::unique_ptr<TAVTableModel> transfers = Movement::fresh(modelNameOf<PrzesunieciaMMModel>(),
                                                               QStringLiteral("psnmm_id = -1"));
    QSqlRecord rec = Movement::edit<TabelaPrzesunieciaMMDialog>(
            transfers.get(), QModelIndex(),
            {{QStringLiteral("psnmm_fk_mgz_src"), model->value(index.row(), QStringLiteral("mgz_id"))},
             {QStringLiteral("psnmm_fk_uzt_src"), Movement::currentUser()}},
            &TabelaPrzesunieciaMMDialog::setMagazynyWydanieMode);
    if (rec.isEmpty())
        return false;

    TAVTransaction transaction;
    if (!Movement::begun(transaction, kIssueTitle, kIssueFailed))
        return false;
    QString cause;
    if (!Movement::writeTool(rec.value(QStringLiteral("psnmm_fk_nrz")).toLongLong(),
                             {{QStringLiteral("nrz_przyjete_na_stan"), false}}, &cause))
        return Movement::finish(transaction, false, cause, kIssueTitle, kIssueFailed);
    const QVariant issuer = rec.value(QStringLiteral("psnmm_fk_uzt_src"));
    rec.setValue(QStringLiteral("fk_uzt_stworzono"), issuer);
    rec.setValue(QStringLiteral("fk_uzt_zmodyfikowano"), issuer);
    const bool ok = transfers->insert(rec, QModelIndex());
    return Movement::finish(transaction, ok, ok ? QString() : transfers->lastErrorCause(), kIssueTitle, kIssueFailed);
}

bool PrzesunieciaMMCommand::receive(TAVTableModel *model, const QModelIndex &index)
{
    TAVTableModel *transfers = model;
    // The register may move its rows while the dialog is open.
    QPersistentModelIndex row = index;
    std::unique_ptr<TAVTableModel> picked;
    if (TAVTableModel::is<PrzesunieciaMMModel>(model)) {
        if (model->value(index.row(), QStringLiteral("psnmm_status")).toBool())
            return false;
    } else {
        const int key = pickTransfer(model, index, QStringLiteral("psnmm_fk_mgz_dst"),
                                     QStringLiteral("Wybierz przesunięcie międzymagazynowe do potwierdzenia"));
        if (key <= 0)
            return false;
        picked = Movement::fresh(modelNameOf<PrzesunieciaMMModel>(), QStringLiteral("psnmm_id = %1").arg(key));
        if (picked->rowCount() < 1)
            return false;
        transfers = picked.get();
        row = picked->index(0, 0);
    }
    const QSqlRecord shown = transfers->record(row.row());
    QSqlRecord rec = Movement::edit<TabelaPrzesunieciaMMDialog>(
            transfers, row, {{QStringLiteral("psnmm_fk_uzt_dst"), Movement::currentUser()}},
            &TabelaPrzesunieciaMMDialog::setMagazynyPrzyjecieMode);
    if (rec.isEmpty())
        return false;

    const QString failed = QStringLiteral("Wystąpił problem przy operacji przesunięcia międzymagazynowego. Nie można "
                                          "dokończyć operacji przesunięcia międzymagazynowego.");
    // A kit's transfer is received whole, the kit with it.
    int inTransit = 0;
    if (const qint64 group = KitMovement::transferGroup(shown.value(QStringLiteral("psnmm_id")).toLongLong(), &inTransit)) {
        QString cause;
        if (!KitMovement::receiveTransfer(group, rec.value(QStringLiteral("psnmm_data_przyjecie")).toDate(),
                                          rec.value(QStringLiteral("psnmm_uwagi_przyjecie")).toString(), &cause)) {
            TAVMessages::warning(kReceiveTitle, failed, cause);
            return false;
        }
        transfers->select();
        TAVMessages::information(kReceiveTitle, QStringLiteral("Przesunięcie należało do zestawu: przyjęto cały zestaw "
                                                               "(narzędzi: %1).").arg(inTransit));
        return true;
    }
    TAVTransaction transaction;
    if (!Movement::begun(transaction, kReceiveTitle, failed))
        return false;
    QString cause;
    if (!Movement::writeTool(rec.value(QStringLiteral("psnmm_fk_nrz")).toLongLong(),
                             {{QStringLiteral("nrz_przyjete_na_stan"), true},
                              {QStringLiteral("nrz_fk_mgz"), rec.value(QStringLiteral("psnmm_fk_mgz_dst"))}},
                             &cause)) {
        // Rolled back first: no lock is held while the user reads.
        transaction.rollback();
        TAVMessages::warning(kReceiveTitle,
                             QStringLiteral("Wystąpił problem z przesunięciem narzędzia. Nie można dokonać "
                                            "przesunięcia międzymagazynowego."),
                             cause);
        return Movement::finish(transaction, false, cause, kReceiveTitle, failed);
    }
    rec.setValue(QStringLiteral("psnmm_status"), true);
    rec.setValue(QStringLiteral("fk_uzt_zmodyfikowano"), Movement::currentUser());
    const bool ok = Movement::updateQuietly(transfers, Movement::changedOnly(rec, shown), row, &cause);
    return Movement::finish(transaction, ok, cause, kReceiveTitle, failed);
}

bool PrzesunieciaMMCommand::cancel(TAVTableModel *model, const QModelIndex &index)
{
    const bool inRegister = TAVTableModel::is<PrzesunieciaMMModel>(model);
    int key = 0;
    if (inRegister) {
        if (model->value(index.row(), QStringLiteral("psnmm_status")).toBool())
            return false;
        if (!TAVMessages::question(QStringLiteral("Czy chcesz anulować wydanie?"),
                                   QStringLiteral("Czy chcesz anulować wydanie?")))
            return false;
        key = model->value(index.row(), QStringLiteral("psnmm_id")).toInt();
    } else {
        key = pickTransfer(model, index, QStringLiteral("psnmm_fk_mgz_src"),
                           QStringLiteral("Wybierz przesunięcie do anulowania"));
        if (key <= 0)
            return false;
    }
    std::unique_ptr<TAVTableModel> fresh =
            Movement::fresh(modelNameOf<PrzesunieciaMMModel>(), QStringLiteral("psnmm_id = %1").arg(key));
    // The transfers register removes its own row; from a warehouse, the fresh copy does.
    TAVTableModel *owner = inRegister ? model : fresh.get();
    const QPersistentModelIndex row = inRegister ? QPersistentModelIndex(index) : QPersistentModelIndex(fresh->index(0, 0));
    // Another workstation may have got there first: read it again.
    if (fresh->rowCount() < 1 || fresh->value(0, QStringLiteral("psnmm_status")).toBool()) {
        TAVMessages::warning(kCancelInfo, QStringLiteral("Operacja przerwana. Wydanie zostało już anulowane."));
        return false;
    }
    int inTransit = 0;
    if (const qint64 group = KitMovement::transferGroup(key, &inTransit)) {
        if (!TAVMessages::question(kCancelTitle, QStringLiteral("Wydanie należy do przesunięcia zestawu (narzędzi w drodze: "
                                                                "%1). Anulować przesunięcie całego zestawu?").arg(inTransit)))
            return false;
        QString cause;
        if (!KitMovement::cancelTransfer(group, &cause)) {
            TAVMessages::warning(kCancelInfo, QStringLiteral("Nie można usunąć wydania - wystąpił błąd."), cause);
            return false;
        }
        owner->select();
        return true;
    }
    const qint64 tool = fresh->value(0, QStringLiteral("psnmm_fk_nrz")).toLongLong();
    if (Movement::toolValue(tool, QStringLiteral("nrz_przyjete_na_stan")).toBool()) {
        TAVMessages::warning(kCancelInfo,
                                 QStringLiteral("Operacja przerwana. Narzedzie jest już na stanie. Wydanie zostało już "
                                                "zrealizowane i nie można anulować."));
        return false;
    }
    const QString failed = QStringLiteral("Nie można usunąć wydania - wystąpił błąd.");
    TAVTransaction transaction;
    if (!Movement::begun(transaction, kCancelTitle, failed))
        return false;
    QString cause;
    bool ok = Movement::writeTool(tool, {{QStringLiteral("nrz_przyjete_na_stan"), true}}, &cause);
    if (ok)
        ok = Movement::removeQuietly(owner, row, &cause);
    return Movement::finish(transaction, ok, cause, kCancelTitle, failed);
}
