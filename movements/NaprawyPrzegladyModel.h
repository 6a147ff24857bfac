#pragma once

#include "TAVTableModel.h"

// Trips of tools to repair (np_typ 0) and inspection (1), and their return.
class NaprawyPrzegladyModel : public TAVModel<NaprawyPrzegladyModel>
{
    Q_OBJECT

public:
    explicit NaprawyPrzegladyModel(QObject *parent = nullptr);

    QVector<int> hiddenColumns(QString context) override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void setActions(QString _context) override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};
