#include "HistoriaZmianCommands.h"
#include "ui_HistoriaArchiwumDialog.h"

#include "Exporters.h"
#include "TAVDb.h"
#include "TAVMessages.h"
#include "TAVTableModel.h"

#include <QApplication>
#include <QFileDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>

namespace {
const QString kTitle = QStringLiteral("Archiwizacja historii zmian");
}

HistoriaArchiwumDialog::HistoriaArchiwumDialog(QWidget *parent) : QDialog(parent), ui(new Ui::HistoriaArchiwumDialog)
{
    ui->setupUi(this);
    // A year back: what is usually no longer asked about.
    ui->dtPrzed->setDate(QDate::currentDate().addYears(-1));
    ui->dtPrzed->setMaximumDate(QDate::currentDate());
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &HistoriaArchiwumDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->btPlik, &QPushButton::clicked, this, [this] {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString name = QFileDialog::getSaveFileName(
                this, kTitle, dir + QStringLiteral("/historia_zmian_do_%1.xlsx").arg(before().toString(QStringLiteral("yyyy-MM-dd"))),
                QStringLiteral("Skoroszyt Excel (*.xlsx);;Plik CSV (*.csv)"));
        if (!name.isEmpty())
            ui->lePlik->setText(name);
    });
}

HistoriaArchiwumDialog::~HistoriaArchiwumDialog() = default;

QDate HistoriaArchiwumDialog::before() const { return ui->dtPrzed->date(); }
QString HistoriaArchiwumDialog::fileName() const { return ui->lePlik->text().trimmed(); }

void HistoriaArchiwumDialog::accept()
{
    const QString name = fileName().toLower();
    if (!name.endsWith(QLatin1String(".csv")) && !name.endsWith(QLatin1String(".xlsx"))) {
        TAVMessages::warning(kTitle, QStringLiteral("Wskaż plik archiwum z rozszerzeniem .csv albo .xlsx."));
        return;
    }
    QDialog::accept();
}

HistoriaZmianArchiwizujCommand::HistoriaZmianArchiwizujCommand(TAVPermissionPolicy *policy, QObject *parent)
    : TAVCommand(policy, parent)
{
    setName(QStringLiteral("HistoriaZmianArchiwizuj"));
}

bool HistoriaZmianArchiwizujCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &, QPair<QString, int> *)
{
    HistoriaArchiwumDialog dialog(QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString day = dialog.before().toString(Qt::ISODate);
    const QString path = dialog.fileName();
    // The last entry to go is fixed now: what is written meanwhile stays.
    TAVDbError error;
    TAVDb::ResultPtr last = TAVDb::exec(QStringLiteral("SELECT max(hz_id) FROM historia_zmian "
                                                       "WHERE hz_czas < $1::date AND hz_operacja <> 'A'"),
                                        {day}, &error);
    if (!last) {
        TAVMessages::warning(kTitle, QStringLiteral("Nie można odczytać historii zmian."), TAVDb::causeSentence(error));
        return false;
    }
    if (PQgetisnull(last.get(), 0, 0)) {
        TAVMessages::information(kTitle, QStringLiteral("Nie ma wpisów historii sprzed %1.")
                                                 .arg(dialog.before().toString(QStringLiteral("dd.MM.yyyy"))));
        return false;
    }
    const QString upTo = QString::fromLatin1(PQgetvalue(last.get(), 0, 0));
    const QString sql = QStringLiteral("SELECT hz_id, hz_czas, hz_tabela_nazwa, hz_klucz, hz_czynnosc, hz_opis, hz_uzytkownik, "
                                       "hz_poswiadczone, hz_stanowisko, hz_adres FROM v_historia_zmian "
                                       "WHERE hz_czas < %1::date AND hz_id <= %2 AND hz_operacja <> 'A' ORDER BY hz_id")
                                .arg(TAVDb::quote(day), upTo);
    QList<OrvReports::ExportColumn> columns;
    for (const char *c : {"hz_id", "hz_czas", "hz_tabela_nazwa", "hz_klucz", "hz_czynnosc", "hz_opis", "hz_uzytkownik",
                          "hz_poswiadczone", "hz_stanowisko", "hz_adres"}) {
        OrvReports::ExportColumn column;
        column.name = QLatin1String(c);
        const int i = _model ? _model->fieldIndex(column.name) : -1;
        column.header = i >= 0 ? _model->headerData(i, Qt::Horizontal).toString() : column.name;
        columns << column;
    }
    QProgressDialog progress(QStringLiteral("Zapisywanie wpisów historii…"), QStringLiteral("Przerwij"), 0, 100,
                             QApplication::activeWindow());
    progress.setWindowTitle(kTitle);
    progress.setMinimumDuration(800);
    QString failure;
    const bool written = OrvReports::exportQuery(
            path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? OrvReports::ExportFormat::Xlsx
                                                                       : OrvReports::ExportFormat::Csv,
            sql, columns, path,
            [&progress](qint64 done, qint64 total) {
                progress.setValue(total > 0 ? int(done * 100 / total) : 0);
                return !progress.wasCanceled();
            },
            &failure);
    progress.reset();
    if (!written) {
        // Nothing leaves the database unless the file holds it.
        if (!failure.isEmpty())
            TAVMessages::warning(kTitle, QStringLiteral("Nie można zapisać pliku %1. Żaden wpis nie został usunięty.").arg(path),
                                 failure);
        return false;
    }
    TAVDb::ResultPtr removed = TAVDb::exec(QStringLiteral("SELECT f_historia_archiwizuj($1::date, $2::bigint, $3)"),
                                           {day, upTo, path}, &error);
    if (!removed) {
        TAVMessages::warning(kTitle, QStringLiteral("Wpisy zapisano w pliku %1, ale nie usunięto ich z bazy.").arg(path),
                             TAVDb::causeSentence(error));
        return false;
    }
    TAVMessages::information(kTitle, QStringLiteral("Zapisano w pliku %1 i usunięto z bazy wpisów historii: %2.")
                                             .arg(path, QString::fromLatin1(PQgetvalue(removed.get(), 0, 0))));
    if (_model)
        _model->select();
    return true;
}
