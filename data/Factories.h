#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class TAVCommand;
class TAVTableModel;

// The name a model class is known by in the factory and the register views.
template <class Model>
QString modelNameOf()
{
    return QString::fromLatin1(Model::staticMetaObject.className());
}

class TAVSingletonFactory : public QObject
{
    Q_OBJECT

public:
    explicit TAVSingletonFactory(QObject *parent = nullptr);
};

// Process-wide command objects by name; owns them.
class SFCommands : public QObject
{
    Q_OBJECT

public:
    static SFCommands *instance();
    // Deletes the factory and every command it holds (the application does
    // this on exit); the next instance() starts empty.
    static void destroy();

    void registerCommand(TAVCommand *command);
    void registerCommand(const QString &name, TAVCommand *command);
    // Unknown names are programming errors and stop the program.
    TAVCommand *command(const QString &name) const;
    bool contains(const QString &name) const { return m_commands.contains(name); }
    QStringList names() const { return m_commands.keys(); }

private:
    SFCommands() = default;
    ~SFCommands() override;
    QMap<QString, TAVCommand *> m_commands;
};

// Process-wide model prototypes by class name; create() hands out new,
// initialised models that belong to the caller.
class SFModels : public QObject
{
    Q_OBJECT

public:
    static SFModels *instance();
    static void destroy();

    void registerModel(TAVTableModel *prototype);
    TAVTableModel *create(const QString &modelName, const QString &context) const;
    template <class Model>
    TAVTableModel *create(const QString &context = QString()) const
    {
        return create(modelNameOf<Model>(), context);
    }
    QStringList names() const { return m_prototypes.keys(); }

private:
    SFModels() = default;
    ~SFModels() override;
    QMap<QString, TAVTableModel *> m_prototypes;
};
