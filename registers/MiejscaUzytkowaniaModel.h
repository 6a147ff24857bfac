#pragma once

#include "TAVTableModel.h"

// Places where tools are used.
class MiejscaUzytkowaniaModel : public TAVModel<MiejscaUzytkowaniaModel>
{
    Q_OBJECT

public:
    explicit MiejscaUzytkowaniaModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};
