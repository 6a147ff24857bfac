#pragma once

#include "TAVTableModel.h"

// Employees who receive tools.
class PracownicyModel : public TAVModel<PracownicyModel>
{
    Q_OBJECT

public:
    explicit PracownicyModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnDelegates() override;
    void createSearchFields() override;
};
