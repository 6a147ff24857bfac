// Printing: every carried definition against the demo data, the failures of
// the common print, the print dialog, labels, exports and orvalo-report.
#include "ModalDriver.h"
#include "PdfText.h"
#include "TestDb.h"

#include "Exporters.h"
#include "OrvReports.h"
#include "QueryTemplate.h"
#include "ReportPreviewDialog.h"
#include "ToolLabels.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWidget>
#include <QtTest>

using namespace OrvReports;

namespace {

int toolId(const QString &code)
{
    return TestDb::scalar(QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_kod = ?"), {code}).toInt();
}

QStringList codes(const QString &sql)
{
    QStringList out;
    QSqlQuery q(QSqlDatabase::database());
    if (q.exec(sql))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QWidget m_parent;
    QString m_today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));

    QString print(const QString &name, ParameterList params, const QMap<QString, QString> &replace, ModalDriver *driver)
    {
        const QString file = m_dir.filePath(name + QStringLiteral(".pdf"));
        if (!printReport(&m_parent, name, params, replace, OutputMode::Pdf, file))
            return QStringLiteral("<nie wydrukowano: %1>").arg(driver->count() ? driver->last().text : QString());
        return pdfText(file);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(TestDb::resetDatabase());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
        db.setHostName(TestDb::host());
        db.setPort(TestDb::port());
        db.setDatabaseName(QStringLiteral("TAV_ORV"));
        db.setUserName(TestDb::clientUser());
        db.setPassword(TestDb::clientPassword());
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QVERIFY(m_dir.isValid());
    }

    void everyDefinitionPrints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("detail");   // %1: the key; empty for record reports
        QTest::addColumn<QStringList>("expected");
        const int el003 = toolId(QStringLiteral("EL-003")), el004 = toolId(QStringLiteral("EL-004"));
        const int sp002 = toolId(QStringLiteral("SP-002"));
        const int el010Issue = TestDb::scalar(QStringLiteral(
                "SELECT pnp_id FROM przypisane_narzedzia_pracownikom p JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz "
                "WHERE n.nrz_kod = 'EL-010'")).toInt();
        auto table = [](const char *n, QStringList e) { QTest::newRow(n) << QString::fromLatin1(n) << -1 << QString() << e; };
        auto record = [](const char *n, int id, QStringList e) { QTest::newRow(n) << QString::fromLatin1(n) << id << QString() << e; };
        auto detail = [](const char *n, int id, const char *sql, QStringList e) {
            QTest::newRow(n) << QString::fromLatin1(n) << id << QString::fromLatin1(sql) << e;
        };
        table("kategorie_narzedzi_table", {"Kategorie narzędzi", "Komentarz", "Elektronarzędzia", "Liczba kategorii: 8"});
        table("magazyny_table", {"Magazyny", "Symbol Nazwa Aktywny Adres Opis", "MG_BUDOWA1", "Nieaktywny"});
        table("miejsca_uzytkowania_table", {"Miejsca użytkowania", "Kod Nazwa Aktywny", "ZW-ETAP1"});
        table("pracownicy_table", {"Pracownicy", "Telefon kontaktowy", "Kowalski", "Niezatrudniony"});
        table("narzedzia_table", {"Narzędzia", "Numer ewidencyjny", "Kod kreskowy", "EL-001", "Liczba narzędzi: 50"});
        table("uzytkownicy_table", {"Użytkownicy", "Login", "kierownik"});
        table("przesunieciamm_table", {"Przesunięcia MM", "Symbol mag. źr.", "EL-014", "W trakcie"});
        table("przypisane_narzedzia_pracownikom_table", {"Przypisane narzędzia pracownikom", "Nazwisko pracownika", "Jankowska"});
        table("naprawy_przeglady_table", {"Naprawy i przeglądy", "Uwagi - wyd.", "PRZEGLĄD"});
        table("przeglady_narzedzi", {"Przeglądy narzędzi", "Magazyn MG_GLOWNY", "PM-005", "po terminie", "Narzędzi do przeglądu: 5"});
        record("pracownik", 1, {"Karta informacyjna pracownika", "Stanowisko Brygadzista", "Zatrudniony tak"});
        record("narzedzie", toolId(QStringLiteral("EL-001")), {"Karta informacyjna narzędzia", "Nr ewidencyjny INW/2021/0001", "Brak zdjęcia"});
        record("uzytkownik", 2, {"Karta informacyjna użytkownika", "Login kierownik"});
        record("przesunieciemm", 1, {"Karta informacyjna przesunięcia MM", "Nazwa mag. źr.", "EL-014", "Podpis przyjmującego"});
        record("przypisane_narzedzia_prc", el010Issue, {"Karta informacyjna wydania narzędzia", "EL-010",
                                                       "Podpis pracownika Jan Kowalski", "Podpis wydającego Krzysztof Zieliński"});
        record("naprawaprzeglad", 1, {"Karta informacyjna", "Rodzaj NAPRAWA", "EL-003"});
        detail("narzedzia_mgz", 2, "SELECT * FROM v_narzedzia WHERE nrz_fk_mgz = %1 ORDER BY nrz_kod",
               {"Zestawienie narzędzi na magazynie", "MG_BUDOWA1", "EL-010", "Liczba narzędzi: 13"});
        detail("przesunieciamm_wydane_mgz", 1, "SELECT * FROM v_przesuniecia_mm WHERE psnmm_fk_mgz_src = %1",
               {"Zestawienie przesunięć MM - wydane", "Symbol mag. doc.", "EL-002"});
        detail("przesunieciamm_przyjete_mgz", 3, "SELECT * FROM v_przesuniecia_mm WHERE psnmm_fk_mgz_dst = %1",
               {"Zestawienie przesunięć MM - przyjęte", "MB-002"});
        detail("przesunieciamm_nrz", el004, "SELECT * FROM v_przesuniecia_mm WHERE psnmm_fk_nrz = %1",
               {"Zestawienie przesunięć MM narzędzia", "EL-004", "W trakcie"});
        detail("przypisane_narzedzia_pracownikom_prc", 1, "SELECT * FROM v_przypisane_narzedzia_pracownikom WHERE pnp_fk_prc = %1",
               {"Zestawienie przypisanych narzędzi pracownikowi", "Jan Kowalski", "EL-010"});
        detail("przypisane_narzedzia_pracownikom_muz", 2, "SELECT * FROM v_przypisane_narzedzia_pracownikom WHERE pnp_fk_muz = %1",
               {"Zestawienie przypisanych narzędzi do miejsca użytkowania", "EL-013", "PM-003"});
        detail("przypisane_narzedzia_pracownikom_nrz", sp002, "SELECT * FROM v_przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = %1",
               {"Zestawienie wydań narzędzia pracownikom", "Imię pracownika", "Szymański"});
        detail("naprawyprzeglady_nrz", el003, "SELECT * FROM v_naprawy_przeglady WHERE np_fk_nrz = %1",
               {"Zestawienie napraw i przeglądów narzędzia", "Stan narz. - wyd.", "Wymieniono silnik"});
    }

    void everyDefinitionPrints()
    {
        QFETCH(QString, name);
        QFETCH(int, id);
        QFETCH(QString, detail);
        QFETCH(QStringList, expected);
        ModalDriver driver;
        ParameterList params;
        QMap<QString, QString> replace;
        if (id > 0)
            params.append(QStringLiteral("TAV_ID"), id);
        else
            replace.insert(QStringLiteral("%TAV_QUERY_WHERE%"), QString());
        if (!detail.isEmpty())
            replace.insert(QStringLiteral("%TAV_DETAIL_QUERY%"), detail.arg(id));
        const QString text = print(name, params, replace, &driver);
        QCOMPARE(driver.count(), 0);
        expected << QStringLiteral("Data wydruku: ") + m_today << QStringLiteral("Wydruk z programu Orvalo")
                 << QStringLiteral("Strona 1 z 1");
        if (name == QLatin1String("narzedzia_table"))
            expected.last() = QStringLiteral("Strona 1 z ");
        for (const QString &e : std::as_const(expected))
            QVERIFY2(text.contains(e), qPrintable(QStringLiteral("„%1” missing in: %2").arg(e, text.left(600))));
    }

    // The register's filter reaches the query as the register wrote it:
    // apostrophes, percent signs (also before digits), &, <, backslashes
    // and Polish letters; the print lists exactly the rows the query finds.
    void tablePrintListsTheFilteredRows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("apostrophe and Polish letters") << QStringLiteral("nrz_nazwa ILIKE '%''Ząb''%'");
        QTest::newRow("percent before digits") << QStringLiteral("nrz_nazwa ILIKE '%30%'");
        QTest::newRow("ampersand, markup, backslash") << QStringLiteral("nrz_uwagi = 'A&B <c> ]]> \\ d'");
        QTest::newRow("nothing matches") << QStringLiteral("nrz_kod = 'NIE-MA'");
    }

    void tablePrintListsTheFilteredRows()
    {
        QFETCH(QString, filter);
        QVERIFY(TestDb::exec(QStringLiteral(
                "INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz, nrz_uwagi, stworzono, zmodyfikowano) "
                "SELECT v.k, v.n, 1, v.u, now(), now() FROM (VALUES "
                "('TST-1', 'Klucz ''Ząb'' 50% łódź', 'A&B <c> ]]> \\ d'), ('TST-2', 'Przymiar 30 cm', NULL)) v(k, n, u) "
                "WHERE NOT EXISTS (SELECT 1 FROM narzedzia WHERE nrz_kod = v.k)")));
        ModalDriver driver;
        ParameterList params;
        const QString text = print(QStringLiteral("narzedzia_table"), params,
                                   {{QStringLiteral("%TAV_QUERY_WHERE%"), QStringLiteral(" WHERE ") + filter}}, &driver);
        QCOMPARE(driver.count(), 0);
        const QStringList expected = codes(QStringLiteral("SELECT nrz_kod FROM v_narzedzia WHERE ") + filter);
        const QStringList all = codes(QStringLiteral("SELECT nrz_kod FROM narzedzia"));
        for (const QString &code : all) {
            const bool shown = QRegularExpression(QStringLiteral("(^| )%1 ").arg(QRegularExpression::escape(code)))
                                       .match(text).hasMatch();
            QVERIFY2(shown == expected.contains(code), qPrintable(code + QStringLiteral(": ") + text.left(400)));
        }
        QVERIFY(text.contains(QStringLiteral("Liczba narzędzi: %1").arg(expected.size())));
        if (expected.isEmpty())
            QVERIFY(text.contains(QStringLiteral("Brak pozycji do wydrukowania.")));
    }

    // The register's order comes first; the key breaks ties.
    void tablePrintFollowsTheRegistersOrder()
    {
        ModalDriver driver;
        ParameterList params;
        const QString where = QStringLiteral(" WHERE nrz_kod LIKE 'EL-0%'");
        const QString text = print(QStringLiteral("narzedzia_table"), params,
                                   {{QStringLiteral("%TAV_QUERY_WHERE%"), where},
                                    {QStringLiteral("%TAV_QUERY_ORDER%"), QStringLiteral("nrz_nazwa DESC NULLS FIRST, nrz_id DESC, ")}},
                                   &driver);
        const QStringList expected = codes(QStringLiteral("SELECT nrz_kod FROM v_narzedzia") + where
                                           + QStringLiteral(" ORDER BY nrz_nazwa DESC, nrz_id DESC"));
        QVERIFY(expected.size() > 3);
        int at = -1;
        for (const QString &code : expected) {
            const int next = text.indexOf(code + QLatin1Char(' '), at + 1);
            QVERIFY2(next > at, qPrintable(code + QStringLiteral(": ") + text.left(600)));
            at = next;
        }
    }

    void longTablesRepeatTheirHeaderAndKeepRowsWhole()
    {
        ModalDriver driver;
        ParameterList params;
        const QString file = m_dir.filePath(QStringLiteral("dlugi.pdf"));
        QVERIFY(printReport(&m_parent, QStringLiteral("narzedzia_table"), params,
                            {{QStringLiteral("%TAV_QUERY_WHERE%"), QString()}}, OutputMode::Pdf, file));
        const QString all = pdfText(file);
        const QString pages = QRegularExpression(QStringLiteral("Strona 1 z (\\d+)")).match(all).captured(1);
        QVERIFY(pages.toInt() >= 2);
        for (int page = 2; page <= pages.toInt(); ++page) {
            const QString text = pdfText(file, page);
            QVERIFY(text.contains(QStringLiteral("Kod Nazwa Kategoria Stan techniczny Numer ewidencyjny")));
            QVERIFY(text.contains(QStringLiteral("Strona %1 z %2").arg(page).arg(pages)));
        }
        // Each tool once, with its name whole next to its code; words are
        // never broken across lines.
        for (const QString &code : codes(QStringLiteral("SELECT nrz_kod FROM narzedzia")))
            QCOMPARE(all.count(QRegularExpression(QStringLiteral("(^| )%1 ").arg(QRegularExpression::escape(code)))), 1);
        // (the PDF's text gives ligatures as one letter)
        const QString text = QString(all).replace(QChar(0xFB01), QStringLiteral("fi")).replace(QChar(0xFB02), QStringLiteral("fl"));
        for (const QString &name : codes(QStringLiteral("SELECT ktr_nrz_nazwa || ' ' || nrz_nazwa FROM v_narzedzia"))) {
            for (const QString &word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                QVERIFY2(text.contains(word), qPrintable(word));
        }
    }

    void toolCardShowsThePhoto()
    {
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && photo.save(&buffer, "JPG"));
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_zdjecie = ? WHERE nrz_kod = 'EL-005'"),
                             {QString::fromLatin1(jpeg.toBase64())}));
        ModalDriver driver;
        ParameterList params;
        params.append(QStringLiteral("TAV_ID"), toolId(QStringLiteral("EL-005")));
        const QString text = print(QStringLiteral("narzedzie"), params, {}, &driver);
        QVERIFY(text.contains(QStringLiteral("EL-005")) && !text.contains(QStringLiteral("Brak zdjęcia")));
        const QStringList images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"),
                                       m_dir.filePath(QStringLiteral("narzedzie.pdf"))}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 3);   // two header lines, one image
    }

    void queryTemplatesBindValuesAndSkipLiterals()
    {
        ParameterList params;
        params.append(QStringLiteral("X"), QStringLiteral("5"));
        BoundQuery q;
        QString error;
        QVERIFY(expandQuery(QStringLiteral("select '<? value(\"X\") ?>', <? value(\"X\") ?> <? if exists(\"Y\") ?>a"
                                           "<? else ?><? if exists(\"X\") ?>b<? endif ?><? endif ?>"),
                            params, {{QStringLiteral("X"), QStringLiteral("integer")}}, &q, &error));
        QCOMPARE(q.sql, QStringLiteral("select '<? value(\"X\") ?>', ? b"));
        QCOMPARE(q.binds, QVariantList{QVariant(qlonglong(5))});
        QVERIFY(!expandQuery(QStringLiteral("select 1 <? if exists(\"X\") ?>"), params, {}, &q, &error));
        QCOMPARE(error, QStringLiteral("Brak znacznika „endif” w zapytaniu."));
    }

    void failuresEndInOneBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("withId");
        QTest::addColumn<bool>("withWhere");
        QTest::addColumn<QStringList>("boxes");   // titles then texts of the boxes, in order
        const QString title = failureTitle();
        QTest::newRow("no name, no key") << QString() << false << false
                                         << QStringList{title, "Nie podano schematu raportu. Brak parametru TAV_ID." + failureSuffix()};
        QTest::newRow("no name") << QString() << true << false << QStringList{title, "Nie podano schematu raportu." + failureSuffix()};
        QTest::newRow("record without row") << "narzedzie" << false << false
                                            << QStringList{title, " Brak parametru TAV_ID." + failureSuffix()};
        QTest::newRow("missing definition") << "nie_ma_takiego" << true << false
                                            << QStringList{title, "Nie odnaleziono schematu raportu do wydrukowania." + failureSuffix()};
        QTest::newRow("malformed XML") << "zepsuty_xml" << false << true
                                       << QStringList{title, "Schemat raportu nie został poprawnie przetworzony." + failureSuffix()};
        QTest::newRow("rejected definition") << "zla_definicja" << false << true
                                             << QStringList{"Błąd raportu", "Nieznane zapytanie „nie_ma_takiego” (wiersz 4).",
                                                            title, "Generowanie raportu nie powiodło się." + failureSuffix()};
        QTest::newRow("query fails") << "zle_zapytanie" << false << true
                                     << QStringList{"Błąd raportu", "", title, "Generowanie raportu nie powiodło się." + failureSuffix()};
    }

    void failuresEndInOneBox()
    {
        QFETCH(QString, name);
        QFETCH(bool, withId);
        QFETCH(bool, withWhere);
        QFETCH(QStringList, boxes);
        ModalDriver driver;
        ParameterList params;
        if (withId)
            params.append(QStringLiteral("TAV_ID"), 1);
        QMap<QString, QString> replace;
        if (withWhere)
            replace.insert(QStringLiteral("%TAV_QUERY_WHERE%"), QString());
        for (int i = 0; i + 1 < boxes.size(); i += 2)
            driver.expectBox(boxes.at(i), boxes.at(i + 1).isEmpty() ? QString() : boxes.at(i + 1));
        const QString file = m_dir.filePath(QStringLiteral("niedoszly.pdf"));
        QVERIFY(!printReport(&m_parent, name, params, replace, OutputMode::Pdf, file));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(driver.count(), boxes.size() / 2);
        for (int i = 0; i < driver.count(); ++i) {
            QCOMPARE(driver.seen().at(i).title, boxes.at(2 * i));
            if (!boxes.at(2 * i + 1).isEmpty())
                QCOMPARE(driver.seen().at(i).text, boxes.at(2 * i + 1));
        }
    }

    void cancellingThePrintDialogPrintsAndShowsNothing()
    {
        ModalDriver driver;
        ParameterList params;
        driver.onNext([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
        QVERIFY(!printReport(&m_parent, QStringLiteral("magazyny_table"), params,
                             {{QStringLiteral("%TAV_QUERY_WHERE%"), QString()}}, OutputMode::Printer));
        QCOMPARE(driver.count(), 1);
        QVERIFY2(driver.last().className.contains(QLatin1String("PrintDialog")), qPrintable(driver.last().className));
    }

    void previewOpensOnTheFirstPage()
    {
        ModalDriver driver;
        int ready = 0, current = -1;
        driver.onNext([&](QWidget *w) {
            auto *preview = qobject_cast<ReportPreviewDialog *>(w);
            QVERIFY(preview);
            // At page width from the start, with drawn page buttons.
            auto *scroll = preview->findChild<QScrollArea *>();
            QVERIFY(scroll->widget()->width() >= scroll->viewport()->width() * 9 / 10);
            for (QToolButton *b : preview->findChildren<QToolButton *>())
                QVERIFY2(!b->icon().isNull(), qPrintable(b->toolTip()));
            ready = preview->pagesReady();
            current = preview->currentPage();
            preview->accept();
        });
        ParameterList params;
        QVERIFY(printReport(&m_parent, QStringLiteral("narzedzia_table"), params,
                            {{QStringLiteral("%TAV_QUERY_WHERE%"), QString()}}, OutputMode::Preview));
        QCOMPARE(driver.count(), 1);
        QVERIFY(ready >= 1);
        QCOMPARE(current, 0);
    }

    void labelCodesScanBackToTheToolCode()
    {
        QString error;
        const QList<ToolLabel> labels = loadToolLabels({toolId(QStringLiteral("RE-003")), toolId(QStringLiteral("EL-001"))}, &error);
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels.first().code, QStringLiteral("RE-003"));
        // A kit's label carries the kit's code and how many tools it holds.
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO zestawy (zst_kod, zst_nazwa, zst_fk_mgz) VALUES ('ZS-ET', 'Etykieta', 1)")));
        const int kit = TestDb::scalar(QStringLiteral("SELECT zst_id FROM zestawy WHERE zst_kod = 'ZS-ET'")).toInt();
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = ? WHERE nrz_id = ?"), {kit, toolId(QStringLiteral("EL-001"))}));
        const QList<ToolLabel> kitLabels = loadKitLabels({kit}, &error);
        TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = NULL WHERE nrz_fk_zst = ?"), {kit});
        TestDb::exec(QStringLiteral("DELETE FROM zestawy WHERE zst_id = ?"), {kit});
        QCOMPARE(kitLabels.size(), 1);
        QCOMPARE(kitLabels.first().code + QLatin1Char('|') + kitLabels.first().inventoryNumber,
                 QStringLiteral("ZS-ET|Zestaw, narzędzi: 1"));
        const QString png = m_dir.filePath(QStringLiteral("etykieta.png"));
        QVERIFY(renderLabel(labels.first(), LabelOptions(), 600).save(png));
        const QStringList found = run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), png}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(found.contains(QStringLiteral("QR-Code:RE-003")), qPrintable(found.join(QLatin1Char('|'))));
        QVERIFY2(found.contains(QStringLiteral("CODE-128:RE-003")), qPrintable(found.join(QLatin1Char('|'))));

        LabelOptions sheet;
        sheet.sheet = true;
        const QString pdf = m_dir.filePath(QStringLiteral("etykiety.pdf"));
        QVERIFY(exportLabelsToPdf(pdf, labels, sheet));
        const QString text = pdfText(pdf);
        QVERIFY(text.contains(QStringLiteral("INW/2021/0103")) && text.contains(QStringLiteral("EL-001")));
    }

    void exportsReadBack()
    {
        const QString sql = QStringLiteral("SELECT nrz_kod, nrz_nazwa, nrz_wartosc, nrz_przyjete_na_stan, nrz_przeglad, nrz_uwagi "
                                           "FROM v_narzedzia WHERE nrz_kod IN ('RE-003', 'EL-004', 'RE-001') ORDER BY nrz_kod");
        const QList<ExportColumn> columns{{QStringLiteral("nrz_kod"), QStringLiteral("Kod"), {}},
                                          {QStringLiteral("nrz_nazwa"), QStringLiteral("Nazwa"), {}},
                                          {QStringLiteral("nrz_wartosc"), QStringLiteral("Wartość"), {}},
                                          {QStringLiteral("nrz_przyjete_na_stan"), QStringLiteral("Na stanie"),
                                           {{QStringLiteral("true"), QStringLiteral("Tak")}, {QStringLiteral("false"), QStringLiteral("Nie")}}},
                                          {QStringLiteral("nrz_przeglad"), QStringLiteral("Przegląd"), {}},
                                          {QStringLiteral("nrz_uwagi"), QStringLiteral("Uwagi"), {}}};
        const QString csv = m_dir.filePath(QStringLiteral("narzedzia.csv"));
        QString error;
        QVERIFY2(exportQuery(ExportFormat::Csv, sql, columns, csv, {}, &error), qPrintable(error));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QDate due = QDate::currentDate().addDays(120);
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.value(0), QStringLiteral("Kod;Nazwa;Wartość;Na stanie;Przegląd;Uwagi"));
        QCOMPARE(lines.value(1), QStringLiteral("EL-004;Młot udarowo-obrotowy Hilti TE 30-A36;5890,00;Nie;;Z walizką i dwoma akumulatorami."));
        QCOMPARE(lines.value(2), QStringLiteral("RE-001;Klucz dynamometryczny 40-200 Nm Yato;329,00;Tak;%1;").arg(due.toString(QStringLiteral("dd.MM.yyyy"))));
        QCOMPARE(lines.value(3), QStringLiteral("RE-003;\"Zestaw kluczy nasadowych 1/2\"\" 94 el. Stanley\";459,00;Tak;;"));
        // Whatever a spreadsheet would run as a formula stays text.
        for (const char *formula : {"=SUMA(A1)", "+48 600", "-2+3", "@SUMA(A1)", "\tTAB", "\r=1"}) {
            const QString field = csvField(QString::fromUtf8(formula));
            QVERIFY2(field.startsWith(QLatin1String("'")) || field.startsWith(QLatin1String("\"'")), formula);
        }
        QCOMPARE(csvField(QStringLiteral("a=b")), QStringLiteral("a=b"));

        const QString xlsx = m_dir.filePath(QStringLiteral("narzedzia.xlsx"));
        QVERIFY2(exportQuery(ExportFormat::Xlsx, sql, columns, xlsx, {}, &error), qPrintable(error));
        const QString sheet = run(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QStringLiteral("xl/worksheets/sheet1.xml")});
        for (const QString &e : {QStringLiteral("Młot udarowo-obrotowy Hilti TE 30-A36"), QStringLiteral("<v>5890</v>"),
                                 QStringLiteral("Zestaw kluczy nasadowych 1/2\" 94 el. Stanley"), QStringLiteral("Na stanie")})
            QVERIFY2(sheet.contains(e), qPrintable(e + QStringLiteral(" in ") + sheet.left(800)));
        // Real numbers and dates, shown the Polish way by their formats.
        const QString styles = run(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QStringLiteral("xl/styles.xml")});
        QVERIFY2(styles.contains(QLatin1String("#,##0.00")) && styles.contains(QLatin1String("dd.mm.yyyy")), qPrintable(styles.left(800)));

        int cancelledAt = -1;
        QVERIFY(!exportQuery(ExportFormat::Csv, QStringLiteral("SELECT g AS nrz_kod FROM generate_series(1, 2000) g"),
                             {{QStringLiteral("nrz_kod"), QStringLiteral("Kod"), {}}}, csv,
                             [&](qint64 done, qint64 total) { cancelledAt = int(done); return total != 2000; }, &error));
        QCOMPARE(cancelledAt, 500);
        QVERIFY(error.isEmpty());
    }

    void commandLineRendersForAProfile()
    {
        QTemporaryDir home;
        const QString dir = home.filePath(QStringLiteral("dane/TAV/Orvalo"));
        QVERIFY(QDir().mkpath(dir));
        QFile ini(dir + QStringLiteral("/dbsettings.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[main]\nfileversion=1.0.0.0\n[connections]\ntestowy\\host=%1\ntestowy\\port=%2\n"
                                 "testowy\\db_user=%3\ntestowy\\db_user_password=%4\n")
                          .arg(TestDb::host()).arg(TestDb::port())
                          .arg(TestDb::clientUser(), QString::fromLatin1(TestDb::clientPassword().toUtf8().toBase64()))
                          .toUtf8());
        ini.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("dane")));
        const QString program = qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orvalo-report");
        const QString out = home.filePath(QStringLiteral("przeglady.pdf"));
        int code = -1;
        run(program, {QStringLiteral("--profile"), QStringLiteral("testowy"), QStringLiteral("przeglady_narzedzi"),
                      QStringLiteral("--where"), QStringLiteral("mgz_symbol = 'MG_GLOWNY'"), QStringLiteral("-o"), out},
            &code, env);
        QCOMPARE(code, 0);
        const QString text = pdfText(out);
        QVERIFY(text.contains(QStringLiteral("Przeglądy narzędzi")) && text.contains(QStringLiteral("PM-005")));
        QVERIFY(!text.contains(QStringLiteral("PM-004")));   // another warehouse
        run(program, {QStringLiteral("--profile"), QStringLiteral("brak"), QStringLiteral("narzedzia_table"),
                      QStringLiteral("-o"), out}, &code, env);
        QCOMPARE(code, 3);
        QVERIFY(run(program, {QStringLiteral("--list")}, &code, env).contains(QStringLiteral("przeglady_narzedzi\tPrzeglądy narzędzi")));
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
