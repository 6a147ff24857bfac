#include "LokalizacjeModel.h"

#include <QDebug>

LokalizacjeModel::LokalizacjeModel(QObject *parent) : TAVTableModel(parent) {}

TAVTableModel *LokalizacjeModel::createInstance()
{
    return new LokalizacjeModel;
}

QSqlRecord LokalizacjeModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    return rec;
}

QVector<int> LokalizacjeModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("lkl_id")), fieldIndex(QStringLiteral("lkl_fk_mgz"))};
    return cols + auditColumns();
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
    addAction(QStringLiteral("LokalizacjeCmdDodaj"), QStringLiteral("Dodaj"));
    addAction(QStringLiteral("LokalizacjeCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("LokalizacjeCmdKasuj"), QStringLiteral("Kasuj"));
}

void LokalizacjeModel::setActions(QString _context)
{
    m_context = _context;
    if (_context.isEmpty())
        return;
    // Pick lists and dependent places show the rows without commands.
    clearActions();
    if (_context == QLatin1String("LISTA_WYBORU")) {
        qDebug() << "LokalizacjeModel::setActions( QString _context )";
        qDebug() << "   context:" << _context;
    }
}

void LokalizacjeModel::setCommands() {}
