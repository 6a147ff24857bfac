#pragma once

#include "TAVTableModel.h"

// Warehouses.
class MagazynyModel : public TAVModel<MagazynyModel>
{
    Q_OBJECT

public:
    explicit MagazynyModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};
