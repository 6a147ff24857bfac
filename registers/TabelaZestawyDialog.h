#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaZestawyDialog;
}

// One kit: its code, name, warehouse and remarks; the tools come in its tab.
class TabelaZestawyDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaZestawyDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaZestawyDialog() override;

private:
    std::unique_ptr<Ui::TabelaZestawyDialog> ui;
};
