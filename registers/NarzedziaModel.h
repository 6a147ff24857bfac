#pragma once

#include "TAVTableModel.h"

// Tools, read through the view with their warehouse, location, category
// and technical state; the photo is read only for the row that needs it.
class NarzedziaModel : public TAVModel<NarzedziaModel>
{
    Q_OBJECT

public:
    explicit NarzedziaModel(QObject *parent = nullptr);

    // Codes that no tool holds, so that the row can be written before the
    // user has named the tool.
    static const QString kKodPlaceholder;
    static const QString kNazwaPlaceholder;

    QSqlRecord defaultRecord() override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createRowDelegate() override;
    void createColumnDelegates() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};

// The tools assembled into one main tool (filter "nrz_fk_nrz = " and its key).
class NarzedziaSkladaneModel : public TAVModel<NarzedziaSkladaneModel, NarzedziaModel>
{
    Q_OBJECT

public:
    explicit NarzedziaSkladaneModel(QObject *parent = nullptr);

    void createActions() override;
};
