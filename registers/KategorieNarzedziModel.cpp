#include "KategorieNarzedziModel.h"

KategorieNarzedziModel::KategorieNarzedziModel(QObject *parent) : TAVModel(parent)
{
    setSystemRowMode(SystemRowsLocked);
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
    setHeader(QStringLiteral("ktr_nrz_przeglad_miesiace"), QStringLiteral("Przegląd co (mies.)"));
    setHeader(QStringLiteral("ktr_nrz_okres_wypozyczenia"), QStringLiteral("Okres wypożyczenia, dni"));
    setAuditHeaders();
}

void KategorieNarzedziModel::createActions()
{
    addAction(QStringLiteral("KategorieNarzedziCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("KategorieNarzedziCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("KategorieNarzedziCmdKasuj"), QStringLiteral("Kasuj"));
}

void KategorieNarzedziModel::createSearchFields()
{
    addSearchFields({QStringLiteral("ktr_nrz_nazwa"), QStringLiteral("ktr_nrz_komentarz")});
}
