#pragma once

#include "TAVTableModel.h"

// Tool categories; system rows can be neither edited nor deleted.
class KategorieNarzedziModel : public TAVModel<KategorieNarzedziModel>
{
    Q_OBJECT

public:
    explicit KategorieNarzedziModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createSearchFields() override;
};
