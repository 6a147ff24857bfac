#pragma once

#include "TAVPermissionPolicy.h"

// Every signed-in user.
class OVPermissionNoRestriction : public TAVPermissionPolicy
{
    Q_OBJECT
public:
    using TAVPermissionPolicy::TAVPermissionPolicy;
    bool checkPermission(const QVariant &value) override;
    QString message() override;
};

// Administrators only.
class OVPermissionAdmin : public TAVPermissionPolicy
{
    Q_OBJECT
public:
    using TAVPermissionPolicy::TAVPermissionPolicy;
    bool checkPermission(const QVariant &value) override;
    QString message() override;
};

// Administrators, or managers of the warehouse whose key the row holds.
class OVPermissionUprMgz : public TAVPermissionPolicy
{
    Q_OBJECT
public:
    using TAVPermissionPolicy::TAVPermissionPolicy;
    bool checkPermission(const QVariant &value) override;
    QString message() override;
};

// Transfers: only open ones may be received or cancelled.
class OvPermisionPrzesunieciaMm : public OVPermissionUprMgz
{
    Q_OBJECT
public:
    using OVPermissionUprMgz::OVPermissionUprMgz;
    bool checkRecord(TAVTableModel *model, const QModelIndex &index) override;
};

// Tools issued to employees: only open issues may be returned.
class OVPermissionPrzypisaneNarzedziaPracownikom : public OVPermissionUprMgz
{
    Q_OBJECT
public:
    using OVPermissionUprMgz::OVPermissionUprMgz;
    bool checkRecord(TAVTableModel *model, const QModelIndex &index) override;
};

// Repairs (type 0) and inspections (type 1), issue or receipt.
class OVPermissionNaprawyPrzeglady : public OVPermissionUprMgz
{
    Q_OBJECT
public:
    OVPermissionNaprawyPrzeglady(const QVariantList &fields, qint32 type, bool issue,
                                 QObject *parent = nullptr);
    bool checkRecord(TAVTableModel *model, const QModelIndex &index) override;
    qint32 type() const { return m_type; }
    bool issue() const { return m_issue; }

private:
    qint32 m_type;
    bool m_issue;
};

// Adding a tool: always in the tools register itself, in a warehouse's
// tools tab with the right to that warehouse.
class OVPermissionNarzedziaDodaj : public OVPermissionUprMgz
{
    Q_OBJECT
public:
    using OVPermissionUprMgz::OVPermissionUprMgz;
    bool checkRecord(TAVTableModel *model, const QModelIndex &index) override;
    bool allows(TAVTableModel *model, const QModelIndex &index, const QVariant &value, bool dependentTab) override;
};
