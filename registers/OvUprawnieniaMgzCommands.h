#pragma once

#include "TAVCommand.h"

// Makes a user the manager of a warehouse, from the user's warehouses tab
// (a warehouse is picked) or the warehouse's managers tab (a user is picked).
class OvUprawnieniaMgzDodajCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit OvUprawnieniaMgzDodajCommand(TAVPermissionPolicy *policy, QObject *parent = nullptr)
        : TAVCommand(policy, parent)
    {
    }

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
