#pragma once

#include "TAVCommand.h"

// Adds a tool (its row is written first, inside a transaction that the
// dialog's Cancel rolls back) or edits the selected one.
class NarzedziaDodajEdytujCommand : public TAVCommand
{
    Q_OBJECT

public:
    enum Mode { Add, Edit };

    NarzedziaDodajEdytujCommand(const QString &name, Mode mode, TAVPermissionPolicy *policy,
                                QObject *parent = nullptr);
    Mode mode() const { return m_mode; }

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    bool add(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField);
    bool edit(TAVTableModel *model, const QModelIndex &index);

    Mode m_mode;
};

// Puts a tool chosen from the pick list into the main tool the assembly
// register is filtered on.
class NarzedziaSkladaneCmdDodaj : public TAVCommand
{
    Q_OBJECT

public:
    explicit NarzedziaSkladaneCmdDodaj(QObject *parent = nullptr) : TAVCommand(parent) {}

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// Takes the selected tool out of its assembly; the tool itself stays.
class NarzedziaSkladaneCmdUsun : public TAVCommand
{
    Q_OBJECT

public:
    explicit NarzedziaSkladaneCmdUsun(QObject *parent = nullptr) : TAVCommand(parent) {}

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// "Drukuj etykietę": labels with the tool's code as Code 128 and as QR, for
// the selected tool or for every tool the register shows, on a label
// printer or as a sheet of labels on A4 (the format is remembered).
class NarzedziaEtykietaCommand : public TAVCommand
{
    Q_OBJECT
public:
    using TAVCommand::TAVCommand;

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
