#pragma once

#include "TAVCommand.h"

// Sending a tool to repair or inspection, and taking it back: the steps
// shared by the four commands below, which differ in the type, the
// direction and their texts; each is registered under its own class name.
class NaprawyPrzegladyCommand : public TAVCommand
{
    Q_OBJECT

public:
    NaprawyPrzegladyCommand(int type, bool sending, TAVPermissionPolicy *policy, QObject *parent = nullptr);

protected:
    bool send(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField);
    bool takeBack(TAVTableModel *model, const QModelIndex &index);

private:
    QString title() const;
    QString refusal() const;
    QString failure() const;

    int m_type;
    bool m_sending;
};

class NaprawyWydajCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit NaprawyWydajCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(0, true, policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField) override
    {
        return model && send(model, index, refField);
    }
};

class NaprawyPrzyjmijCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit NaprawyPrzyjmijCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(0, false, policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override
    {
        return model && takeBack(model, index);
    }
};

class PrzegladyWydajCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit PrzegladyWydajCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(1, true, policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField) override
    {
        return model && send(model, index, refField);
    }
};

class PrzegladyPrzyjmijCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit PrzegladyPrzyjmijCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(1, false, policy) {}

protected:
    bool tmpOperacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *) override
    {
        return model && takeBack(model, index);
    }
};
