#include "TabelaLokalizacjeDialog.h"
#include "ui_TabelaLokalizacjeDialog.h"

#include "TAVDataWidget.h"

TabelaLokalizacjeDialog::TabelaLokalizacjeDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaLokalizacjeDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    bind(ui->leNazwa, QStringLiteral("lkl_nazwa"));
    loadRow();
    fixSize();
}

TabelaLokalizacjeDialog::~TabelaLokalizacjeDialog() = default;
