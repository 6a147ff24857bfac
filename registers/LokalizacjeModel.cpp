#include "LokalizacjeModel.h"

LokalizacjeModel::LokalizacjeModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    hideColumns({QStringLiteral("lkl_fk_mgz")});
}

void LokalizacjeModel::setNames()
{
    setTableName(QStringLiteral("lokalizacje"));
}

void LokalizacjeModel::setHeaders()
{
    setHeader(QStringLiteral("lkl_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("lkl_fk_mgz"), QStringLiteral("FK_MGZ"));
    setHeader(QStringLiteral("lkl_nazwa"), QStringLiteral("Nazwa"));
    setAuditHeaders();
}

void LokalizacjeModel::createActions()
{
    addAction(QStringLiteral("LokalizacjeCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("LokalizacjeCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("LokalizacjeCmdKasuj"), QStringLiteral("Kasuj"));
}
