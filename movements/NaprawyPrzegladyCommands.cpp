#include "NaprawyPrzegladyCommands.h"

#include "Factories.h"
#include "Movement.h"
#include "MovementPickLists.h"
#include "NaprawyPrzegladyModel.h"
#include "NarzedziaModel.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"
#include "TabelaNaprawyPrzegladyDialog.h"

#include <memory>

NaprawyPrzegladyCommand::NaprawyPrzegladyCommand(int type, bool sending, TAVPermissionPolicy *policy, QObject *parent)
    : TAVCommand(policy, parent), m_type(type), m_sending(sending)
{
}

QString NaprawyPrzegladyCommand::title() const
{
    if (m_sending)
        return m_type == 0 ? QStringLiteral("Wydanie do naprawy") : QStringLiteral("Wydanie do przeglądu");
    return m_type == 0 ? QStringLiteral("Przyjęcie z naprawy") : QStringLiteral("Przyjęcie z przeglądu");
}

QString NaprawyPrzegladyCommand::refusal() const
{
    return m_sending ? QStringLiteral("Nie można zrealizować żądania. Wybrane narzędzie już nie jest na magazynie.")
                     : QStringLiteral("Nie można zrealizować żądania. Wybrane narzędzie już jest na magazynie.");
}

QString NaprawyPrzegladyCommand::failure() const
{
    if (m_sending)
        return m_type == 0 ? QStringLiteral("Nie można zrealizować wydania do naprawy - wystąpił błąd.")
                           : QStringLiteral("Nie można zrealizować wydania do przeglądu - wystąpił błąd.");
    return m_type == 0 ? QStringLiteral("Nie można zrealizować przyjęcia z naprawy - wystąpił błąd.")
                       : QStringLiteral("Nie można zrealizować przyjęcia z przeglądu - wystąpił błąd.");
}

bool NaprawyPrzegladyCommand::send(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField)
{
    // From the main register of trips there is no tool to send.
    const bool trips = TAVTableModel::is<NaprawyPrzegladyModel>(model);
    if (trips && (!refField || refField->second <= 0))
        return false;
    std::unique_ptr<TAVTableModel> rows = Movement::fresh(modelNameOf<NaprawyPrzegladyModel>(),
                                                          QStringLiteral("np_id = -1"));
    QMap<QString, QVariant> values{{QStringLiteral("np_fk_uzt_wyd"), Movement::currentUser()},
                                   {QStringLiteral("np_typ"), m_type}};
    if (TAVTableModel::is<NarzedziaModel>(model) && index.isValid() && index.row() < model->rowCount())
        values.insert(QStringLiteral("np_fk_nrz"), model->value(index.row(), QStringLiteral("nrz_id")));
    else if (trips)
        values.insert(refField->first, refField->second);
    else
        return false;
    const QSqlRecord rec = Movement::edit<TabelaNaprawyPrzegladyDialog>(rows.get(), QModelIndex(), values,
                                                                       &TabelaNaprawyPrzegladyDialog::setWydanieMode);
    if (rec.isEmpty())
        return false;
    const qint64 tool = rec.value(QStringLiteral("np_fk_nrz")).toLongLong();

    TAVTransaction transaction;
    if (!Movement::begunWithTool(transaction, tool, true, title(), failure(), refusal()))
        return false;
    QString cause;
    bool ok = Movement::writeTool(tool,
                                  {{QStringLiteral("nrz_przyjete_na_stan"), false},
                                   {QStringLiteral("nrz_fk_stn"), m_type == 0 ? 2 : 3}},
                                  &cause);
    if (ok) {
        ok = rows->insert(rec, QModelIndex());
        if (!ok)
            cause = rows->lastErrorCause();
    }
    return Movement::finish(transaction, ok, cause, title(), failure());
}

bool NaprawyPrzegladyCommand::takeBack(TAVTableModel *model, const QModelIndex &index)
{
    TAVTableModel *rows = model;
    QPersistentModelIndex row = index;
    std::unique_ptr<TAVTableModel> picked;
    if (TAVTableModel::is<NaprawyPrzegladyModel>(model)) {
        if (!index.isValid() || index.row() >= model->rowCount()
            || model->value(index.row(), QStringLiteral("np_status")).toBool())
            return false;
    } else if (TAVTableModel::is<NarzedziaModel>(model) && index.isValid()) {
        NaprawyPrzegladyListaWyboruCommand pickTrip;
        QPair<QString, int> pair(QString(), model->value(index.row(), QStringLiteral("nrz_id")).toInt());
        if (!pickTrip.operacja(model, index, &pair) || pair.second <= 0)
            return false;
        picked = Movement::fresh(modelNameOf<NaprawyPrzegladyModel>(), QStringLiteral("np_id = %1").arg(pair.second));
        if (picked->rowCount() < 1 || picked->value(0, QStringLiteral("np_status")).toBool())
            return false;
        rows = picked.get();
        row = picked->index(0, 0);
    } else {
        return false;
    }
    const QSqlRecord shown = rows->record(row.row());
    QDate next;
    QSqlRecord rec = Movement::edit<TabelaNaprawyPrzegladyDialog>(
            rows, row, {{QStringLiteral("np_fk_uzt_prz"), Movement::currentUser()}},
            &TabelaNaprawyPrzegladyDialog::setPrzyjecieMode,
            [&next](TabelaNaprawyPrzegladyDialog &dialog) { next = dialog.nextInspection(); });
    if (rec.isEmpty())
        return false;
    const qint64 tool = rec.value(QStringLiteral("np_fk_nrz")).toLongLong();

    TAVTransaction transaction;
    if (!Movement::begunWithTool(transaction, tool, false, title(), failure(), refusal()))
        return false;
    QMap<QString, QVariant> toolValues{{QStringLiteral("nrz_fk_stn"), rec.value(QStringLiteral("np_fk_stn_prz"))},
                                       {QStringLiteral("nrz_przyjete_na_stan"), true}};
    // Back from an inspection: the date of the next one goes with it.
    if (next.isValid())
        toolValues.insert(QStringLiteral("nrz_przeglad"), next);
    QString cause;
    bool ok = Movement::writeTool(tool, toolValues, &cause);
    if (ok) {
        rec.setValue(QStringLiteral("np_status"), true);
        ok = Movement::updateQuietly(rows, Movement::changedOnly(rec, shown), row, &cause);
    }
    return Movement::finish(transaction, ok, cause, title(), failure());
}
