#include "OvUprawnieniaAdminModel.h"

#include "TAVItemDelegate.h"

OvUprawnieniaAdminModel::OvUprawnieniaAdminModel(QObject *parent) : TAVTableModel(parent) {}

TAVTableModel *OvUprawnieniaAdminModel::createInstance()
{
    return new OvUprawnieniaAdminModel;
}

QSqlRecord OvUprawnieniaAdminModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    return rec;
}

QVector<int> OvUprawnieniaAdminModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("ovupradm_id")), fieldIndex(QStringLiteral("ovupradm_fk_uzt")), fieldIndex(QStringLiteral("uzt_id"))};
    return cols + auditColumns();
}

void OvUprawnieniaAdminModel::setNames()
{
    setTableName(QStringLiteral("ov_uprawnienia_admin"));
    setViewName(QStringLiteral("v_ov_uprawnienia_admin"));
}

void OvUprawnieniaAdminModel::setHeaders()
{
    setHeader(QStringLiteral("ovupradm_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("ovupradm_fk_uzt"), QStringLiteral("FK_UZT"));
    setHeader(QStringLiteral("uzt_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("uzt_imie"), QStringLiteral("Imię"));
    setHeader(QStringLiteral("uzt_nazwisko"), QStringLiteral("Nazwisko"));
    setHeader(QStringLiteral("uzt_zatrudniony"), QStringLiteral("Zatrudniony"));
    setHeader(QStringLiteral("uzt_login"), QStringLiteral("Login"));
    setAuditHeaders();
}

void OvUprawnieniaAdminModel::createActions()
{
}

void OvUprawnieniaAdminModel::setCommands() {}

void OvUprawnieniaAdminModel::createColumnDelegates()
{
    addColumnDelegate(QStringLiteral("uzt_zatrudniony"), new TAVItemDelegate(nullptr, new ZatrudnionyNiezatrudnionyDisplayTextStrategy));
}
