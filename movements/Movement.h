#pragma once

#include "TAVTableModel.h"

#include <QDialog>
#include <QMap>
#include <QModelIndex>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class TAVTransaction;

// What the three movements share: fresh one-row models, the tool's row
// written with only the fields that change, and the record of a closing
// step reduced to what the user or the command changed.
namespace Movement {

// A new model of that name filtered to the rows of `filter` and read; its
// write errors stay quiet, the command shows its own message.
std::unique_ptr<TAVTableModel> fresh(const QString &modelName, const QString &filter);

// Opens a step's dialog in its mode on the row (an invalid index: a new
// movement over the model's empty record) with the values the step fixes;
// the record the dialog's fields are bound to, or an empty one when the
// user cancels. `accepted` reads what else the accepted dialog holds.
template <class Dialog>
QSqlRecord edit(TAVTableModel *model, const QModelIndex &row, const QMap<QString, QVariant> &values,
                void (Dialog::*mode)(), const std::function<void(Dialog &)> &accepted = {})
{
    QSqlRecord start = row.isValid() ? model->record(row.row()) : model->emptyRecord();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        start.setValue(it.key(), it.value());
    Dialog dialog(model, row, start);
    (dialog.*mode)();
    if (dialog.exec() != QDialog::Accepted)
        return QSqlRecord();
    if (accepted)
        accepted(dialog);
    return dialog.getRecord();
}

// Writes only these fields of one tool (row (0, 0) of a fresh model).
// The cause of a failure, in a sentence, goes to `cause`.
bool writeTool(qint64 toolId, const QMap<QString, QVariant> &values, QString *cause);

// One column of one tool as the database holds it now; invalid when there
// is no such tool.
QVariant toolValue(qint64 toolId, const QString &column);

// Inside a transaction: one column of a row, the row locked until the end,
// so a second workstation doing the same waits and then reads the outcome.
// The text the server gives ("t"/"f" for flags); null when there is no row.
QString lockedValue(const QString &table, const QString &keyColumn, qint64 key, const QString &column);

// Inside a transaction: whether the tool's on-stock flag is as expected,
// the tool locked until the end.
bool lockedOnStock(qint64 toolId, bool expected);

// The record with every field that equals the row as shown left out
// (empty text and NULL count as equal), so that an UPDATE carries only
// what changed.
QSqlRecord changedOnly(const QSqlRecord &record, const QSqlRecord &shown);

qint32 currentUser();

// The transaction began, or the user is told why not (false).
bool begun(TAVTransaction &transaction, const QString &title, const QString &failed);
// Begun, with the tool locked and on stock or not as expected; otherwise
// rolled back and the user told `refusal` (false).
bool begunWithTool(TAVTransaction &transaction, qint64 toolId, bool onStock, const QString &title,
                   const QString &failed, const QString &refusal);
// Commits when everything so far went well; else, or when the commit
// fails, rolls back and tells the user the cause (false).
bool finish(TAVTransaction &transaction, bool ok, QString cause, const QString &title, const QString &failed);
// Updates one row without the model's own message; the cause of a refusal
// goes to `cause`.
bool updateQuietly(TAVTableModel *model, const QSqlRecord &record, const QModelIndex &row, QString *cause);
// Deletes one row the same way.
bool removeQuietly(TAVTableModel *model, const QModelIndex &row, QString *cause);

} // namespace Movement
