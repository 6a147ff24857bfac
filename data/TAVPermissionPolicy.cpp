#include "TAVPermissionPolicy.h"

#include "TAVCommand.h"
#include "TAVTableModel.h"

bool evaluatePolicy(TAVCommand *command, TAVTableModel *model, const QModelIndex &current,
                    const QPair<QString, int> *refField, bool enabled)
{
    TAVPermissionPolicy *policy = command ? command->policy() : nullptr;
    if (!policy)
        return enabled;
    const QVariantList fields = policy->fields();
    QVariant value;
    if (refField) {
        for (const QVariant &f : fields) {
            if (f.toString() == refField->first)
                value = refField->second;
        }
    }
    if (!value.isValid() && model) {
        for (const QVariant &f : fields) {
            const int column = model->fieldIndex(f.toString());
            if (column >= 0)
                value = current.isValid() ? model->value(current.row(), column) : QVariant();
        }
    }
    return policy->allows(model, current, value, refField != nullptr);
}
