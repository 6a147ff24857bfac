#pragma once

#include "TAVTableModel.h"

// Users of the program.
class UzytkownicyModel : public TAVModel<UzytkownicyModel>
{
    Q_OBJECT

public:
    explicit UzytkownicyModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};
