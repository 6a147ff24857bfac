#pragma once

#include "TAVTableModel.h"

// Warehouse managers: the managers of one warehouse, or the warehouses one
// user manages, depending on where the register is shown.
class OvUprawnieniaMgzModel : public TAVModel<OvUprawnieniaMgzModel>
{
    Q_OBJECT

public:
    explicit OvUprawnieniaMgzModel(QObject *parent = nullptr);

    QVector<int> hiddenColumns(QString context) override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
};
