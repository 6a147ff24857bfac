#include "OvUprawnieniaMgzModel.h"

#include "RegisterStrategies.h"
#include "TAVContext.h"
#include "TAVItemDelegate.h"

OvUprawnieniaMgzModel::OvUprawnieniaMgzModel(QObject *parent) : TAVModel(parent)
{
    hideColumns({QStringLiteral("ovuprmgz_fk_uzt"), QStringLiteral("ovuprmgz_fk_mgz")});
    addFlagColumn<ZatrudnionyNiezatrudnionyDisplayTextStrategy>(QStringLiteral("uzt_zatrudniony"), FlagPaint::None);
}

QVector<int> OvUprawnieniaMgzModel::hiddenColumns(QString context)
{
    QVector<int> cols = TAVTableModel::hiddenColumns(context);
    // The managers of one warehouse need no warehouse columns, the
    // warehouses of one user no user columns.
    QStringList names;
    if (context == TAVContext::ManagersOf)
        names << QStringLiteral("mgz_symbol") << QStringLiteral("mgz_nazwa");
    else if (context == TAVContext::ManagedBy)
        names << QStringLiteral("uzt_imie") << QStringLiteral("uzt_nazwisko") << QStringLiteral("uzt_zatrudniony")
              << QStringLiteral("uzt_login");
    for (const QString &n : std::as_const(names))
        cols << fieldIndex(n);
    return cols;
}

void OvUprawnieniaMgzModel::setNames()
{
    setTableName(QStringLiteral("ov_uprawnienia_mgz"));
    setViewName(QStringLiteral("v_ov_uprawnienia_mgz"));
}

void OvUprawnieniaMgzModel::setHeaders()
{
    setHeader(QStringLiteral("ovuprmgz_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("ovuprmgz_fk_uzt"), QStringLiteral("FK_UZT"));
    setHeader(QStringLiteral("ovuprmgz_fk_mgz"), QStringLiteral("FK_MGZ"));
    setHeader(QStringLiteral("uzt_imie"), QStringLiteral("Imię"));
    setHeader(QStringLiteral("uzt_nazwisko"), QStringLiteral("Nazwisko"));
    setHeader(QStringLiteral("uzt_zatrudniony"), QStringLiteral("Zatrudniony"));
    setHeader(QStringLiteral("uzt_login"), QStringLiteral("Login"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Symbol"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa"));
    setAuditHeaders();
}

void OvUprawnieniaMgzModel::createActions()
{
    addAction(QStringLiteral("OvUprawnieniaMgzDodajCommand"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("OvUprawnieniaMgzKasujCommand"), QStringLiteral("Kasuj"));
}

void OvUprawnieniaMgzModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("uzt_login"), 1);
}
