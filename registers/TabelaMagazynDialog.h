#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaMagazynDialog;
}

// One warehouse.
class TabelaMagazynDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaMagazynDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaMagazynDialog() override;

private:
    std::unique_ptr<Ui::TabelaMagazynDialog> ui;
};
