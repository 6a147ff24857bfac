#pragma once

#include "TAVTableModel.h"

class MagazynyModel : public TAVTableModel
{
    Q_OBJECT

public:
    explicit MagazynyModel(QObject *parent = nullptr);

    TAVTableModel *createInstance() override;
    QSqlRecord defaultRecord() override;
    QVector<int> hiddenColumns(QString context) override;
    void createRowDelegate() override;
    void createColumnDelegates() override;
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void setActions(QString _context) override;
    void createColumnsOrder() override;
    void createSearchFields() override;

public Q_SLOTS:
    void setCommands() override;

private:
    QString m_context;
};
