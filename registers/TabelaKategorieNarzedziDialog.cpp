#include "TabelaKategorieNarzedziDialog.h"
#include "ui_TabelaKategorieNarzedziDialog.h"

#include "TAVDataWidget.h"
#include "TAVTableModel.h"

#include <QIntValidator>

TabelaKategorieNarzedziDialog::TabelaKategorieNarzedziDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaKategorieNarzedziDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    bind(ui->leNazwa, QStringLiteral("ktr_nrz_nazwa"));
    bind(ui->txKomentarz, QStringLiteral("ktr_nrz_komentarz"));
    ui->lePrzegladMiesiace->setValidator(new QIntValidator(1, 240, ui->lePrzegladMiesiace));
    bind(ui->lePrzegladMiesiace, QStringLiteral("ktr_nrz_przeglad_miesiace"));
    ui->leOkresWypozyczenia->setValidator(new QIntValidator(1, 3650, ui->leOkresWypozyczenia));
    bind(ui->leOkresWypozyczenia, QStringLiteral("ktr_nrz_okres_wypozyczenia"));
    loadRow();
    fixSize();
}

TabelaKategorieNarzedziDialog::~TabelaKategorieNarzedziDialog() = default;
