#pragma once

#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QAction>

// Toolbar actions of a register, found by their caption.
namespace RegisterActions {

inline QAction *action(TAVEwidencja &view, const QString &text)
{
    for (QAction *a : view.getModel()->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

// Runs an action as a click on its toolbar button does; false when the
// user could not have clicked it.
inline bool trigger(TAVEwidencja &view, const QString &text)
{
    QAction *a = action(view, text);
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    return true;
}

} // namespace RegisterActions
