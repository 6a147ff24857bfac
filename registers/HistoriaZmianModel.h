#pragma once

#include "TAVTableModel.h"

// The history of every record, written by the database: the whole history
// for administrators, a record's entries in its "Historia" tab (context
// "HISTORIA:<table>"), and a tool's life with its movements.
class HistoriaZmianModel : public TAVModel<HistoriaZmianModel>
{
    Q_OBJECT

public:
    explicit HistoriaZmianModel(QObject *parent = nullptr);

    static QString tabContext(const QString &table) { return QStringLiteral("HISTORIA:") + table; }

    void initialize() override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
    QVector<int> hiddenColumns(QString context) override;
    QString contextCondition() const override;
};
