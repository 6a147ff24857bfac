#include "ZestawyModel.h"

#include <QAction>

ZestawyModel::ZestawyModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    // Kit labels carry the kit's code.
    setScanColumns({QStringLiteral("zst_kod")});
    // Whether a kit is complete follows its tools.
    addDependency(QStringLiteral("narzedzia"), QStringLiteral("nrz_fk_zst"));
}

void ZestawyModel::setNames()
{
    setTableName(QStringLiteral("zestawy"));
    setViewName(QStringLiteral("v_zestawy"));
}

void ZestawyModel::setHeaders()
{
    setHeader(QStringLiteral("zst_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("zst_kod"), QStringLiteral("Kod zestawu"));
    setHeader(QStringLiteral("zst_nazwa"), QStringLiteral("Nazwa"));
    setHeader(QStringLiteral("zst_fk_mgz"), QStringLiteral("ZST_FK_MGZ"));
    setHeader(QStringLiteral("zst_uwagi"), QStringLiteral("Uwagi"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Symbol mag."), QStringLiteral("Symbol magazynu"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa mag."), QStringLiteral("Nazwa magazynu"));
    setHeader(QStringLiteral("zst_liczba_narzedzi"), QStringLiteral("Narzędzi"));
    setHeader(QStringLiteral("zst_brakuje"), QStringLiteral("Poza magazynem"),
              QStringLiteral("Ile narzędzi zestawu nie ma teraz na stanie magazynu"));
    setHeader(QStringLiteral("zst_stan"), QStringLiteral("Stan zestawu"));
    setAuditHeaders();
    hideColumns({QStringLiteral("zst_fk_mgz")});
}

void ZestawyModel::createActions()
{
    addAction(QStringLiteral("ZestawyCmdDodaj"), QStringLiteral("Dodaj"), QString(), QString(), false);
    addAction(QStringLiteral("ZestawyCmdEdytuj"), QStringLiteral("Edytuj"));
    addAction(QStringLiteral("ZestawyCmdKasuj"), QStringLiteral("Kasuj"));
    addAction(QStringLiteral("ZestawyCmdWydajPracownikowi"), QStringLiteral("Wydaj zestaw pracownikowi"));
    addAction(QStringLiteral("ZestawyCmdPrzyjmijOdPracownika"), QStringLiteral("Przyjmij zestaw od pracownika"),
              QStringLiteral("Zwrot zestawu skanowaniem narzędzi; braki do protokołu"));
    addAction(QStringLiteral("ZestawyCmdWydajNaMagazyn"), QStringLiteral("Wydaj zestaw na inny magazyn"));
    addAction(QStringLiteral("ZestawyCmdWyslijDoNaprawy"), QStringLiteral("Wyślij zestaw do naprawy"));
    addAction(QStringLiteral("ZestawyCmdWyslijDoPrzegladu"), QStringLiteral("Wyślij zestaw do przeglądu"));
    addAction(QStringLiteral("ZestawyCmdEtykieta"), QStringLiteral("Drukuj etykietę zestawu"),
              QStringLiteral("Etykieta z kodem zestawu jako kodem kreskowym i kodem QR"));
    // The toolbar of kits needs no "zestaw" on every button, and leaves room
    // for the scan field: short captions in two lines under the icons.
    for (QAction *action : actions()) {
        QString text = action->text();
        text.remove(QStringLiteral(" zestawu")).remove(QStringLiteral(" zestaw"));
        int middle = -1;
        for (int i = text.indexOf(QLatin1Char(' ')); i > 0; i = text.indexOf(QLatin1Char(' '), i + 1)) {
            if (middle < 0 || qAbs(i - text.size() / 2) < qAbs(middle - text.size() / 2))
                middle = i;
        }
        action->setIconText(text.size() > 12 && middle > 0 ? text.left(middle) + QLatin1Char('\n') + text.mid(middle + 1)
                                                           : text);
    }
}

void ZestawyModel::createColumnsOrder()
{
    for (const char *column : {"zst_kod", "zst_nazwa", "zst_stan", "mgz_symbol"})
        addColumnOrder(QLatin1String(column), 0);
}

void ZestawyModel::createSearchFields()
{
    addSearchFields({QStringLiteral("zst_kod"), QStringLiteral("zst_nazwa"), QStringLiteral("mgz_symbol")});
    addSearchChoice(QStringLiteral("stan"), QStringLiteral("Stan zestawu"),
                    {{QStringLiteral("wszystkie"), QString()},
                     {QStringLiteral("kompletne"), QStringLiteral("zst_brakuje = 0")},
                     {QStringLiteral("niekompletne"), QStringLiteral("zst_brakuje > 0")}});
}

ZestawyNarzedziaModel::ZestawyNarzedziaModel(QObject *parent) : TAVModel(parent)
{
    setScanColumns({});
}

void ZestawyNarzedziaModel::createActions()
{
    addAction(QStringLiteral("ZestawyCmdDodajNarzedzie"), QStringLiteral("Dodaj do zestawu"), QString(), QString(), false);
    addAction(QStringLiteral("ZestawyCmdUsunNarzedzie"), QStringLiteral("Usuń z zestawu"));
}
