#pragma once

#include "TAVTableModel.h"

class OvUprawnieniaAdminModel : public TAVTableModel
{
    Q_OBJECT

public:
    explicit OvUprawnieniaAdminModel(QObject *parent = nullptr);

    TAVTableModel *createInstance() override;
    QSqlRecord defaultRecord() override;
    QVector<int> hiddenColumns(QString context) override;
    void createColumnDelegates() override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;

public Q_SLOTS:
    void setCommands() override;

};
