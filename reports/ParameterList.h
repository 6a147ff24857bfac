#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Named values handed to a report: the key of the printed record, today's
// date and whatever else a definition declares. Names are compared exactly;
// the first entry of a name wins, as with a list appended in order.
class ParameterList
{
public:
    void append(const QString &name, int value) { append(name, QVariant(value)); }
    void append(const QString &name, const QString &value) { append(name, QVariant(value)); }
    void append(const QString &name, const char *value) { append(name, QVariant(QString::fromUtf8(value))); }
    void append(const QString &name, const QVariant &value) { m_items.append({name, value}); }

    QVariant value(const QString &name, bool *found = nullptr) const;
    bool contains(const QString &name) const;

    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    QString name(int i) const { return m_items.at(i).first; }
    QVariant value(int i) const { return m_items.at(i).second; }
    void clear() { m_items.clear(); }

private:
    QList<QPair<QString, QVariant>> m_items;
};
