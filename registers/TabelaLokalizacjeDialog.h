#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaLokalizacjeDialog;
}

// One storage location; its warehouse comes from the register it is added in.
class TabelaLokalizacjeDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaLokalizacjeDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaLokalizacjeDialog() override;

private:
    std::unique_ptr<Ui::TabelaLokalizacjeDialog> ui;
};
