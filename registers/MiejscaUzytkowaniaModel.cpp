#include "MiejscaUzytkowaniaModel.h"

#include "TAVItemDelegate.h"

#include <QDebug>

MiejscaUzytkowaniaModel::MiejscaUzytkowaniaModel(QObject *parent) : TAVTableModel(parent) {}

TAVTableModel *MiejscaUzytkowaniaModel::createInstance()
{
    return new MiejscaUzytkowaniaModel;
}

QSqlRecord MiejscaUzytkowaniaModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    rec.setValue(QStringLiteral("muz_aktywny"), true);
    return rec;
}

QVector<int> MiejscaUzytkowaniaModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("muz_id"))};
    return cols + auditColumns();
}

void MiejscaUzytkowaniaModel::setNames()
{
    setTableName(QStringLiteral("miejsca_uzytkowania"));
    setTableReportName(QStringLiteral("miejsca_uzytkowania_table"));
}

void MiejscaUzytkowaniaModel::setHeaders()
{
    setHeader(QStringLiteral("muz_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("muz_nazwa"), QStringLiteral("Nazwa"));
    setHeader(QStringLiteral("muz_aktywny"), QStringLiteral("Aktywny"));
    setHeader(QStringLiteral("muz_kod"), QStringLiteral("Kod"));
    setAuditHeaders();
}

void MiejscaUzytkowaniaModel::createActions()
{
    addAction(QStringLiteral("MiejscaUzytkowaniaCmdDodaj"), QStringLiteral("Dodaj"));
    addAction(QStringLiteral("MiejscaUzytkowaniaCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("MiejscaUzytkowaniaCmdKasuj"), QStringLiteral("Kasuj"));
}

void MiejscaUzytkowaniaModel::setActions(QString _context)
{
    m_context = _context;
    if (_context.isEmpty())
        return;
    // Pick lists and dependent places show the rows without commands.
    clearActions();
    if (_context == QLatin1String("LISTA_WYBORU")) {
        qDebug() << "MiejscaUzytkowaniaModel::setActions( QString _context )";
        qDebug() << "   context:" << _context;
    }
}

void MiejscaUzytkowaniaModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("muz_kod"), 1);
}

void MiejscaUzytkowaniaModel::createSearchFields()
{
    addSearchField(QStringLiteral("muz_kod"), 0);
    addSearchField(QStringLiteral("muz_nazwa"), 0);
}

void MiejscaUzytkowaniaModel::setCommands() {}

void MiejscaUzytkowaniaModel::createRowDelegate()
{
    setRowDelegate(new TAVItemDelegate(
            nullptr, new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("muz_aktywny")})));
}

void MiejscaUzytkowaniaModel::createColumnDelegates()
{
    // Its own paint strategy, so the column is coloured like the row.
    addColumnDelegate(QStringLiteral("muz_aktywny"),
                      new TAVItemDelegate(nullptr,
                                          new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("muz_aktywny")}),
                                          new AktywnyNieaktywnyDisplayTextStrategy));
}
