#include "TabelaMiejscaUzytkowaniaDialog.h"
#include "ui_TabelaMiejscaUzytkowaniaDialog.h"

#include "TAVDataWidget.h"
#include "TAVTableModel.h"

TabelaMiejscaUzytkowaniaDialog::TabelaMiejscaUzytkowaniaDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaMiejscaUzytkowaniaDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    bind(ui->leNazwa, QStringLiteral("muz_nazwa"));
    bind(ui->ckAktywny, QStringLiteral("muz_aktywny"));
    bind(ui->leKod, QStringLiteral("muz_kod"));
    loadRow();
    fixSize();
}

TabelaMiejscaUzytkowaniaDialog::~TabelaMiejscaUzytkowaniaDialog() = default;
