#pragma once

#include "BasicCommands.h"

// Grants administrator rights to the user of the given row of the
// administrator-rights model.
class AddAdminCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit AddAdminCommand(TAVPermissionPolicy *policy, QObject *parent = nullptr) : TAVCommand(policy, parent) {}

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Withdraws administrator rights; never from the last administrator.
class RemAdminCommand : public BasicDeleteCommand
{
    Q_OBJECT
public:
    explicit RemAdminCommand(TAVPermissionPolicy *policy, QObject *parent = nullptr) : BasicDeleteCommand(policy, parent) {}

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
