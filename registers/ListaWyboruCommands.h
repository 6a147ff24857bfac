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

// Tool pick list; what it offers depends on the caller: tools not yet in
// an assembly (other than the main tool) for the assembly register, tools
// on stock in the source warehouse for a transfer; a manager sees only the
// tools of his warehouses.
class NarzedziaListaWyboruCommand : public TAVListaWyboruCommand
{
    Q_OBJECT
public:
    using TAVListaWyboruCommand::TAVListaWyboruCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
