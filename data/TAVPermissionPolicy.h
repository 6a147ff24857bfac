#pragma once

class TAVTableModel;
class QModelIndex;

// What guards a command: the register asks it whether the command may run
// for the current row. The concrete rules live in the subclasses.
class TAVPermissionPolicy
{
public:
    virtual ~TAVPermissionPolicy() = default;
};
