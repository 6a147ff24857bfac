#include "TabelaPrzesunieciaMMDialog.h"
#include "ui_TabelaPrzesunieciaMMDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVListaWyboru.h"
#include "TAVPickBinding.h"
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
    TAVPickBinding &tool =
            bindPick(ui->lwFkNrz, QStringLiteral("psnmm_fk_nrz"), new NarzedziaListaWyboruCommand, QStringLiteral("Narzędzie"))
                    .title(QStringLiteral("Wybierz narzędzie do przeniesienia"))
                    .prepare([this](TAVListaWyboruCommand &list, TAVPickBinding::Pair &start) {
                        start.second = ui->lwFkMgzSrc->data().toInt();
                        // A written-off tool goes nowhere.
                        list.setParameter(QStringLiteral("filter"),
                                          QStringLiteral("nrz_fk_mgz = %1 AND nrz_przyjete_na_stan = true AND "
                                                         "nrz_zlikwidowano = false")
                                                  .arg(start.second));
                        return true;
                    });
    TAVPickBinding &source = bindWarehouse(ui->lwFkMgzSrc, QStringLiteral("psnmm_fk_mgz_src"),
                                           QStringLiteral("Magazyn wydający"), QStringLiteral("Wybierz magazyn źrodłowy"),
                                           ui->lwFkMgzDst, QStringLiteral("docelowy"));
    TAVPickBinding &destination = bindWarehouse(ui->lwFkMgzDst, QStringLiteral("psnmm_fk_mgz_dst"),
                                                QStringLiteral("Magazyn przyjmujący"),
                                                QStringLiteral("Wybierz magazyn docelowy"), ui->lwFkMgzSrc,
                                                QStringLiteral("źródłowy"));

    const QSqlRecord row = loadRow(record);
    m_uztSrc = row.value(QStringLiteral("psnmm_fk_uzt_src")).toInt();
    m_uztDst = row.value(QStringLiteral("psnmm_fk_uzt_dst")).toInt();
    ui->lbFkUztSrc->setText(userName(m_uztSrc));
    ui->lbFkUztDst->setText(userName(m_uztDst));

    // A new transfer from a warehouse asks for its tool, then its destination.
    for (TAVPickBinding *pick : {&tool, &source, &destination}) {
        if (pick->key() == 0)
            pick->choose();
    }
}

TabelaPrzesunieciaMMDialog::~TabelaPrzesunieciaMMDialog() = default;

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

TAVPickBinding &TabelaPrzesunieciaMMDialog::bindWarehouse(TAVListaWyboru *field, const QString &column,
                                                          const QString &caption, const QString &title,
                                                          TAVListaWyboru *other, const QString &otherName)
{
    return bindPick(field, column, new MagazynyListaWyboruCommand, caption)
            .title(title)
            // A closed warehouse takes no transfers.
            .parameter(QStringLiteral("onlyActive"), true)
            .accept([this, field, other, otherName](const TAVPickBinding::Pair &chosen) {
                if (chosen.second == other->data().toInt()) {
                    QMessageBox::information(this, QStringLiteral("Niepoprawny magazyn"),
                                             QStringLiteral("Wybrany magazyn <b>%1</b> jest taki sam jak magazyn %2. "
                                                            "Proszę wybrać inny.")
                                                     .arg(chosen.first, otherName));
                    return false;
                }
                // The warehouse it already has: the list once more, without a word.
                return chosen.second != field->data().toInt();
            });
}

void TabelaPrzesunieciaMMDialog::addChecks(ValidationMessages &messages)
{
    checkReturn(messages, ui->dtDataWydanie, ui->dtDataPrzyjecie, nullptr);
}

QSqlRecord TabelaPrzesunieciaMMDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
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
