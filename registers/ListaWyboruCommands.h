#pragma once

#include "BasicCommands.h"

// Warehouse pick list; with "checkPermissionMgz" a manager sees only the
// warehouses he manages.
class MagazynyListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Location pick list, limited to the warehouse the caller names.
class LokalizacjeListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Place-of-use pick list.
class MiejscaUzytkowaniaListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Employee pick list; the caption is the full name.
class PracownicyListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Tool category pick list.
class KategorieNarzedziListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// User pick list; the caption is the full name.
class UzytkownicyListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Tool pick list. The caller states which tools it can take as the
// parameter "filter", a condition on the tools' view (tools on stock in the
// source warehouse for a transfer, say); a manager sees only the tools of
// his warehouses within it.
class NarzedziaListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
