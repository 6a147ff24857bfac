#include "TabelaZestawyDialog.h"
#include "ui_TabelaZestawyDialog.h"

#include "ListaWyboruCommands.h"
#include "TAVPickBinding.h"

TabelaZestawyDialog::TabelaZestawyDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaZestawyDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    bind(ui->leKod, QStringLiteral("zst_kod"));
    bind(ui->leNazwa, QStringLiteral("zst_nazwa"));
    bind(ui->txUwagi, QStringLiteral("zst_uwagi"));
    bindPick(ui->lwFkMgz, QStringLiteral("zst_fk_mgz"), new MagazynyListaWyboruCommand, QStringLiteral("Magazyn"))
            .title(QStringLiteral("Wybierz magazyn zestawu"))
            // A manager makes kits only in the warehouses he runs.
            .parameter(QStringLiteral("checkPermissionMgz"), true);
    loadRow();
    fixSize();
}

TabelaZestawyDialog::~TabelaZestawyDialog() = default;
