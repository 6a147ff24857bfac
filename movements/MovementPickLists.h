#pragma once

#include "BasicCommands.h"

// Open transfers of a warehouse: the pair names the warehouse column
// (source or destination) and the warehouse; the chosen transfer's key comes
// back in it.
class PrzesunieciaMMListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Open repairs and inspections of a tool: the pair's key names the tool; the
// chosen trip's key comes back in it.
class NaprawyPrzegladyListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
