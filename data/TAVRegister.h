#pragma once

#include <QList>
#include <QMetaObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QWidget;
class TAVCommand;
class TAVTableModel;

// What a pick list is run with.
struct TAVPickCall
{
    const TAVCommand &command;                 // its parameters ("filter", "windowTitle" …)
    TAVTableModel *caller = nullptr;           // the model of the dialog or register that asks
    const QPair<QString, int> *refField = nullptr;
    QString signature;                         // the log line naming the pick list's run
};

// The rows a pick list offers; fixed: a search within the list keeps to them.
struct TAVPickRows
{
    QString filter;
    bool fixed = false;
};

// A register's pick list: its register shown in a modal window; the chosen
// row's key and caption go back to the caller.
struct TAVPickListDeclaration
{
    QString name;                  // the command's name, as the log shows it
    QString context;               // the register's context in the list
    QStringList captionFields;     // joined by a blank; none: only the key goes back
    bool useWindowTitle = true;    // the caller's "windowTitle" titles the window
    std::function<TAVPickRows(const TAVPickCall &)> rows;  // none: every row
};

// The palette button that opens a register's module, or a page of its own.
struct TAVModuleDeclaration
{
    QString caption;               // the button's text
    QString icon;                  // its icon's name under ":/navbar/32/"
    int order = 0;                 // place in the palette, lowest first
    bool adminOnly = false;
    QString title;                 // the module tab's title
    QString context;               // the main register's context
    std::function<QWidget *()> page;  // instead of the register view (none: the view)
};

// The register shown as a tab under another module's register, its rows
// those of the selected row there.
struct TAVTabDeclaration
{
    const QMetaObject *under = nullptr;  // the main register's model class
    QString title;
    QString context;
    QString linkColumn;            // this register's column holding the main row's key
    int order = 0;                 // place among the tabs, lowest first
};

// One register, declared once: the program learns its model, commands,
// module, tabs, pick list and manual section from here.
struct TAVRegisterDeclaration
{
    const QMetaObject *modelClass = nullptr;  // the name factories and views know it by
    std::function<TAVTableModel *()> model;    // a new prototype for the model factory
    std::function<void()> commands;           // registers its commands with their policies
    std::optional<TAVModuleDeclaration> module;
    QList<TAVTabDeclaration> tabs;
    std::optional<TAVPickListDeclaration> pickList;
    QString helpSection;                       // anchor of its section in the manual
    // What the delete question calls a row ("narzędzie") and the columns
    // that name it after that word; none: the plain question.
    QString rowNoun;
    QStringList nameColumns;
    QString modelName() const { return QString::fromLatin1(modelClass->className()); }
};

// Every declared register, in the order declared.
class TAVRegisters
{
public:
    // Registers the model prototype, the commands and the pick list
    // (under its name) with the factories, and keeps the declaration.
    static void declare(TAVRegisterDeclaration declaration);
    // The same for the register of Model, whose prototype is a new Model.
    template <class Model>
    static void declare(TAVRegisterDeclaration declaration)
    {
        declaration.modelClass = &Model::staticMetaObject;
        declaration.model = [] { return new Model; };
        declare(std::move(declaration));
    }
    static QList<const TAVRegisterDeclaration *> all();
    static const TAVRegisterDeclaration *find(const QString &modelName);
    template <class Model>
    static const TAVRegisterDeclaration &of()
    {
        return *find(QString::fromLatin1(Model::staticMetaObject.className()));
    }
    // The declared modules in palette order.
    static QList<const TAVRegisterDeclaration *> modules();
    // The tabs shown under a register, in their order, with the register each shows.
    static QList<QPair<const TAVRegisterDeclaration *, TAVTabDeclaration>> tabsUnder(const QString &modelName);
};
