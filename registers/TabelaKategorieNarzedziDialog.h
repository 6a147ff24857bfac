#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaKategorieNarzedziDialog;
}

// One tool category.
class TabelaKategorieNarzedziDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaKategorieNarzedziDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaKategorieNarzedziDialog() override;

private:
    std::unique_ptr<Ui::TabelaKategorieNarzedziDialog> ui;
};
