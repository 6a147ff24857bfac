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

private:
    std::unique_ptr<Ui::TabelaPracownicyDialog> ui;
};
