#include "OVPermissions.h"

#include "NarzedziaModel.h"
#include "TAVSession.h"
#include "TAVTableModel.h"

#include <QSqlRecord>

bool OVPermissionNoRestriction::checkPermission(const QVariant &) { return true; }
QString OVPermissionNoRestriction::message() { return QString(); }

bool OVPermissionAdmin::checkPermission(const QVariant &)
{
    return TAVSession::current()->isAdmin();
}

QString OVPermissionAdmin::message() { return QStringLiteral("Operacja wymaga praw administratora."); }

bool OVPermissionUprMgz::checkPermission(const QVariant &value)
{
    TAVSession *session = TAVSession::current();
    if (session->isAdmin())
        return true;
    return session->managedWarehouses().contains(value.toInt());
}

QString OVPermissionUprMgz::message() { return QStringLiteral("Operacja wymaga praw do magazynu."); }

bool OVPermissionNarzedziaDodaj::checkRecord(TAVTableModel *model, const QModelIndex &)
{
    return TAVTableModel::is<NarzedziaModel>(model);
}

bool OVPermissionNarzedziaDodaj::allows(TAVTableModel *model, const QModelIndex &index, const QVariant &value,
                                        bool dependentTab)
{
    if (dependentTab)
        return OVPermissionUprMgz::allows(model, index, value, dependentTab);
    return checkRecord(model, index) || checkPermission(value);
}
