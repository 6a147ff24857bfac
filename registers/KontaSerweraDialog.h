#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class KontaSerweraDialog;
}

// The administrator's view of the move from the shared role to server
// accounts: who has an account with a password, starting the move, setting
// a user's password, and switching the database over for good.
class KontaSerweraDialog : public QDialog
{
    Q_OBJECT

public:
    explicit KontaSerweraDialog(QWidget *parent = nullptr);
    ~KontaSerweraDialog() override;

    // Reads the mode and the accounts again.
    void refresh();

private:
    void start();
    void setPassword();
    void switchOver();

    std::unique_ptr<Ui::KontaSerweraDialog> ui;
    QString m_mode;
};
