#include "ParameterList.h"

QVariant ParameterList::value(const QString &name, bool *found) const
{
    for (const auto &item : m_items) {
        if (item.first == name) {
            if (found)
                *found = true;
            return item.second;
        }
    }
    if (found)
        *found = false;
    return QVariant();
}

bool ParameterList::contains(const QString &name) const
{
    bool found = false;
    value(name, &found);
    return found;
}
