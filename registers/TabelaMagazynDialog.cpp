#include "TabelaMagazynDialog.h"
#include "ui_TabelaMagazynDialog.h"

#include "TAVDataWidget.h"
#include "TAVTableModel.h"

TabelaMagazynDialog::TabelaMagazynDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaMagazynDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    bind(ui->leNazwa, QStringLiteral("mgz_nazwa"));
    bind(ui->leSymbol, QStringLiteral("mgz_symbol"));
    bind(ui->ckAktywny, QStringLiteral("mgz_aktywny"));
    bind(ui->leAdres, QStringLiteral("mgz_adres"));
    bind(ui->txOpis, QStringLiteral("mgz_opis"));
    loadRow();
    fixSize();
}

TabelaMagazynDialog::~TabelaMagazynDialog() = default;
