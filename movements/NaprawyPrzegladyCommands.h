#pragma once

#include "TAVCommand.h"

// Sending a tool to repair or inspection, and taking it back. The four
// commands differ only in the type, the direction and their texts; each is
// registered under its own class name.
class NaprawyPrzegladyCommand : public TAVCommand
{
    Q_OBJECT

public:
    NaprawyPrzegladyCommand(int type, bool sending, TAVPermissionPolicy *policy, QObject *parent = nullptr);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    bool send(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField);
    bool takeBack(TAVTableModel *model, const QModelIndex &index);
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
};

class NaprawyPrzyjmijCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit NaprawyPrzyjmijCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(0, false, policy) {}
};

class PrzegladyWydajCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit PrzegladyWydajCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(1, true, policy) {}
};

class PrzegladyPrzyjmijCommand : public NaprawyPrzegladyCommand
{
    Q_OBJECT
public:
    explicit PrzegladyPrzyjmijCommand(TAVPermissionPolicy *policy) : NaprawyPrzegladyCommand(1, false, policy) {}
};
