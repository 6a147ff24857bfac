#pragma once

#include "OVPermissions.h"

// The policies of the movement commands: each knows the registers it is
// asked in by their classes.

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
