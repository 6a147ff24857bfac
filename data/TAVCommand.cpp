#include "TAVCommand.h"

#include "TAVPermissionPolicy.h"

TAVCommand::TAVCommand(QObject *parent) : QObject(parent) {}

TAVCommand::TAVCommand(TAVPermissionPolicy *policy, QObject *parent)
    : QObject(parent), m_policy(policy)
{
}

TAVCommand::~TAVCommand()
{
    delete m_policy;
}

bool TAVCommand::operacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField)
{
    return tmpOperacja(model, index, refField);
}
