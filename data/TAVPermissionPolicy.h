#pragma once

#include <QModelIndex>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantList>

class TAVTableModel;

// Guards one command: the rights condition on the warehouse key of a row
// and the row-state condition. The field list tells the register which
// columns hold that warehouse key.
class TAVPermissionPolicy : public QObject
{
    Q_OBJECT

public:
    explicit TAVPermissionPolicy(QObject *parent = nullptr) : QObject(parent) {}
    TAVPermissionPolicy(const QVariantList &fields, QObject *parent = nullptr)
        : QObject(parent), m_fields(fields)
    {
    }

    virtual bool checkRecord(TAVTableModel *model, const QModelIndex &index)
    {
        Q_UNUSED(model);
        Q_UNUSED(index);
        return true;
    }
    virtual bool checkPermission(const QVariant &value) = 0;
    virtual QString message() = 0;
    // Both conditions together; a policy may combine them otherwise where
    // the register is not a dependent tab.
    virtual bool allows(TAVTableModel *model, const QModelIndex &index, const QVariant &value, bool dependentTab)
    {
        Q_UNUSED(dependentTab);
        return checkPermission(value) && checkRecord(model, index);
    }

    QVariantList fields() const { return m_fields; }

private:
    QVariantList m_fields;
};

class TAVCommand;

// How a register decides whether an action may run: the warehouse key comes
// from the parent row in a dependent tab whose link column the policy
// watches, else from the current row's watched columns (the last one that
// the model has wins). Returns `enabled` unchanged when the command has no
// policy.
bool evaluatePolicy(TAVCommand *command, TAVTableModel *model, const QModelIndex &current,
                    const QPair<QString, int> *refField, bool enabled);
