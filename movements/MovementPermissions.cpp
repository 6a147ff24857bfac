#include "MovementPermissions.h"

#include "NaprawyPrzegladyModel.h"
#include "NarzedziaModel.h"
#include "PrzesunieciaMMModel.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"

namespace {
QVariant rowValue(TAVTableModel *model, const QModelIndex &index, const char *column)
{
    if (!model || !index.isValid())
        return QVariant();
    return model->value(index.row(), QString::fromLatin1(column));
}
} // namespace

bool OvPermisionPrzesunieciaMm::checkRecord(TAVTableModel *model, const QModelIndex &index)
{
    if (!TAVTableModel::is<PrzesunieciaMMModel>(model))
        return true;
    return !rowValue(model, index, "psnmm_status").toBool();
}

bool OVPermissionPrzypisaneNarzedziaPracownikom::checkRecord(TAVTableModel *model, const QModelIndex &index)
{
    if (!TAVTableModel::is<PrzypisaneNarzedziaPracownikomModel>(model))
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
    if (TAVTableModel::is<NaprawyPrzegladyModel>(model)) {
        if (m_issue)
            return true;
        bool ok = false;
        const int type = rowValue(model, index, "np_typ").toInt(&ok);
        return !rowValue(model, index, "np_status").toBool() && ok && type == m_type;
    }
    if (TAVTableModel::is<NarzedziaModel>(model))
        return rowValue(model, index, "nrz_przyjete_na_stan").toBool();
    return true;
}
