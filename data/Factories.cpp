#include "Factories.h"

#include "TAVCommand.h"
#include "TAVTableModel.h"

#include <QDebug>

namespace {
SFCommands *s_commands = nullptr;
SFModels *s_models = nullptr;
}

TAVSingletonFactory::TAVSingletonFactory(QObject *parent) : QObject(parent) {}

SFCommands *SFCommands::instance()
{
    if (!s_commands)
        s_commands = new SFCommands;
    return s_commands;
}

void SFCommands::destroy()
{
    delete s_commands;
    s_commands = nullptr;
}

SFCommands::~SFCommands()
{
    // One object may stand under several names.
    QSet<TAVCommand *> owned(m_commands.cbegin(), m_commands.cend());
    qDeleteAll(owned);
}

void SFCommands::registerCommand(TAVCommand *command)
{
    const QString name = command->name().isEmpty()
            ? QString::fromLatin1(command->metaObject()->className())
            : command->name();
    registerCommand(name, command);
}

void SFCommands::registerCommand(const QString &name, TAVCommand *command)
{
    TAVCommand *old = m_commands.value(name, nullptr);
    m_commands.insert(name, command);
    if (old && old != command) {
        bool stillUsed = false;
        for (TAVCommand *c : std::as_const(m_commands))
            stillUsed = stillUsed || c == old;
        if (!stillUsed)
            delete old;
    }
}

TAVCommand *SFCommands::command(const QString &name) const
{
    TAVCommand *c = m_commands.value(name, nullptr);
    if (!c)
        qFatal("No command object with name: %s", qPrintable(name));
    return c;
}

SFModels *SFModels::instance()
{
    if (!s_models)
        s_models = new SFModels;
    return s_models;
}

void SFModels::destroy()
{
    delete s_models;
    s_models = nullptr;
}

SFModels::~SFModels()
{
    qDeleteAll(m_prototypes);
}

void SFModels::registerModel(TAVTableModel *prototype)
{
    const QString name = QString::fromLatin1(prototype->metaObject()->className());
    delete m_prototypes.value(name, nullptr);
    m_prototypes.insert(name, prototype);
}

TAVTableModel *SFModels::create(const QString &modelName, const QString &context) const
{
    TAVTableModel *prototype = m_prototypes.value(modelName, nullptr);
    if (!prototype)
        return nullptr;
    TAVTableModel *model = prototype->createInstance();
    model->initialize();
    if (!context.isEmpty())
        model->setActions(context);
    return model;
}
