#pragma once

#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QSqlRecord>
#include <QStringList>
#include <QWidget>

class QComboBox;
class TAVTableModel;

// Binds a dialog's input widgets to the fields of one row of a table model
// and gives back a record of what the user changed.
class TAVDataWidget : public QWidget
{
    Q_OBJECT

public:
    TAVDataWidget(TAVTableModel *model, QWidget *parent = nullptr);
    ~TAVDataWidget() override;

    void addMapping(QWidget *_widget, int _fieldIndex);
    void addMapping(QWidget *widget, const QString &fieldName);
    void removeMapping(QWidget *widget);

    QSqlRecord getRecord();
    // Puts the given values (those that are set) into the widgets: the
    // defaults of a new record.
    void loadRecord(const QSqlRecord &record);
    // The widget bound to a field, or null.
    QWidget *mappedWidget(const QString &fieldName) const;
    QStringList mappedFields() const;
    bool hasMapping(const QString &fieldName) const;
    bool isChanged(const QString &fieldName) const;

    int currentRow() const { return m_row; }

public Q_SLOTS:
    virtual void setCurrentIndex(int row);
    void setCurrentModelIndex(QModelIndex index);

Q_SIGNALS:
    void currentIndexChanged(int row);

private:
    struct Mapping
    {
        QPointer<QWidget> widget;
        int fieldIndex = -1;
        QByteArray property;
    };

    void fillCombos();
    void loadInto(const QSqlRecord &rec, bool onlySet);
    void comboBoxFillQueryData(QComboBox &_comboBox, int fieldIndex);
    QSqlRecord currentRecord() const;
    QVariant valueOf(const QSqlRecord &row, int fieldIndex) const;
    const Mapping *mappingOf(const QString &fieldName) const;
    bool hasRelation(int fieldIndex) const;

    TAVTableModel *m_model;
    int m_row = -1;
    int m_column = -1;
    QList<Mapping> m_mappings;
    QSqlRecord m_current;
    bool m_combosFilled = false;
};
