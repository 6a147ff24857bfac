#include "OvUprawnieniaAdminModel.h"

#include "RegisterStrategies.h"
#include "TAVItemDelegate.h"

OvUprawnieniaAdminModel::OvUprawnieniaAdminModel(QObject *parent) : TAVModel(parent)
{
    hideColumns({QStringLiteral("ovupradm_fk_uzt"), QStringLiteral("uzt_id")});
    // Users who are no administrators share the key 0: rows are told apart by user.
    setRowKeyColumn(QStringLiteral("uzt_id"));
    setRefreshWholeOnChange(true);
    addFlagColumn<ZatrudnionyNiezatrudnionyDisplayTextStrategy>(QStringLiteral("uzt_zatrudniony"), FlagPaint::None);
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
