#include "TabelaPrzesunieciaMMDialog.h"
#include "ui_TabelaPrzesunieciaMMDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVDataWidget.h"
#include "TAVListaWyboru.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QDate>
#include <QEvent>
#include <QMessageBox>

using namespace MovementForm;

TabelaPrzesunieciaMMDialog::TabelaPrzesunieciaMMDialog(TAVTableModel *model, const QModelIndex &index,
                                                       const QSqlRecord &record, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaPrzesunieciaMMDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    ui->dtDataWydanie->setDate(QDate::currentDate());
    ui->dtDataPrzyjecie->setDate(QDate::currentDate());
    bind(ui->dtDataWydanie, QStringLiteral("psnmm_data_wydanie"));
    bind(ui->dtDataPrzyjecie, QStringLiteral("psnmm_data_przyjecie"));
    bind(ui->txUwagiWydanie, QStringLiteral("psnmm_uwagi_wydanie"));
    bind(ui->txUwagiPrzyjecie, QStringLiteral("psnmm_uwagi_przyjecie"));
    ui->lwFkNrz->setDisplayQuery(QStringLiteral("SELECT nrz_kod FROM narzedzia WHERE nrz_id = :nrz_id"));
    for (TAVListaWyboru *w : {ui->lwFkMgzSrc, ui->lwFkMgzDst})
        w->setDisplayQuery(QStringLiteral("SELECT mgz_symbol FROM magazyny WHERE mgz_id = :mgz_id"));

    const QSqlRecord source = record.isEmpty() && index.isValid() && model ? model->record(index.row()) : record;
    if (record.isEmpty())
        loadRow();
    else
        dataWidget()->loadRecord(record);
    ui->lwFkNrz->setKey(source.value(QStringLiteral("psnmm_fk_nrz")));
    ui->lwFkMgzSrc->setKey(source.value(QStringLiteral("psnmm_fk_mgz_src")));
    ui->lwFkMgzDst->setKey(source.value(QStringLiteral("psnmm_fk_mgz_dst")));
    m_uztSrc = source.value(QStringLiteral("psnmm_fk_uzt_src")).toInt();
    m_uztDst = source.value(QStringLiteral("psnmm_fk_uzt_dst")).toInt();
    ui->lbFkUztSrc->setText(userName(m_uztSrc));
    ui->lbFkUztDst->setText(userName(m_uztDst));

    connect(ui->lwFkNrz, &TAVListaWyboru::clicked, this, &TabelaPrzesunieciaMMDialog::chooseNrz);
    connect(ui->lwFkMgzSrc, &TAVListaWyboru::clicked, this, &TabelaPrzesunieciaMMDialog::chooseMgzSrc);
    connect(ui->lwFkMgzDst, &TAVListaWyboru::clicked, this, &TabelaPrzesunieciaMMDialog::chooseMgzDst);

    // A new transfer from a warehouse asks for its tool, then its destination.
    if (key(ui->lwFkNrz) == 0)
        chooseNrz();
    if (key(ui->lwFkMgzSrc) == 0)
        chooseMgzSrc();
    if (key(ui->lwFkMgzDst) == 0)
        chooseMgzDst();
}

TabelaPrzesunieciaMMDialog::~TabelaPrzesunieciaMMDialog() = default;

int TabelaPrzesunieciaMMDialog::key(TAVListaWyboru *field) const
{
    return field->data().toInt();
}

void TabelaPrzesunieciaMMDialog::setMagazynyWydanieMode()
{
    ui->lwFkMgzSrc->setEnabled(false);
    ui->gbPrzyjecie->setEnabled(false);
}

void TabelaPrzesunieciaMMDialog::setMagazynyPrzyjecieMode()
{
    ui->lwFkNrz->setEnabled(false);
    ui->lwFkMgzSrc->setEnabled(false);
    ui->lwFkMgzDst->setEnabled(false);
    ui->gbWydanie->setEnabled(false);
}

void TabelaPrzesunieciaMMDialog::chooseNrz()
{
    NarzedziaListaWyboruCommand command;
    command.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz narzędzie do przeniesienia"));
    // A written-off tool goes nowhere.
    command.setParameter(QStringLiteral("filter"),
                         QStringLiteral("nrz_fk_mgz = %1 AND nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false")
                                 .arg(key(ui->lwFkMgzSrc)));
    command.pickInto(model(), ui->lwFkNrz, QPair<QString, int>(QString(), key(ui->lwFkMgzSrc)));
}

void TabelaPrzesunieciaMMDialog::chooseWarehouse(TAVListaWyboru *field, TAVListaWyboru *other, const QString &title,
                                                 const QString &otherName)
{
    for (;;) {
        MagazynyListaWyboruCommand command;
        command.setParameter(QStringLiteral("windowTitle"), title);
        // A closed warehouse takes no transfers.
        command.setParameter(QStringLiteral("onlyActive"), true);
        QPair<QString, int> chosen;
        if (!command.operacja(model(), QModelIndex(), &chosen))
            return;
        if (chosen.second == key(other)) {
            QMessageBox::information(this, QStringLiteral("Niepoprawny magazyn"),
                                     QStringLiteral("Wybrany magazyn <b>%1</b> jest taki sam jak magazyn %2. "
                                                    "Proszę wybrać inny.")
                                             .arg(chosen.first, otherName));
            continue;
        }
        if (chosen.second == key(field))
            continue;
        field->setText(chosen.first);
        field->setData(chosen.second);
        return;
    }
}

void TabelaPrzesunieciaMMDialog::chooseMgzDst()
{
    chooseWarehouse(ui->lwFkMgzDst, ui->lwFkMgzSrc, QStringLiteral("Wybierz magazyn docelowy"),
                    QStringLiteral("źródłowy"));
}

void TabelaPrzesunieciaMMDialog::chooseMgzSrc()
{
    chooseWarehouse(ui->lwFkMgzSrc, ui->lwFkMgzDst, QStringLiteral("Wybierz magazyn źrodłowy"),
                    QStringLiteral("docelowy"));
}

void TabelaPrzesunieciaMMDialog::addChecks(ValidationMessages &messages)
{
    requirePicked(messages, {{ui->lwFkNrz, QStringLiteral("Narzędzie")},
                             {ui->lwFkMgzSrc, QStringLiteral("Magazyn wydający")},
                             {ui->lwFkMgzDst, QStringLiteral("Magazyn przyjmujący")}});
    checkReturn(messages, ui->dtDataWydanie, ui->dtDataPrzyjecie, nullptr);
}

QSqlRecord TabelaPrzesunieciaMMDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    rec.setValue(QStringLiteral("psnmm_fk_nrz"), ui->lwFkNrz->key());
    rec.setValue(QStringLiteral("psnmm_fk_mgz_src"), ui->lwFkMgzSrc->key());
    rec.setValue(QStringLiteral("psnmm_fk_mgz_dst"), ui->lwFkMgzDst->key());
    rec.setValue(QStringLiteral("psnmm_fk_uzt_src"), keyOrNull(m_uztSrc));
    rec.setValue(QStringLiteral("psnmm_fk_uzt_dst"), keyOrNull(m_uztDst));
    if (!ui->dtDataPrzyjecie->isEnabled())
        rec.setValue(QStringLiteral("psnmm_data_przyjecie"), QVariant(QMetaType::fromType<QDate>()));
    return rec;
}

void TabelaPrzesunieciaMMDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    TAVDialog::changeEvent(event);
}
