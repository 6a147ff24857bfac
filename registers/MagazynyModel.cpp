#include "MagazynyModel.h"

#include "TAVItemDelegate.h"

#include <QDebug>

MagazynyModel::MagazynyModel(QObject *parent) : TAVTableModel(parent) {}

TAVTableModel *MagazynyModel::createInstance()
{
    return new MagazynyModel;
}

QSqlRecord MagazynyModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    rec.setValue(QStringLiteral("mgz_aktywny"), true);
    return rec;
}

QVector<int> MagazynyModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("mgz_id"))};
    return cols + auditColumns();
}

void MagazynyModel::setNames()
{
    setTableName(QStringLiteral("magazyny"));
    setTableReportName(QStringLiteral("magazyny_table"));
}

void MagazynyModel::setHeaders()
{
    setHeader(QStringLiteral("mgz_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Symbol"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa"));
    setHeader(QStringLiteral("mgz_adres"), QStringLiteral("Adres"));
    setHeader(QStringLiteral("mgz_opis"), QStringLiteral("Opis"));
    setHeader(QStringLiteral("mgz_aktywny"), QStringLiteral("Aktywny"));
    setAuditHeaders();
}

void MagazynyModel::createActions()
{
    addAction(QStringLiteral("MagazynyCmdDodaj"), QStringLiteral("Dodaj"));
    addAction(QStringLiteral("MagazynyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("MagazynyCmdKasuj"), QStringLiteral("Kasuj"));
}

void MagazynyModel::setActions(QString _context)
{
    m_context = _context;
    if (_context.isEmpty())
        return;
    // Pick lists and dependent places show the rows without commands.
    clearActions();
    if (_context == QLatin1String("LISTA_WYBORU")) {
        qDebug() << "MagazynyModel::setActions( QString _context )";
        qDebug() << "   context:" << _context;
    }
}

void MagazynyModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("mgz_aktywny"), 3);
}

void MagazynyModel::createSearchFields()
{
    addSearchField(QStringLiteral("mgz_symbol"), 0);
    addSearchField(QStringLiteral("mgz_nazwa"), 0);
    addSearchField(QStringLiteral("mgz_adres"), 0);
}

void MagazynyModel::setCommands() {}

void MagazynyModel::createRowDelegate()
{
    setRowDelegate(new TAVItemDelegate(
            nullptr, new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("mgz_aktywny")})));
}

void MagazynyModel::createColumnDelegates()
{
    // Its own paint strategy, so the column is coloured like the row.
    addColumnDelegate(QStringLiteral("mgz_aktywny"),
                      new TAVItemDelegate(nullptr,
                                          new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("mgz_aktywny")}),
                                          new AktywnyNieaktywnyDisplayTextStrategy));
}
