#pragma once

#include "TAVTableModel.h"

// Transfers of tools between warehouses. The context decides the commands:
// the main register receives and cancels, a warehouse's "issued" tab
// cancels, its "received" tab receives.
class PrzesunieciaMMModel : public TAVModel<PrzesunieciaMMModel>
{
    Q_OBJECT

public:
    explicit PrzesunieciaMMModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void setActions(QString _context) override;
    void createColumnsOrder() override;
    void createSearchFields() override;

public Q_SLOTS:
    void setCommands() override;

private:
    void addContextCommands(bool main);
};
