#include "TAVEwidencja.h"

#include "Factories.h"
#include "OVPermissions.h"
#include "TAVCommand.h"
#include "TAVTableModel.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDebug>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const char *const kSearchFieldName = "searchFieldName";

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

TAVEwidencja::TAVEwidencja(QString modelName, QString context, QString refField, QWidget *parent)
    : QFrame(parent), m_modelName(modelName), m_context(context), m_refField(refField)
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tableView"));
    m_actionGroup = new QActionGroup(this);
    m_actionGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("relativeTabs"));

    m_model = SFModels::instance()->create(m_modelName, m_context);
    if (!m_model)
        qFatal("TAVEwidencja: no model named %s", qPrintable(m_modelName));
    m_model->setParent(this);

    setSearchBar();

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_toolBar, 0, 0);
    grid->addWidget(m_searchPanel, 0, 1, 2, 1);
    grid->addWidget(m_table, 1, 0);
    grid->addWidget(m_tabs, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    m_tabs->hide();

    m_table->setModel(m_model->sqlModel());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sorting goes through the table model, and keeps the selected record.
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int section, Qt::SortOrder order) {
        if (section < 0)
            return;
        const QModelIndex current = currentIndex();
        const QVariant key = current.isValid() ? m_model->record(current.row()).value(0) : QVariant();
        m_model->sort(section, order);
        if (key.isValid())
            selectKey(key);
    });
    for (int column : m_model->hiddenColumns(m_context)) {
        if (column >= 0)
            m_table->setColumnHidden(column, true);
    }
    for (const auto &d : m_model->columnDelegates()) {
        if (d.first >= 0)
            m_table->setItemDelegateForColumn(d.first, d.second);
    }
    m_model->select();
    m_table->resizeColumnsToContents();

    setColumnsOrder();
    fillToolBar();

    if (QAbstractItemDelegate *rowDelegate = m_model->rowDelegate())
        m_table->setItemDelegate(rowDelegate);

    connect(m_actionGroup, &QActionGroup::triggered, this, &TAVEwidencja::controlAction);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) { currentIdChanged(current); });
    connect(m_tabs, &QTabWidget::currentChanged, this, &TAVEwidencja::refreshRelativeTab);
    connect(this, &TAVEwidencja::searchBarVisibleChange, this, &TAVEwidencja::hideSearchBar);

    setSearchBarVisible(false);
    // Until a row is current the commands reflect the user's rights alone.
    refreshActionsAccessibility();
}

TAVEwidencja::~TAVEwidencja() = default;

TAVTableModel *TAVEwidencja::getModel()
{
    return m_model;
}

QModelIndex TAVEwidencja::currentIndex() const
{
    return m_table->currentIndex();
}

void TAVEwidencja::fillToolBar()
{
    for (QAction *action : m_model->actions()) {
        const QString byText = QStringLiteral(":/actions/") + action->text();
        const QString byTip = QStringLiteral(":/actions/") + action->toolTip();
        if (QFile::exists(byText))
            action->setIcon(QIcon(byText));
        else if (!action->toolTip().isEmpty() && QFile::exists(byTip))
            action->setIcon(QIcon(byTip));
        m_toolBar->addAction(action);
        m_actionGroup->addAction(action);
    }

    auto *spacer = new QWidget(m_toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_toolBar->addWidget(spacer);

    const bool hasInputs = m_searchButton != nullptr;
    if (hasInputs) {
        m_searchAction = new QAction(QIcon(QStringLiteral(":/grafika/s")), QStringLiteral("Wyszukiwarka\n[F3]"), this);
        m_searchAction->setObjectName(QStringLiteral("searchAction"));
        m_searchAction->setCheckable(true);
        connect(m_searchAction, &QAction::toggled, this, &TAVEwidencja::setSearchBarVisible);
        m_toolBar->addAction(m_searchAction);
    }
    // Print actions join with the reports.
}

void TAVEwidencja::setSearchBar()
{
    m_searchPanel = new QGroupBox(QStringLiteral("Wyszukiwarka"), this);
    m_searchPanel->setObjectName(QStringLiteral("searchPanel"));
    auto *box = new QVBoxLayout(m_searchPanel);
    auto *grid = new QGridLayout;
    auto *buttons = new QHBoxLayout;
    box->addLayout(grid);
    box->addLayout(buttons);
    box->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Expanding));

    int row = 0;
    for (const auto &field : m_model->searchFields()) {
        const QString header = m_model->sqlModel()
                                       ->headerData(m_model->fieldIndex(field.first), Qt::Horizontal, Qt::DisplayRole)
                                       .toString();
        auto *label = new QLabel(header, m_searchPanel);
        QWidget *input = nullptr;
        if (field.second == 0) {
            input = new QLineEdit(m_searchPanel);
        } else if (field.second == 1) {
            input = new QComboBox(m_searchPanel);
        } else {
            auto *combo = new QComboBox(m_searchPanel);
            combo->addItem(QString());
            combo->addItem(QStringLiteral("W trakcie"), false);
            combo->addItem(QStringLiteral("Zakończono"), true);
            input = combo;
        }
        input->setProperty(kSearchFieldName, field.first);
        label->setBuddy(input);
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row, 1);
        ++row;
    }
    if (row > 0) {
        m_searchButton = new QPushButton(QStringLiteral("SZUKAJ"), m_searchPanel);
        m_searchButton->setObjectName(QStringLiteral("pbSzukaj"));
        m_clearButton = new QPushButton(QStringLiteral("WYCZYŚĆ"), m_searchPanel);
        m_clearButton->setObjectName(QStringLiteral("pbWyczysc"));
        // Return in a search field is ours, not the dialog's default button.
        m_searchButton->setAutoDefault(false);
        m_clearButton->setAutoDefault(false);
        connect(m_searchButton, &QPushButton::clicked, this, &TAVEwidencja::makeSearch);
        connect(m_clearButton, &QPushButton::clicked, this, &TAVEwidencja::clearSearch);
        buttons->addWidget(m_searchButton);
        buttons->addWidget(m_clearButton);
    }
    m_searchPanel->setVisible(row > 0);
}

QString TAVEwidencja::baseFilter() const
{
    if (!m_fixedFilter.isEmpty())
        return m_fixedFilter;
    if (m_parentKey > 0 && !m_refField.isEmpty())
        return QStringLiteral("%1 = %2").arg(m_refField).arg(m_parentKey);
    return QString();
}

void TAVEwidencja::makeSearch()
{
    QString conditions;
    const auto inputs = m_searchPanel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *input : inputs) {
        const QVariant column = input->property(kSearchFieldName);
        if (!column.isValid())
            continue;
        const QString text = input->property("text").toString();
        if (!text.trimmed().isEmpty()) {
            // The text goes inside an SQL literal: an apostrophe is doubled
            // so that it is searched for, not taken as the literal's end.
            QString literal = text;
            literal.replace(QLatin1Char('\''), QStringLiteral("''"));
            conditions += QStringLiteral(" %1 ILIKE '%%2%' AND").arg(column.toString(), literal);
        } else if (auto *combo = qobject_cast<QComboBox *>(input)) {
            const QVariant data = combo->currentData(Qt::UserRole);
            if (data.isValid())
                conditions += QStringLiteral(" %1 = %2 AND").arg(column.toString(), data.toString());
        }
    }
    if (conditions.isEmpty()) {
        clearSearch();
        return;
    }
    conditions.chop(3);
    const QString base = baseFilter();
    const QString filter = base.isEmpty() ? conditions : QStringLiteral("(%1) AND %2 ").arg(conditions, base);
    m_model->setFilter(filter);
    qDebug() << "TAVEwidencja::makeSearch()";
    qDebug().noquote() << "   search filter: " + quoted(filter);
}

void TAVEwidencja::clearSearch()
{
    const auto inputs = m_searchPanel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *input : inputs) {
        if (input->property(kSearchFieldName).isValid() && input->metaObject()->indexOfProperty("text") >= 0)
            input->setProperty("text", QString());
    }
    m_model->setFilter(baseFilter());
}

void TAVEwidencja::setSearchBarVisible(bool _visible)
{
    if (_visible == m_searchBarVisible)
        return;
    m_searchBarVisible = _visible;
    Q_EMIT searchBarVisibleChange(_visible);
}

void TAVEwidencja::hideSearchBar()
{
    const bool show = m_searchBarVisible && m_searchButton;
    m_searchPanel->setVisible(show);
    if (m_searchAction && m_searchAction->isChecked() != m_searchBarVisible)
        m_searchAction->setChecked(m_searchBarVisible);
    if (show) {
        if (QWidget *first = m_searchPanel->findChild<QLineEdit *>())
            first->setFocus();
    }
}

void TAVEwidencja::keyPressEvent(QKeyEvent *event)
{
    // With the panel hidden, Return and Escape belong to the window (a
    // pick list's OK and Cancel).
    const bool searching = m_searchBarVisible && m_searchButton;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (searching) {
            m_searchButton->click();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (searching && m_clearButton) {
            m_clearButton->click();
            return;
        }
        break;
    case Qt::Key_F3:
        if (m_searchAction) {
            m_searchAction->trigger();
            return;
        }
        break;
    default:
        break;
    }
    QFrame::keyPressEvent(event);
}

void TAVEwidencja::addRelative(TAVEwidencja *_zalezna, QString _refField)
{
    if (!_zalezna)
        return;
    m_relatives.append(_zalezna);
    _zalezna->setRefField(_refField);
    if (m_tabs->isHidden())
        m_tabs->show();
    m_tabs->addTab(_zalezna, _zalezna->title());
}

void TAVEwidencja::selectFirstRow()
{
    m_table->selectRow(0);
}

void TAVEwidencja::currentIdChanged(QModelIndex _modelIndex)
{
    int key = -1;
    if (_modelIndex.isValid()) {
        key = m_model->record(_modelIndex.row()).value(0).toString().toInt();
        refreshActionsAccessibility();
    }
    for (TAVEwidencja *relative : std::as_const(m_relatives)) {
        relative->m_relationFilter = QStringLiteral("%1 = %2").arg(relative->m_refField).arg(key);
        relative->m_parentKey = key;
        qDebug() << "TAVEwidencja::currentIdChanged( const QModelIndex& _modelIndex )";
        qDebug().noquote() << "   Ref filter: " + quoted(relative->m_relationFilter);
    }
    if (!m_relatives.isEmpty())
        refreshRelativeTab(m_tabs->currentIndex());
}

void TAVEwidencja::refreshRelativeTab(int _tabIndex)
{
    auto *relative = qobject_cast<TAVEwidencja *>(m_tabs->widget(_tabIndex));
    if (!relative)
        return;
    relative->refreshActionsAccessibility();
    if (!relative->m_relationFilter.isEmpty())
        relative->m_model->setFilter(relative->m_relationFilter);
    else
        relative->m_model->select();
}

void TAVEwidencja::refreshActionsAccessibility()
{
    const QPair<QString, int> ref = referencePair();
    const QModelIndex current = currentIndex();
    for (QAction *action : m_actionGroup->actions()) {
        const QVariant name = action->property("commandName");
        if (!name.isValid())
            qFatal("Action has a wrong command reference.");
        TAVCommand *command = SFCommands::instance()->command(name.toString());
        action->setEnabled(evaluatePolicy(command, m_model, current, m_refField.isEmpty() ? nullptr : &ref,
                                          action->isEnabled()));
    }
}

void TAVEwidencja::controlAction(QAction *_action)
{
    const QModelIndex before = currentIndex();
    const QVariant name = _action ? _action->property("commandName") : QVariant();
    if (!name.isValid())
        qFatal("Action has a wrong command reference.");
    TAVCommand *command = SFCommands::instance()->command(name.toString());
    QPair<QString, int> ref = referencePair();
    const bool ok = command->operacja(m_model, before, m_refField.isEmpty() ? nullptr : &ref);
    if (!ok)
        return;
    if (m_model->lastId().isValid())
        selectKey(m_model->lastId());
    else if (currentIndex() != before)
        selectFirstRow();
}

void TAVEwidencja::selectKey(const QVariant &key)
{
    QSqlRelationalTableModel *sql = m_model->sqlModel();
    int row = 0;
    for (;;) {
        for (; row < sql->rowCount(); ++row) {
            if (sql->record(row).value(0) == key) {
                m_table->selectRow(row);
                scrollToRow(row);
                return;
            }
        }
        if (!sql->canFetchMore())
            break;
        sql->fetchMore();
    }
}

void TAVEwidencja::scrollToRow(int row)
{
    const QModelIndex index = m_model->sqlModel()->index(row, 0);
    // The key column is hidden; show it for the moment of scrolling.
    const bool hidden = m_table->isColumnHidden(0);
    m_table->setColumnHidden(0, false);
    m_table->scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_table->setColumnHidden(0, hidden);
}

void TAVEwidencja::select()
{
    const QModelIndex current = currentIndex();
    const QVariant key = current.isValid() ? m_model->record(current.row()).value(0) : QVariant();
    m_model->select();
    if (current.isValid())
        selectKey(key);
    else
        selectFirstRow();
}

void TAVEwidencja::setColumnsOrder()
{
    QHeaderView *header = m_table->horizontalHeader();
    for (const auto &order : m_model->columnsOrder()) {
        const int logical = m_model->fieldIndex(order.first);
        if (order.second > 0 && logical >= 0)
            header->moveSection(header->visualIndex(logical), order.second);
    }
}

QPixmap TAVEwidencja::grabTable()
{
    QTableView view;
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setModel(m_model->sqlModel());
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int columns = m_model->sqlModel()->columnCount();
    for (int c = 0; c < columns; ++c) {
        view.setColumnHidden(c, m_table->isColumnHidden(c));
        if (QAbstractItemDelegate *d = m_table->itemDelegateForColumn(c))
            view.setItemDelegateForColumn(c, d);
    }
    if (QAbstractItemDelegate *rowDelegate = m_model->rowDelegate())
        view.setItemDelegate(rowDelegate);
    QHeaderView *header = view.horizontalHeader();
    QHeaderView *shown = m_table->horizontalHeader();
    for (int visual = 0; visual < columns; ++visual) {
        const int logical = shown->logicalIndex(visual);
        header->moveSection(header->visualIndex(logical), visual);
    }
    int width = view.verticalHeader()->sizeHint().width();
    for (int c = 0; c < columns; ++c) {
        if (!view.isColumnHidden(c)) {
            view.setColumnWidth(c, m_table->columnWidth(c));
            width += m_table->columnWidth(c);
        }
    }
    int height = header->sizeHint().height();
    for (int r = 0; r < m_model->sqlModel()->rowCount(); ++r)
        height += view.rowHeight(r);
    view.setFixedSize(width + 2 * view.frameWidth(), height + 2 * view.frameWidth());
    view.show();
    const QPixmap image = view.grab();
    return image;
}
