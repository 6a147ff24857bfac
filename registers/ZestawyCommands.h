#pragma once

#include "TAVCommand.h"
#include "TAVDialog.h"

#include <memory>

namespace Ui {
class WydanieZestawuDialog;
}

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

// The employee, place, day and planned return for a whole kit, written
// into a new issue record of the issues' model.
class WydanieZestawuDialog : public TAVDialog
{
    Q_OBJECT
public:
    WydanieZestawuDialog(TAVTableModel *issues, const QString &kit, QWidget *parent = nullptr);
    ~WydanieZestawuDialog() override;
    QSqlRecord getRecord() override;

private:
    std::unique_ptr<Ui::WydanieZestawuDialog> ui;
};

// "Wydaj zestaw pracownikowi": every tool of the kit to one employee in one
// transaction, as ordinary issues sharing a group key; a kit with a tool
// that cannot go is refused whole, naming those tools.
class ZestawyCmdWydajPracownikowi : public TAVCommand
{
    Q_OBJECT
public:
    explicit ZestawyCmdWydajPracownikowi(TAVPermissionPolicy *policy);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
