#include "OVPermissions.h"

#include "TAVSession.h"
#include "TAVTableModel.h"

#include <QSqlRecord>

namespace {
QVariant rowValue(TAVTableModel *model, const QModelIndex &index, const char *column)
{
    if (!model || !index.isValid())
        return QVariant();
    return model->value(index.row(), QString::fromLatin1(column));
}
} // namespace

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

bool OvPermisionPrzesunieciaMm::checkRecord(TAVTableModel *model, const QModelIndex &index)
{
    if (!TAVTableModel::isA(model, "PrzesunieciaMMModel"))
        return true;
    return !rowValue(model, index, "psnmm_status").toBool();
}

bool OVPermissionPrzypisaneNarzedziaPracownikom::checkRecord(TAVTableModel *model, const QModelIndex &index)
{
    if (!TAVTableModel::isA(model, "PrzypisaneNarzedziaPracownikomModel"))
        return true;
    return !rowValue(model, index, "pnp_status").toBool();
}

OVPermissionNaprawyPrzeglady::OVPermissionNaprawyPrzeglady(const QVariantList &fields, qint32 type,
                                                           bool issue, QObject *parent)
    : OVPermissionUprMgz(fields, parent), m_type(type), m_issue(issue)
{
}

bool OVPermissionNaprawyPrzeglady::checkRecord(TAVTableModel *model, const QModelIndex &index)
{
    if (TAVTableModel::isA(model, "NaprawyPrzegladyModel")) {
        if (m_issue)
            return true;
        bool ok = false;
        const int type = rowValue(model, index, "np_typ").toInt(&ok);
        return !rowValue(model, index, "np_status").toBool() && ok && type == m_type;
    }
    if (TAVTableModel::isA(model, "NarzedziaModel"))
        return rowValue(model, index, "nrz_przyjete_na_stan").toBool();
    return true;
}

bool OVPermissionNarzedziaDodaj::checkRecord(TAVTableModel *model, const QModelIndex &)
{
    return TAVTableModel::isA(model, "NarzedziaModel");
}

bool OVPermissionNarzedziaDodaj::allows(TAVTableModel *model, const QModelIndex &index, const QVariant &value,
                                        bool dependentTab)
{
    if (dependentTab)
        return OVPermissionUprMgz::allows(model, index, value, dependentTab);
    return checkRecord(model, index) || checkPermission(value);
}
