#pragma once

#include "TAVCommand.h"

// Issue of a tool to the selected employee ("PrzypisaneNarzedziaPracownikomWydaj")
// and its return ("PrzypisaneNarzedziaPracownikomPrzyjmij"), each in one
// transaction; both checks run after the dialog, inside the transaction.
class PrzypisaneNarzedziaPracownikomCommand : public TAVCommand
{
    Q_OBJECT

public:
    PrzypisaneNarzedziaPracownikomCommand(const QString &name, TAVPermissionPolicy *policy, QObject *parent = nullptr);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    bool issue(TAVTableModel *model, const QModelIndex &index);
    bool takeBack(TAVTableModel *model, const QModelIndex &index);
};
