#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaPracownicyDialog;
}

// One employee.
class TabelaPracownicyDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaPracownicyDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaPracownicyDialog() override;

public Q_SLOTS:
    // Also asks before an employee who still holds tools is marked as no
    // longer employed.
    bool validateModel() override;

private:
    std::unique_ptr<Ui::TabelaPracownicyDialog> ui;
};
