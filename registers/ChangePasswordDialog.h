#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class ChangePasswordDialog;
}

// Asks for a new password twice; the caller stores it.
class ChangePasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ChangePasswordDialog(QWidget *parent = nullptr);
    ~ChangePasswordDialog() override;

    QString newPassword() const;

public Q_SLOTS:
    bool check();
    void accept() override;

private:
    std::unique_ptr<Ui::ChangePasswordDialog> m_ui;
};
