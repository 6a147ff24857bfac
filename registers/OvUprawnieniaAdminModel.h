#pragma once

#include "TAVTableModel.h"

// Every user once, with the administrator right where there is one.
class OvUprawnieniaAdminModel : public TAVModel<OvUprawnieniaAdminModel>
{
    Q_OBJECT

public:
    explicit OvUprawnieniaAdminModel(QObject *parent = nullptr);

    void setNames() override;
    void setHeaders() override;
};
