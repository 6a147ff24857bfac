#include "TabelaPracownicyDialog.h"
#include "ui_TabelaPracownicyDialog.h"

#include "TAVDataWidget.h"
#include "TAVTableModel.h"

TabelaPracownicyDialog::TabelaPracownicyDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaPracownicyDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    bind(ui->leImie, QStringLiteral("prc_imie"));
    bind(ui->leNazwisko, QStringLiteral("prc_nazwisko"));
    bind(ui->ckZatrudniony, QStringLiteral("prc_zatrudniony"));
    bind(ui->leTelKont, QStringLiteral("prc_tel_kontaktowy"));
    bind(ui->leStanowisko, QStringLiteral("prc_stanowisko"));
    bind(ui->txNotatka, QStringLiteral("prc_notatka"));
    loadRow();
    fixSize();
}

TabelaPracownicyDialog::~TabelaPracownicyDialog() = default;
