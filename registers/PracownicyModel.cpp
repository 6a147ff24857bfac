#include "PracownicyModel.h"

#include "TAVItemDelegate.h"

PracownicyModel::PracownicyModel(QObject *parent) : TAVTableModel(parent) {}

TAVTableModel *PracownicyModel::createInstance()
{
    return new PracownicyModel;
}

QSqlRecord PracownicyModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    rec.setValue(QStringLiteral("prc_zatrudniony"), true);
    return rec;
}

QVector<int> PracownicyModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("prc_id"))};
    return cols + auditColumns();
}

void PracownicyModel::setNames()
{
    setTableName(QStringLiteral("pracownicy"));
    setRecordReportName(QStringLiteral("pracownik"));
    setTableReportName(QStringLiteral("pracownicy_table"));
}

void PracownicyModel::setHeaders()
{
    setHeader(QStringLiteral("prc_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("prc_imie"), QStringLiteral("Imię"));
    setHeader(QStringLiteral("prc_nazwisko"), QStringLiteral("Nazwisko"));
    setHeader(QStringLiteral("prc_zatrudniony"), QStringLiteral("Zatrudniony"));
    setHeader(QStringLiteral("prc_tel_kontaktowy"), QStringLiteral("Telefon kontaktowy"));
    setHeader(QStringLiteral("prc_stanowisko"), QStringLiteral("Stanowisko"));
    setHeader(QStringLiteral("prc_notatka"), QStringLiteral("Notatka"));
    setAuditHeaders();
}

void PracownicyModel::createActions()
{
    addAction(QStringLiteral("PracownicyCmdDodaj"), QStringLiteral("Dodaj"));
    addAction(QStringLiteral("PracownicyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("PracownicyCmdKasuj"), QStringLiteral("Kasuj"));
}

void PracownicyModel::createSearchFields()
{
    addSearchField(QStringLiteral("prc_imie"), 0);
    addSearchField(QStringLiteral("prc_nazwisko"), 0);
    addSearchField(QStringLiteral("prc_tel_kontaktowy"), 0);
    addSearchField(QStringLiteral("prc_stanowisko"), 0);
}

void PracownicyModel::setCommands() {}

void PracownicyModel::createRowDelegate()
{
    setRowDelegate(new TAVItemDelegate(
            nullptr, new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("prc_zatrudniony")})));
}

void PracownicyModel::createColumnDelegates()
{
    // Its own paint strategy, so the column is coloured like the row.
    addColumnDelegate(QStringLiteral("prc_zatrudniony"),
                      new TAVItemDelegate(nullptr,
                                          new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("prc_zatrudniony")}),
                                          new ZatrudnionyNiezatrudnionyDisplayTextStrategy));
}
