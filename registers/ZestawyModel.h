#pragma once

#include "NarzedziaModel.h"
#include "TAVTableModel.h"

// Kits of tools of one warehouse, with whether every member is on stock.
class ZestawyModel : public TAVModel<ZestawyModel>
{
    Q_OBJECT

public:
    explicit ZestawyModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};

// The tools of a kit (its tab: "nrz_fk_zst" and the kit's key).
class ZestawyNarzedziaModel : public TAVModel<ZestawyNarzedziaModel, NarzedziaModel>
{
    Q_OBJECT

public:
    explicit ZestawyNarzedziaModel(QObject *parent = nullptr);

    void createActions() override;
};
