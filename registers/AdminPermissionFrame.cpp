#include "AdminPermissionFrame.h"
#include "ui_AdminPermissionFrame.h"

#include "Factories.h"
#include "OvUprawnieniaAdminModel.h"
#include "TAVSession.h"
#include "TAVCommand.h"
#include "TAVTableModel.h"

#include <QHeaderView>
#include <QIcon>
#include <QRegularExpression>
#include <QSortFilterProxyModel>

namespace {
const QString kKeyColumn = QStringLiteral("ovupradm_id");

void setUpView(QTableView *view, QSortFilterProxyModel *proxy, TAVTableModel *model,
               const QVector<QPair<int, QAbstractItemDelegate *>> &delegates)
{
    view->setModel(proxy);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(true);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    for (int column : model->hiddenColumns(QString()))
        if (column >= 0)
            view->hideColumn(column);
    for (const auto &d : delegates)
        if (d.first >= 0 && d.second)
            view->setItemDelegateForColumn(d.first, d.second);
}
} // namespace

AdminPermissionFrame::AdminPermissionFrame(QWidget *parent) : QFrame(parent), ui(new Ui::AdminPermissionFrame)
{
    ui->setupUi(this);
    ui->tbAdd->setIcon(QIcon(QStringLiteral(":/actions/key_add.png")));
    ui->tbRem->setIcon(QIcon(QStringLiteral(":/actions/key_delete.png")));

    m_model = SFModels::instance()->create<OvUprawnieniaAdminModel>();
    m_model->setParent(this);
    const int keyColumn = m_model->fieldIndex(kKeyColumn);

    m_admins = new QSortFilterProxyModel(this);
    m_available = new QSortFilterProxyModel(this);
    const struct {
        QSortFilterProxyModel *proxy;
        const char *pattern;
    } proxies[] = {{m_admins, "^[1-9][0-9]*$"}, {m_available, "^0$"}};
    for (const auto &p : proxies) {
        p.proxy->setSourceModel(m_model);
        p.proxy->setFilterKeyColumn(keyColumn);
        p.proxy->setFilterRegularExpression(QRegularExpression(QString::fromLatin1(p.pattern)));
        p.proxy->setDynamicSortFilter(true);
    }

    m_model->select();

    // Both tables share the one set of delegates the model owns.
    const auto delegates = m_model->columnDelegates();
    setUpView(ui->tvAdmins, m_admins, m_model, delegates);
    setUpView(ui->tvAvailable, m_available, m_model, delegates);

    const bool admin = TAVSession::current()->isAdmin();
    ui->tbAdd->setEnabled(admin);
    ui->tbRem->setEnabled(admin);
    connect(ui->tbAdd, &QToolButton::clicked, this, &AdminPermissionFrame::addAdmin);
    connect(ui->tbRem, &QToolButton::clicked, this, &AdminPermissionFrame::remAdmin);
    connect(ui->tvAvailable, &QTableView::doubleClicked, this, &AdminPermissionFrame::addAdmin);
    connect(ui->tvAdmins, &QTableView::doubleClicked, this, &AdminPermissionFrame::remAdmin);
}

AdminPermissionFrame::~AdminPermissionFrame() = default;

// The slots are public; without rights they do nothing, like the buttons.
void AdminPermissionFrame::addAdmin()
{
    if (!ui->tbAdd->isEnabled())
        return;
    runOn(ui->tvAvailable, m_available, QStringLiteral("AddAdminCommand"));
}

void AdminPermissionFrame::remAdmin()
{
    if (!ui->tbRem->isEnabled())
        return;
    runOn(ui->tvAdmins, m_admins, QStringLiteral("RemAdminCommand"));
}

void AdminPermissionFrame::runOn(QTableView *view, QSortFilterProxyModel *proxy, const QString &commandName)
{
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        return;
    const QModelIndex source = proxy->mapToSource(current);
    if (!source.isValid())
        return;
    TAVCommand *command = SFCommands::instance()->command(commandName);
    command->operacja(m_model, m_model->index(source.row(), source.column()), nullptr);
}
