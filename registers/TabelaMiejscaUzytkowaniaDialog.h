#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaMiejscaUzytkowaniaDialog;
}

// One place of use.
class TabelaMiejscaUzytkowaniaDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaMiejscaUzytkowaniaDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaMiejscaUzytkowaniaDialog() override;

private:
    std::unique_ptr<Ui::TabelaMiejscaUzytkowaniaDialog> ui;
};
