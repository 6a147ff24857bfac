#include "TAVRegister.h"

#include "BasicCommands.h"
#include "Factories.h"

#include <algorithm>
#include <deque>

namespace {
// A deque: what find() hands out stays where it is as more are declared.
std::deque<TAVRegisterDeclaration> &declarations()
{
    static std::deque<TAVRegisterDeclaration> list;
    return list;
}
} // namespace

void TAVRegisters::declare(TAVRegisterDeclaration declaration)
{
    Q_ASSERT(declaration.modelClass && declaration.model);
    // Declared again (the factories were emptied): the newer one holds.
    TAVRegisterDeclaration *kept = const_cast<TAVRegisterDeclaration *>(find(declaration.modelName()));
    if (kept) {
        *kept = std::move(declaration);
    } else {
        declarations().push_back(std::move(declaration));
        kept = &declarations().back();
    }
    // Commands first: a model looks its actions' commands up.
    if (kept->commands)
        kept->commands();
    SFModels::instance()->registerModel(kept->model());
    if (kept->pickList)
        SFCommands::instance()->registerCommand(kept->pickList->name, new TAVListaWyboruCommand(*kept));
}

QList<const TAVRegisterDeclaration *> TAVRegisters::all()
{
    QList<const TAVRegisterDeclaration *> list;
    for (const TAVRegisterDeclaration &d : declarations())
        list << &d;
    return list;
}

const TAVRegisterDeclaration *TAVRegisters::find(const QString &modelName)
{
    for (const TAVRegisterDeclaration &d : declarations()) {
        if (d.modelName() == modelName)
            return &d;
    }
    return nullptr;
}

QList<const TAVRegisterDeclaration *> TAVRegisters::modules()
{
    QList<const TAVRegisterDeclaration *> list;
    for (const TAVRegisterDeclaration &d : declarations()) {
        if (d.module)
            list << &d;
    }
    std::stable_sort(list.begin(), list.end(), [](const auto *a, const auto *b) { return a->module->order < b->module->order; });
    return list;
}

QList<QPair<const TAVRegisterDeclaration *, TAVTabDeclaration>> TAVRegisters::tabsUnder(const QString &modelName)
{
    QList<QPair<const TAVRegisterDeclaration *, TAVTabDeclaration>> list;
    for (const TAVRegisterDeclaration &d : declarations()) {
        for (const TAVTabDeclaration &tab : d.tabs) {
            if (tab.under && QLatin1String(tab.under->className()) == modelName)
                list.append({&d, tab});
        }
    }
    std::stable_sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.second.order < b.second.order; });
    return list;
}
