#pragma once

#include <QFrame>

#include <memory>

class QSortFilterProxyModel;
class QTableView;
class TAVTableModel;

namespace Ui {
class AdminPermissionFrame;
}

// Administrators and the other users side by side, with the buttons that
// move a user between them.
class AdminPermissionFrame : public QFrame
{
    Q_OBJECT

public:
    explicit AdminPermissionFrame(QWidget *parent = nullptr);
    ~AdminPermissionFrame() override;

    TAVTableModel *model() const { return m_model; }

public Q_SLOTS:
    void addAdmin();
    void remAdmin();

private:
    void runOn(QTableView *view, QSortFilterProxyModel *proxy, const QString &commandName);

    std::unique_ptr<Ui::AdminPermissionFrame> ui;
    TAVTableModel *m_model = nullptr;
    QSortFilterProxyModel *m_admins = nullptr;
    QSortFilterProxyModel *m_available = nullptr;
};
