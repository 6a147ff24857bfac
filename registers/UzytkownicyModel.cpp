#include "UzytkownicyModel.h"

#include "TAVItemDelegate.h"

#include <QDebug>

UzytkownicyModel::UzytkownicyModel(QObject *parent) : TAVTableModel(parent) {}

TAVTableModel *UzytkownicyModel::createInstance()
{
    return new UzytkownicyModel;
}

QSqlRecord UzytkownicyModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    rec.setValue(QStringLiteral("uzt_zatrudniony"), true);
    return rec;
}

QVector<int> UzytkownicyModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("uzt_id")), fieldIndex(QStringLiteral("uzt_haslo"))};
    return cols + auditColumns();
}

void UzytkownicyModel::setNames()
{
    setTableName(QStringLiteral("uzytkownicy"));
    setRecordReportName(QStringLiteral("uzytkownik"));
    setTableReportName(QStringLiteral("uzytkownicy_table"));
}

void UzytkownicyModel::setHeaders()
{
    setHeader(QStringLiteral("uzt_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("uzt_imie"), QStringLiteral("Imię"));
    setHeader(QStringLiteral("uzt_nazwisko"), QStringLiteral("Nazwisko"));
    setHeader(QStringLiteral("uzt_zatrudniony"), QStringLiteral("Zatrudniony"));
    setHeader(QStringLiteral("uzt_tel_kontaktowy"), QStringLiteral("Telefon kontaktowy"));
    setHeader(QStringLiteral("uzt_notatka"), QStringLiteral("Notatka"));
    setHeader(QStringLiteral("uzt_login"), QStringLiteral("Login"));
    setHeader(QStringLiteral("uzt_haslo"), QStringLiteral("HASLO"));
    setAuditHeaders();
}

void UzytkownicyModel::createActions()
{
    addAction(QStringLiteral("UzytkownicyCmdDodaj"), QStringLiteral("Dodaj"));
    addAction(QStringLiteral("UzytkownicyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("UzytkownicyCmdKasuj"), QStringLiteral("Kasuj"));
}

void UzytkownicyModel::setActions(QString _context)
{
    m_context = _context;
    if (_context.isEmpty())
        return;
    // Pick lists and dependent places show the rows without commands.
    clearActions();
    if (_context == QLatin1String("LISTA_WYBORU")) {
        qDebug() << "UzytkownicyModel::setActions( QString _context )";
        qDebug() << "   context:" << _context;
    }
}

void UzytkownicyModel::createColumnsOrder()
{
    addColumnOrder(QStringLiteral("uzt_login"), 1);
}

void UzytkownicyModel::createSearchFields()
{
    addSearchField(QStringLiteral("uzt_login"), 0);
    addSearchField(QStringLiteral("uzt_imie"), 0);
    addSearchField(QStringLiteral("uzt_nazwisko"), 0);
    addSearchField(QStringLiteral("uzt_tel_kontaktowy"), 0);
    addSearchField(QStringLiteral("uzt_notatka"), 0);
}

void UzytkownicyModel::setCommands() {}

void UzytkownicyModel::createRowDelegate()
{
    setRowDelegate(new TAVItemDelegate(
            nullptr, new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("uzt_zatrudniony")})));
}

void UzytkownicyModel::createColumnDelegates()
{
    // Its own paint strategy, so the column is coloured like the row.
    addColumnDelegate(QStringLiteral("uzt_zatrudniony"),
                      new TAVItemDelegate(nullptr,
                                          new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("uzt_zatrudniony")}),
                                          new ZatrudnionyNiezatrudnionyDisplayTextStrategy));
}
