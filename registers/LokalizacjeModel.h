#pragma once

#include "TAVTableModel.h"

// Storage locations of a warehouse.
class LokalizacjeModel : public TAVModel<LokalizacjeModel>
{
    Q_OBJECT

public:
    explicit LokalizacjeModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
};
