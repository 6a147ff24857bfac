#include "NaprawyPrzegladyModel.h"

#include "MovementForm.h"
#include "MovementStrategies.h"
#include "TAVContext.h"
#include "TAVItemDelegate.h"

NaprawyPrzegladyModel::NaprawyPrzegladyModel(QObject *parent) : TAVModel(parent)
{
    addFlagColumn<StatusRealizacjiDisplayTextStrategy>(QStringLiteral("np_status"), FlagPaint::OpenGreenDoneGrey);
    addFlagColumn<NaprawyPrzegladyTypDisplayTextStrategy>(QStringLiteral("np_typ"), FlagPaint::SameAsRow);
}

QVector<int> NaprawyPrzegladyModel::hiddenColumns(QString context)
{
    QVector<int> cols = TAVTableModel::hiddenColumns(context);
    cols << fieldIndex(QStringLiteral("np_fk_stn_wyd")) << fieldIndex(QStringLiteral("np_fk_stn_prz"))
         << fieldIndex(QStringLiteral("np_typ_text"));
    for (int c = 0; c < columnCount(); ++c) {
        if (headerData(c, Qt::Horizontal).toString() == record().fieldName(c).toUpper())
            cols << c;
    }
    return cols;
}

void NaprawyPrzegladyModel::setNames()
{
    setTableName(QStringLiteral("naprawy_przeglady"));
    setViewName(QStringLiteral("v_naprawy_przeglady"));
    setRecordReportName(QStringLiteral("naprawaprzeglad"));
    setTableReportName(QStringLiteral("naprawy_przeglady_table"));
    addDetailReport(QStringLiteral("naprawyprzeglady_nrz"), QStringLiteral("np_fk_nrz"));
}

void NaprawyPrzegladyModel::setHeaders()
{
    for (const char *k : {"np_id", "np_fk_nrz", "np_fk_mgz", "np_fk_uzt_wyd", "np_fk_uzt_prz", "np_typ_text",
                          "nrz_fk_mgz"})
        setHeader(QLatin1String(k), QString::fromLatin1(k).toUpper());
    setHeader(QStringLiteral("np_typ"), QStringLiteral("Rodzaj"));
    setHeader(QStringLiteral("np_data_wyd"), QStringLiteral("Data wyd."), QStringLiteral("Data wydania"));
    setHeader(QStringLiteral("np_data_prz"), QStringLiteral("Data prz."), QStringLiteral("Data przyjęcia"));
    setHeader(QStringLiteral("np_fk_stn_wyd"), QStringLiteral("Stan narz. - wyd."), QStringLiteral("Stan narzędzia - wydanie"));
    setHeader(QStringLiteral("np_fk_stn_prz"), QStringLiteral("Stan narz. - prz."),
              QStringLiteral("Stan narzędzia - przyjęcie"));
    setHeader(QStringLiteral("np_uwagi_wyd"), QStringLiteral("Uwagi - wyd."), QStringLiteral("Uwagi - wydanie"));
    setHeader(QStringLiteral("np_uwagi_prz"), QStringLiteral("Uwagi - prz."), QStringLiteral("Uwagi - przyjęcie"));
    setHeader(QStringLiteral("np_status"), QStringLiteral("Status"), QStringLiteral("Status realizacji"));
    setAuditHeaders();
    setHeader(QStringLiteral("nrz_kod"), QStringLiteral("Kod narzędzia"));
    setHeader(QStringLiteral("nrz_nazwa"), QStringLiteral("Nazwa narzędzia"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Symbol mag."), QStringLiteral("Symbol magazynu"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa mag."), QStringLiteral("Nazwa magazynu"));
    MovementForm::userHeaders([this](const QString &c, const QString &l, const QString &t) { setHeader(c, l, t); },
                              QStringLiteral("wyd"), QStringLiteral("prz"));
    setHeader(QStringLiteral("stn_wyd_nazwa"), QStringLiteral("Stan narz. - wyd."), QStringLiteral("Stan narzędzia - wydanie"));
    setHeader(QStringLiteral("stn_prz_nazwa"), QStringLiteral("Stan narz. - prz."),
              QStringLiteral("Stan narzędzia - przyjęcie"));
    setHeader(QStringLiteral("np_dni_poza"), QStringLiteral("Dni poza magazynem"),
              QStringLiteral("Ile dni narzędzie jest poza magazynem (dla nieprzyjętych)"));
}

void NaprawyPrzegladyModel::createActions()
{
    addAction(QStringLiteral("NaprawyWydajCommand"), QStringLiteral("Wydaj do naprawy"), QString(), QString(), false);
    addAction(QStringLiteral("NaprawyPrzyjmijCommand"), QStringLiteral("Przyjmij z naprawy"));
    addAction(QStringLiteral("PrzegladyWydajCommand"), QStringLiteral("Wydaj do przeglądu"), QString(), QString(), false);
    addAction(QStringLiteral("PrzegladyPrzyjmijCommand"), QStringLiteral("Przyjmij z przeglądu"));
}

void NaprawyPrzegladyModel::setActions(QString _context)
{
    TAVTableModel::setActions(_context);
    if (_context != TAVContext::Main && _context != TAVContext::RepairsOfTool)
        return;
    clearActions();
    addAction(QStringLiteral("NaprawyPrzyjmijCommand"), QStringLiteral("Przyjmij z naprawy"));
    addAction(QStringLiteral("PrzegladyPrzyjmijCommand"), QStringLiteral("Przyjmij z przeglądu"));
}

void NaprawyPrzegladyModel::createColumnsOrder()
{
    for (const char *column : {"np_status", "nrz_kod", "nrz_nazwa", "mgz_symbol", "mgz_nazwa", "np_data_wyd",
                               "stn_wyd_nazwa", "np_data_prz", "stn_prz_nazwa", "np_uwagi_wyd", "np_uwagi_prz"})
        addColumnOrder(QLatin1String(column), 0);
}

void NaprawyPrzegladyModel::createSearchFields()
{
    addSearchField(QStringLiteral("np_status"), StatusSearch);
    addSearchFields({QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa"), QStringLiteral("mgz_symbol"),
                     QStringLiteral("mgz_nazwa"), QStringLiteral("uzt_wyd_imie"), QStringLiteral("uzt_wyd_nazwisko"),
                     QStringLiteral("uzt_wyd_login"), QStringLiteral("uzt_prz_imie"), QStringLiteral("uzt_prz_nazwisko"),
                     QStringLiteral("uzt_prz_login"), QStringLiteral("np_uwagi_wyd"), QStringLiteral("np_uwagi_prz")});
    addSearchChoice(QStringLiteral("rodzaj"), QStringLiteral("Rodzaj"),
                    {{QStringLiteral("wszystkie"), QString()},
                     {QStringLiteral("Naprawa"), QStringLiteral("np_typ = 0")},
                     {QStringLiteral("Przegląd"), QStringLiteral("np_typ = 1")}});
    QList<QPair<QString, QString>> away{{QStringLiteral("wszystkie"), QString()}};
    for (int days : {7, 14, 30, 60, 90})
        away.append({QStringLiteral("dłużej niż %1 dni").arg(days), QStringLiteral("np_dni_poza > %1").arg(days)});
    addSearchChoice(QStringLiteral("poza"), QStringLiteral("Poza magazynem"), away);
}
