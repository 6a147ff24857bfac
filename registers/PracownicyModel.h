#pragma once

#include "TAVTableModel.h"

class PracownicyModel : public TAVTableModel
{
    Q_OBJECT

public:
    explicit PracownicyModel(QObject *parent = nullptr);

    TAVTableModel *createInstance() override;
    QSqlRecord defaultRecord() override;
    QVector<int> hiddenColumns(QString context) override;
    void createRowDelegate() override;
    void createColumnDelegates() override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;

    void createSearchFields() override;

public Q_SLOTS:
    void setCommands() override;

};
