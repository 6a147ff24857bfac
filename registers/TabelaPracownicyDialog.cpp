#include "TabelaPracownicyDialog.h"
#include "ui_TabelaPracownicyDialog.h"

#include "TAVDataWidget.h"
#include "TAVTableModel.h"

#include <QMessageBox>
#include <QSqlQuery>

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

bool TabelaPracownicyDialog::validateModel()
{
    if (!TAVDialog::validateModel())
        return false;
    if (!index().isValid() || ui->ckZatrudniony->isChecked() || !dataWidget()->isChanged(QStringLiteral("prc_zatrudniony")))
        return true;
    QSqlQuery q;
    q.prepare(QStringLiteral("SELECT n.nrz_kod || ' ' || n.nrz_nazwa FROM przypisane_narzedzia_pracownikom p "
                             "JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz WHERE p.pnp_fk_prc = :prc AND NOT p.pnp_status "
                             "ORDER BY n.nrz_kod"));
    q.bindValue(QStringLiteral(":prc"), model()->value(index().row(), QStringLiteral("prc_id")));
    QStringList tools;
    if (q.exec()) {
        while (q.next())
            tools << q.value(0).toString().toHtmlEscaped();
    }
    if (tools.isEmpty())
        return true;
    return QMessageBox::question(this, QStringLiteral("Pracownik"),
                                 QStringLiteral("Pracownik ma u siebie wydane narzędzia:<br/><b>%1</b><br/><br/>Czy na "
                                                "pewno oznaczyć go jako niezatrudnionego? Narzędzia pozostaną "
                                                "wydane, dopóki nie zostaną przyjęte z powrotem.")
                                         .arg(tools.join(QStringLiteral("<br/>"))),
                                 QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
}
