#pragma once

#include "TAVTableModel.h"

// Tools issued to employees at places of use, and their returns.
class PrzypisaneNarzedziaPracownikomModel : public TAVModel<PrzypisaneNarzedziaPracownikomModel>
{
    Q_OBJECT

public:
    explicit PrzypisaneNarzedziaPracownikomModel(QObject *parent = nullptr);

    QVector<int> hiddenColumns(QString context) override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnDelegates() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};
