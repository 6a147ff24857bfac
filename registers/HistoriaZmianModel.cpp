#include "HistoriaZmianModel.h"

namespace {
QString s(const char *text) { return QString::fromUtf8(text); }
} // namespace

HistoriaZmianModel::HistoriaZmianModel(QObject *parent) : TAVModel(parent)
{
    // Under a record, and in pick lists, only reading.
    setContextClearsActions(true);
    // A tool's tab prints its life with the tool's card on top.
    addDetailReport(s("historia_narzedzia"), s("hz_fk_nrz"));
}

void HistoriaZmianModel::initialize()
{
    TAVTableModel::initialize();
    // Newest first.
    setSort(s("hz_id"), Qt::DescendingOrder);
}

void HistoriaZmianModel::setNames()
{
    setTableName(s("historia_zmian"));
    setViewName(s("v_historia_zmian"));
    setTableReportName(s("historia_zmian_table"));
}

void HistoriaZmianModel::setHeaders()
{
    setHeader(s("hz_id"), s("Nr wpisu"));
    setHeader(s("hz_czas"), s("Czas"));
    setHeader(s("hz_tabela_nazwa"), s("Ewidencja"));
    setHeader(s("hz_klucz"), s("ID wpisu"), s("Identyfikator zmienionego wpisu w jego ewidencji"));
    setHeader(s("hz_czynnosc"), s("Czynność"));
    setHeader(s("hz_opis"), s("Zmiany"), s("Pola, które się zmieniły: wartość przed → po"));
    setHeader(s("hz_uzytkownik"), s("Użytkownik"));
    setHeader(s("hz_poswiadczone"), s("Kto potwierdza"),
              s("serwer: konto serwera użytkownika; program: użytkownik podany przez program"));
    setHeader(s("hz_stanowisko"), s("Stanowisko"));
    setHeader(s("hz_adres"), s("Adres stanowiska"));
}

void HistoriaZmianModel::createActions()
{
    if (context().isEmpty())
        addAction(s("HistoriaZmianArchiwizuj"), s("Archiwizuj…"), QString(), QString(), false);
}

void HistoriaZmianModel::createColumnsOrder()
{
    // What happened and what changed come first.
    for (const char *c : {"hz_czas", "hz_czynnosc", "hz_opis", "hz_uzytkownik", "hz_poswiadczone"})
        addColumnOrder(QLatin1String(c), 0);
}

void HistoriaZmianModel::createSearchFields()
{
    addSearchFields({s("hz_uzytkownik"), s("hz_klucz")});
    QList<QPair<QString, QString>> tables{{s("wszystkie"), QString()}};
    for (const char *t : {"narzedzia", "magazyny", "lokalizacje", "miejsca_uzytkowania", "pracownicy",
                          "kategorie_narzedzi", "uzytkownicy", "ov_uprawnienia_mgz", "ov_uprawnienia_admin",
                          "przesuniecia_mm", "przypisane_narzedzia_pracownikom", "naprawy_przeglady", "zestawy", "historia_zmian"}) {
        static const QHash<QString, QString> names{
                {s("narzedzia"), s("Narzędzia")}, {s("magazyny"), s("Magazyny")}, {s("lokalizacje"), s("Lokalizacje")},
                {s("miejsca_uzytkowania"), s("Miejsca użytkowania")}, {s("pracownicy"), s("Pracownicy")},
                {s("kategorie_narzedzi"), s("Kategorie narzędzi")}, {s("uzytkownicy"), s("Użytkownicy")},
                {s("ov_uprawnienia_mgz"), s("Kierownicy magazynów")},
                {s("ov_uprawnienia_admin"), s("Prawa administratora")}, {s("przesuniecia_mm"), s("Przesunięcia MM")},
                {s("przypisane_narzedzia_pracownikom"), s("Przypisane narzędzia")},
                {s("naprawy_przeglady"), s("Naprawy i przeglądy")}, {s("zestawy"), s("Zestawy")},
                {s("historia_zmian"), s("Historia zmian")}};
        tables << qMakePair(names.value(QLatin1String(t)), QStringLiteral("hz_tabela = '%1'").arg(QLatin1String(t)));
    }
    addSearchChoice(s("ewidencja"), s("Ewidencja"), tables);
    // Periods as the index on the time serves them.
    addSearchChoice(s("okres"), s("Okres"),
                    {{s("cały"), QString()},
                     {s("dziś"), s("hz_czas >= current_date")},
                     {s("ostatnie 7 dni"), s("hz_czas >= current_date - 7")},
                     {s("ostatnie 30 dni"), s("hz_czas >= current_date - 30")},
                     {s("ten rok"), s("hz_czas >= date_trunc('year', current_date)")},
                     {s("starsze niż rok"), s("hz_czas < current_date - 365")}});
}

QVector<int> HistoriaZmianModel::hiddenColumns(QString context)
{
    QVector<int> cols = TAVTableModel::hiddenColumns(context);
    for (const char *c : {"hz_tabela", "hz_operacja", "hz_fk_nrz", "hz_fk_uzt"})
        cols << fieldIndex(QLatin1String(c));
    // Under a record the record is known.
    if (context.startsWith(QLatin1String("HISTORIA:")))
        cols << fieldIndex(s("hz_tabela_nazwa")) << fieldIndex(s("hz_klucz"));
    return cols;
}

QString HistoriaZmianModel::contextCondition() const
{
    if (!context().startsWith(QLatin1String("HISTORIA:")))
        return QString();
    QString table = context().mid(9);
    table.remove(QLatin1Char('\''));
    return QStringLiteral("hz_tabela = '%1'").arg(table);
}
