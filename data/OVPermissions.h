#pragma once

#include "TAVPermissionPolicy.h"

class TAVCommand;

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

// Adding a tool: always in the tools register itself.
class OVPermissionNarzedziaDodaj : public OVPermissionUprMgz
{
    Q_OBJECT
public:
    using OVPermissionUprMgz::OVPermissionUprMgz;
    bool checkRecord(TAVTableModel *model, const QModelIndex &index) override;
};

// How a register decides whether an action may run: the warehouse key comes
// from the parent row in a dependent tab whose link column the policy
// watches, else from the current row's watched columns (the last one that
// the model has wins). Returns `enabled` unchanged when the command has no
// policy.
bool evaluatePolicy(TAVCommand *command, TAVTableModel *model, const QModelIndex &current,
                    const QPair<QString, int> *refField, bool enabled);
