#pragma once

#include <QMap>
#include <QModelIndex>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVariant>

class TAVPermissionPolicy;
class TAVTableModel;

// One toolbar operation of a register, registered once under its name and
// run by the register with its model, current index and reference field.
class TAVCommand : public QObject
{
    Q_OBJECT

public:
    explicit TAVCommand(QObject *parent = nullptr);
    TAVCommand(TAVPermissionPolicy *policy, QObject *parent = nullptr);
    ~TAVCommand() override;

    bool operacja(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField);

    TAVPermissionPolicy *policy() const { return m_policy; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QVariant parameter(const QString &key) const { return m_parameters.value(key); }
    void setParameter(const QString &key, const QVariant &value) { m_parameters.insert(key, value); }

protected:
    virtual bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                             QPair<QString, int> *_refField) = 0;

private:
    QString m_name;
    TAVPermissionPolicy *m_policy = nullptr;
    QMap<QString, QVariant> m_parameters;
};
