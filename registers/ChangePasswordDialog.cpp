#include "ChangePasswordDialog.h"
#include "ui_ChangePasswordDialog.h"

#include <QMessageBox>

ChangePasswordDialog::ChangePasswordDialog(QWidget *parent)
    : QDialog(parent), m_ui(new Ui::ChangePasswordDialog)
{
    m_ui->setupUi(this);
    // The current password is not asked for here.
    m_ui->laHaslo->hide();
    m_ui->leHaslo->hide();
}

ChangePasswordDialog::~ChangePasswordDialog() = default;

bool ChangePasswordDialog::check()
{
    if (m_ui->leNoweHaslo1->text() != m_ui->leNoweHaslo2->text()) {
        QMessageBox::warning(this, QStringLiteral("Niepoprawne dane"),
                             QStringLiteral("Nowe hasło nie jest identycznie powtórzone."),
                             QMessageBox::Ok);
        return false;
    }
    return true;
}

void ChangePasswordDialog::accept()
{
    // A mistyped repetition keeps the dialog open with what was entered.
    if (check())
        QDialog::accept();
}

QString ChangePasswordDialog::newPassword() const
{
    const QString first = m_ui->leNoweHaslo1->text();
    return first == m_ui->leNoweHaslo2->text() ? first : QString();
}
