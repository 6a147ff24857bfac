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
