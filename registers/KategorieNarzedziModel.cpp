#include "KategorieNarzedziModel.h"

KategorieNarzedziModel::KategorieNarzedziModel(QObject *parent) : TAVTableModel(parent)
{
    setSystemRowMode(3);}

TAVTableModel *KategorieNarzedziModel::createInstance()
{
    return new KategorieNarzedziModel;
}

QSqlRecord KategorieNarzedziModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    return rec;
}

QVector<int> KategorieNarzedziModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(QStringLiteral("ktr_nrz_id"))};
    return cols + auditColumns();
}

void KategorieNarzedziModel::setNames()
{
    setTableName(QStringLiteral("kategorie_narzedzi"));
    setTableReportName(QStringLiteral("kategorie_narzedzi_table"));
}

void KategorieNarzedziModel::setHeaders()
{
    setHeader(QStringLiteral("ktr_nrz_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("ktr_nrz_nazwa"), QStringLiteral("Nazwa"));
    setHeader(QStringLiteral("ktr_nrz_komentarz"), QStringLiteral("Komentarz"));
    setAuditHeaders();
}

void KategorieNarzedziModel::createActions()
{
    addAction(QStringLiteral("KategorieNarzedziCmdDodaj"), QStringLiteral("Dodaj"));
    addAction(QStringLiteral("KategorieNarzedziCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("KategorieNarzedziCmdKasuj"), QStringLiteral("Kasuj"));
}

void KategorieNarzedziModel::createSearchFields()
{
    addSearchField(QStringLiteral("ktr_nrz_nazwa"), 0);
    addSearchField(QStringLiteral("ktr_nrz_komentarz"), 0);
}

void KategorieNarzedziModel::setCommands() {}
