#pragma once

#include "TAVCommand.h"

// Issue of a tool to the selected employee and its return, each in one
// transaction; both checks run after the dialog, inside the transaction.
// Each is its own class below, registered under its command name.
class PrzypisaneNarzedziaPracownikomCommand : public TAVCommand
{
    Q_OBJECT

public:
    PrzypisaneNarzedziaPracownikomCommand(const QString &name, TAVPermissionPolicy *policy, QObject *parent = nullptr);
    // Whether the database's rule on late borrowers lets a tool go to the
    // employee: none late, or an administrator confirms (then *confirmed).
    static bool mayIssueTo(int employee, bool *confirmed);

protected:
    static bool validRow(TAVTableModel *model, const QModelIndex &index);
    // Tools the employee holds past their planned return, when the
    // database's rule on late borrowers is on; 0 otherwise.
    static int lateTools(int employee);
    bool issue(TAVTableModel *model, const QModelIndex &index);
    bool takeBack(TAVTableModel *model, const QModelIndex &index);
};

// "PrzypisaneNarzedziaPracownikomWydaj": on an employee.
class PrzypisaneNarzedziaPracownikomWydajCommand : public PrzypisaneNarzedziaPracownikomCommand
{
    Q_OBJECT
public:
    explicit PrzypisaneNarzedziaPracownikomWydajCommand(TAVPermissionPolicy *policy)
        : PrzypisaneNarzedziaPracownikomCommand(QStringLiteral("PrzypisaneNarzedziaPracownikomWydaj"), policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override;
};

// "PrzypisaneNarzedziaPracownikomPrzyjmij": on an open issue.
class PrzypisaneNarzedziaPracownikomPrzyjmijCommand : public PrzypisaneNarzedziaPracownikomCommand
{
    Q_OBJECT
public:
    explicit PrzypisaneNarzedziaPracownikomPrzyjmijCommand(TAVPermissionPolicy *policy)
        : PrzypisaneNarzedziaPracownikomCommand(QStringLiteral("PrzypisaneNarzedziaPracownikomPrzyjmij"), policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override;
};

// "PrzypisaneNarzedziaPracownikomPrzedluz": a later planned return for an
// open issue, by the warehouse's manager; the history keeps the change.
class PrzypisaneNarzedziaPracownikomPrzedluzCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit PrzypisaneNarzedziaPracownikomPrzedluzCommand(TAVPermissionPolicy *policy);

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override;
};
