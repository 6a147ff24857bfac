#pragma once

#include "TAVTableModel.h"

class KategorieNarzedziModel : public TAVTableModel
{
    Q_OBJECT

public:
    explicit KategorieNarzedziModel(QObject *parent = nullptr);

    TAVTableModel *createInstance() override;
    QSqlRecord defaultRecord() override;
    QVector<int> hiddenColumns(QString context) override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;

    void createSearchFields() override;

public Q_SLOTS:
    void setCommands() override;

};
