#pragma once

#include "TAVCommand.h"

// The steps of a transfer share this class: an issue from a warehouse, and
// a receipt or a cancellation from a warehouse (through a pick list of its
// open transfers) or from a transfer row. Each step is its own class below,
// registered under its command name.
class PrzesunieciaMMCommand : public TAVCommand
{
    Q_OBJECT

public:
    PrzesunieciaMMCommand(const QString &name, TAVPermissionPolicy *policy, QObject *parent = nullptr);

protected:
    bool issue(TAVTableModel *model, const QModelIndex &index);
    bool receive(TAVTableModel *model, const QModelIndex &index);
    bool cancel(TAVTableModel *model, const QModelIndex &index);
    // The row is one of a warehouse, or of the transfers when asked.
    static bool fromWarehouse(TAVTableModel *model, const QModelIndex &index, bool orTransfer);
};

// "PrzesunieciaMMWydaj": MM- on a warehouse.
class PrzesunieciaMMWydajCommand : public PrzesunieciaMMCommand
{
    Q_OBJECT
public:
    explicit PrzesunieciaMMWydajCommand(TAVPermissionPolicy *policy)
        : PrzesunieciaMMCommand(QStringLiteral("PrzesunieciaMMWydaj"), policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override
    {
        return fromWarehouse(model, index, false) && issue(model, index);
    }
};

// "PrzesunieciaMMPrzyjmij": MM+ on a warehouse, or a transfer received.
class PrzesunieciaMMPrzyjmijCommand : public PrzesunieciaMMCommand
{
    Q_OBJECT
public:
    explicit PrzesunieciaMMPrzyjmijCommand(TAVPermissionPolicy *policy)
        : PrzesunieciaMMCommand(QStringLiteral("PrzesunieciaMMPrzyjmij"), policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override
    {
        return fromWarehouse(model, index, true) && receive(model, index);
    }
};

// "PrzesunieciaMMAnuluj": an open transfer cancelled.
class PrzesunieciaMMAnulujCommand : public PrzesunieciaMMCommand
{
    Q_OBJECT
public:
    explicit PrzesunieciaMMAnulujCommand(TAVPermissionPolicy *policy)
        : PrzesunieciaMMCommand(QStringLiteral("PrzesunieciaMMAnuluj"), policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override
    {
        return fromWarehouse(model, index, true) && cancel(model, index);
    }
};
