#pragma once

#include "TAVDialog.h"

#include <QVariant>

#include <memory>

namespace Ui {
class TabelaUzytkownicyDialog;
}

// One user: login proposals, lower-case login, and the password set
// through the password dialog.
class TabelaUzytkownicyDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaUzytkownicyDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaUzytkownicyDialog() override;

    QSqlRecord getRecord() override;

Q_SIGNALS:
    void passwordChanged();

public Q_SLOTS:
    void newPassword();
    void fillLoginPropositons(QString _text);
    void updatePasswordStatus();

protected:
    void addChecks(ValidationMessages &messages) override;

private:
    void setPassword(const QString &password);
    // The row's login as loaded; empty for a new user.
    QString storedLogin() const;

    std::unique_ptr<Ui::TabelaUzytkownicyDialog> ui;
    QVariant m_password;
    bool m_passwordChanged = false;
};
