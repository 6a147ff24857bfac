#pragma once

#include "TAVCommand.h"

// The three steps of a transfer, told apart by the command's name:
// "PrzesunieciaMMWydaj" issues from a warehouse, "PrzesunieciaMMPrzyjmij"
// receives and "PrzesunieciaMMAnuluj" cancels, from a warehouse (through a
// pick list of its open transfers) or from a transfer row.
class PrzesunieciaMMCommand : public TAVCommand
{
    Q_OBJECT

public:
    PrzesunieciaMMCommand(const QString &name, TAVPermissionPolicy *policy, QObject *parent = nullptr);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    bool issue(TAVTableModel *model, const QModelIndex &index);
    bool receive(TAVTableModel *model, const QModelIndex &index);
    bool cancel(TAVTableModel *model, const QModelIndex &index);
};
