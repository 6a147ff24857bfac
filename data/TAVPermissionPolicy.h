#pragma once

#include <QModelIndex>
#include <QObject>
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

    QVariantList fields() const { return m_fields; }

private:
    QVariantList m_fields;
};
