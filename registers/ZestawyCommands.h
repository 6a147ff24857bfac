#pragma once

#include "TAVCommand.h"

// A tool of the kit's warehouse, in no kit yet, joins the kit of the tab.
class ZestawyCmdDodajNarzedzie : public TAVCommand
{
    Q_OBJECT
public:
    explicit ZestawyCmdDodajNarzedzie(TAVPermissionPolicy *policy);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// The selected tool leaves its kit; the tool itself stays.
class ZestawyCmdUsunNarzedzie : public TAVCommand
{
    Q_OBJECT
public:
    explicit ZestawyCmdUsunNarzedzie(TAVPermissionPolicy *policy);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
