#include "TAVEwidencja.h"

#include "Factories.h"
#include "TAVCommand.h"
#include "TAVContext.h"
#include "TAVDialog.h"
#include "TAVDb.h"
#include "TAVMessages.h"
#include "TAVScanField.h"
#include "TAVSearchPanel.h"
#include "TAVSession.h"
#include "TAVPermissionPolicy.h"
#include "TAVTableModel.h"
#include "TAVUiState.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
// A pick list narrowed to one row: Enter takes it, as a double click would.
void pickTheOnlyRow(TAVEwidencja *view)
{
    const QModelIndex current = view->currentIndex();
    if (view->pickMode() && view->getModel()->rowCount() == 1 && current.isValid()
        && view->tableView()->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        Q_EMIT view->rowActivated(current);
}
QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

TAVEwidencja::TAVEwidencja(QString modelName, QString context, QString refField, QWidget *parent)
    : QFrame(parent), m_modelName(modelName), m_context(context), m_refField(refField)
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
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

    auto *top = new QWidget(this);
    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_toolBar, 0, 0);
    grid->addWidget(m_searchPanel, 0, 1, 2, 1);
    grid->addWidget(m_table, 1, 0);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(top);
    m_splitter->addWidget(m_tabs);
    m_splitter->setStretchFactor(0, 4);
    m_splitter->setStretchFactor(1, 1);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->addWidget(m_splitter);
    m_tabs->hide();

    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line per row: a long text is cut at the column's edge, not at a word.
    m_table->setWordWrap(false);
    m_table->setStyleSheet(QStringLiteral("QTableView::item { padding-left: 4px; padding-right: 6px; }"));
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    // Sorting goes through the table model, and keeps the selected record.
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setStretchLastSection(true);
    // Fitting columns reads the rows already at hand, not the whole register.
    header->setResizeContentsPrecision(200);
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int section, Qt::SortOrder order) {
        if (section >= 0)
            m_model->sort(section, order);
    });
    connect(header, &QHeaderView::sectionResized, this, [this] {
        // Only what the user drags is remembered, not the setting up.
        if (m_appliedColumns > 0 && !m_applyingColumns)
            TAVUiState::saveColumnWidths(m_table, stateKey());
    });

    // A dependent register shows nothing until its parent has a row.
    if (!m_refField.isEmpty())
        m_model->setFilter(baseFilter());
    m_model->select();
    applyColumnSetup();

    fillToolBar();

    if (QAbstractItemDelegate *rowDelegate = m_model->rowDelegate())
        m_table->setItemDelegate(rowDelegate);

    connect(m_actionGroup, &QActionGroup::triggered, this, &TAVEwidencja::controlAction);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) { currentIdChanged(current); });
    connect(m_tabs, &QTabWidget::currentChanged, this, &TAVEwidencja::refreshRelativeTab);
    connect(this, &TAVEwidencja::searchBarVisibleChange, this, &TAVEwidencja::hideSearchBar);
    connect(m_table, &QTableView::activated, this, &TAVEwidencja::onActivated);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, &TAVEwidencja::rememberCurrent);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TAVEwidencja::restoreCurrent);
    // Another workstation or command changed the current row: its commands may change too.
    connect(m_model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        const QModelIndex current = currentIndex();
        if (current.isValid() && current.row() >= from.row() && current.row() <= to.row())
            refreshActionsAccessibility();
    });

    setSearchBarVisible(false);
    // Until a row is current the commands reflect the user's rights alone.
    refreshActionsAccessibility();
    m_splitterKept = TAVUiState::restoreSplitter(m_splitter, stateKey());
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] {
        m_splitterKept = true;
        TAVUiState::saveSplitter(m_splitter, stateKey());
    });
}

TAVEwidencja::~TAVEwidencja() = default;

QString TAVEwidencja::stateKey() const
{
    QString key = QStringLiteral("rejestr_") + m_modelName;
    if (!m_context.isEmpty())
        key += QLatin1Char('_') + m_context;
    if (!m_refField.isEmpty())
        key += QLatin1Char('_') + m_refField;
    return key;
}

TAVTableModel *TAVEwidencja::getModel()
{
    return m_model;
}

QModelIndex TAVEwidencja::currentIndex() const
{
    return m_table->currentIndex();
}

void TAVEwidencja::setRefField(const QString &field)
{
    const bool changed = field != m_refField;
    m_refField = field;
    if (changed && !field.isEmpty()) {
        // The detail print of this link, and no table print, from now on.
        for (QAction *a : m_toolBar->actions()) {
            if (a->property("printAction").toBool())
                m_toolBar->removeAction(a);
        }
        if (!detailReportName().isEmpty())
            addPrintAction(QStringLiteral(":/actions/table_print.png"), QStringLiteral("Drukuj zestawienie"),
                           &TAVEwidencja::printReportDetails);
        if (!m_model->recordReportName().isEmpty())
            addPrintAction(QStringLiteral(":/actions/table_select_row_print.png"), QStringLiteral("Drukuj pozycję"),
                           &TAVEwidencja::printReportPosition);
    }
    if (changed && !field.isEmpty() && m_parentKey <= 0)
        m_model->setFilter(baseFilter());
}

// Header and first rows fit; a long name does not push the rest away.
void TAVEwidencja::fitColumns()
{
    const int widest = m_table->fontMetrics().averageCharWidth() * 40;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_table->isColumnHidden(c))
            continue;
        m_table->resizeColumnToContents(c);
        if (m_table->columnWidth(c) > widest)
            m_table->setColumnWidth(c, widest);
    }
}

void TAVEwidencja::applyColumnSetup()
{
    const int columns = m_model->columnCount();
    if (columns == m_appliedColumns || columns == 0)
        return;
    m_appliedColumns = columns;
    m_applyingColumns = true;
    for (int c = 0; c < columns; ++c)
        m_table->setColumnHidden(c, false);
    for (int column : m_model->hiddenColumns(m_context)) {
        if (column >= 0)
            m_table->setColumnHidden(column, true);
    }
    for (const auto &d : m_model->columnDelegates()) {
        if (d.first >= 0)
            m_table->setItemDelegateForColumn(d.first, d.second);
    }
    setColumnsOrder();
    m_searchPanel->updateCaptions();
    m_widthsRestored = TAVUiState::restoreColumnWidths(m_table, stateKey());
    if (!m_widthsRestored)
        fitColumns();
    m_applyingColumns = false;
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

    if (QWidget *own = m_model->toolBarWidget(m_toolBar))
        m_toolBar->addWidget(own);
    if (!m_model->scanColumns().isEmpty())
        addScanField();

    if (m_searchButton) {
        m_searchAction = new QAction(QIcon(QStringLiteral(":/grafika/s")), QStringLiteral("Wyszukiwarka\n[F3]"), this);
        m_searchAction->setObjectName(QStringLiteral("searchAction"));
        m_searchAction->setCheckable(true);
        connect(m_searchAction, &QAction::toggled, this, &TAVEwidencja::setSearchBarVisible);
        m_toolBar->addAction(m_searchAction);
    }
    if (!m_model->recordReportName().isEmpty())
        addPrintAction(QStringLiteral(":/actions/table_select_row_print.png"), QStringLiteral("Drukuj pozycję"),
                       &TAVEwidencja::printReportPosition);
    if (!m_refField.isEmpty() && !detailReportName().isEmpty())
        addPrintAction(QStringLiteral(":/actions/table_print.png"), QStringLiteral("Drukuj zestawienie"),
                       &TAVEwidencja::printReportDetails);
    if (!m_model->tableReportName().isEmpty() && m_refField.isEmpty())
        addPrintAction(QStringLiteral(":/actions/table_print.png"), QStringLiteral("Drukuj tabelę"),
                       &TAVEwidencja::printReportTable);
    addExportAction();
}

void TAVEwidencja::addScanField()
{
    m_scan = new TAVScanField(m_toolBar);
    m_toolBar->addWidget(m_scan);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_K), QKeySequence(Qt::Key_F2)}) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &TAVEwidencja::focusScanField);
        // A register inside another with its own field: the one holding the focus answers.
        connect(shortcut, &QShortcut::activatedAmbiguously, this, [this] {
            QWidget *focus = QApplication::focusWidget();
            for (QWidget *w = focus; w; w = w->parentWidget()) {
                auto *view = qobject_cast<TAVEwidencja *>(w);
                if (view && view->scanField()) {
                    if (view == this)
                        focusScanField();
                    return;
                }
            }
        });
    }
}

QLineEdit *TAVEwidencja::scanField() const
{
    return m_scan ? m_scan->field() : nullptr;
}

QLabel *TAVEwidencja::scanStatus() const
{
    return m_scan ? m_scan->status() : nullptr;
}

void TAVEwidencja::focusScanField()
{
    if (m_scan)
        m_scan->focusField();
}

void TAVEwidencja::scan()
{
    if (!m_scan)
        return;
    const QString text = m_scan->takeCode();
    if (text.isEmpty())
        return;
    qDebug() << "TAVEwidencja::scan()";
    qDebug() << "   code:" << text;
    const TAVTableModel::ScanRecord record = m_model->recordScan(text, m_parentKey, this);
    if (record.recorded) {
        // Only the new row is read; the rest of the register stands.
        if (record.key.isValid())
            m_model->refreshRows({record.key.toLongLong()});
        else
            m_model->select();
        if (record.key.isValid())
            selectKey(record.key);
        m_scan->showResult(record.text, record.fine);
        return;
    }
    QVariantList keys = m_model->scanKeys(text, m_model->filter());
    // A search may hide the row: the register shows it again without the search.
    const QString base = baseFilter();
    bool cleared = false;
    if (keys.isEmpty() && m_model->filter() != base) {
        keys = m_model->scanKeys(text, base);
        cleared = !keys.isEmpty();
    }
    if (keys.isEmpty()) {
        if (m_model->scanKey(text, QString()).isValid())
            m_scan->showResult(QStringLiteral("Kod „%1” należy do pozycji spoza tego zestawienia.").arg(text), false);
        else
            m_scan->showResult(QStringLiteral("Nie znaleziono kodu „%1”.").arg(text), false);
        return;
    }
    const QVariant key = keys.size() == 1 ? keys.first() : chooseScanned(text, keys);
    if (!key.isValid()) {
        m_scan->showResult(QStringLiteral("Kod „%1” ma kilka pozycji – nie wybrano żadnej.").arg(text), false);
        return;
    }
    if (cleared)
        clearSearch();
    if (selectKey(key))
        m_scan->showResult(QStringLiteral("Znaleziono: %1").arg(text)
                               + (cleared ? QStringLiteral(" (wyszukiwanie wyczyszczone)") : QString()),
                       true);
    else
        m_scan->showResult(QStringLiteral("Nie znaleziono kodu „%1”.").arg(text), false);
}

QVariant TAVEwidencja::chooseScanned(const QString &text, const QVariantList &keys)
{
    QStringList ids;
    for (const QVariant &key : keys)
        ids << QString::number(key.toLongLong());
    const QString filter = QStringLiteral("%1 IN (%2)").arg(m_model->primaryKeyName(), ids.join(QLatin1Char(',')));
    auto *view = new TAVEwidencja(m_modelName, TAVContext::PickList, QString(), nullptr);
    view->getModel()->setFilter(filter);
    view->setFixedFilter(filter);
    TAVDialog dialog(m_model, QModelIndex(), this);
    dialog.setEwidencja(view);
    dialog.setWindowTitle(QStringLiteral("Kod „%1” ma kilka pozycji – wybierz jedną").arg(text));
    view->selectFirstRow();
    if (dialog.exec() != QDialog::Accepted)
        return QVariant();
    const QSqlRecord chosen = dialog.getRecord();
    const QVariant key = chosen.value(m_model->primaryKeyName());
    return key.isNull() ? QVariant() : QVariant(key.toLongLong());
}

QAction *TAVEwidencja::commandAction(const QString &text) const
{
    for (QAction *action : m_actionGroup->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void TAVEwidencja::setSearchBar()
{
    m_searchPanel = new TAVSearchPanel(m_model, this);
    m_searchButton = m_searchPanel->searchButton();
    m_clearButton = m_searchPanel->clearButton();
    if (m_searchButton) {
        connect(m_searchButton, &QPushButton::clicked, this, &TAVEwidencja::makeSearch);
        connect(m_clearButton, &QPushButton::clicked, this, &TAVEwidencja::clearSearch);
    }
}

QString TAVEwidencja::baseFilter() const
{
    if (!m_fixedFilter.isEmpty())
        return m_fixedFilter;
    const QString own = m_model->contextCondition();
    // Without a parent row a dependent register stands for nothing.
    if (!m_refField.isEmpty()) {
        const QString link = QStringLiteral("%1 = %2").arg(m_refField).arg(m_parentKey > 0 ? m_parentKey : -1);
        return own.isEmpty() ? link : QStringLiteral("%1 AND %2").arg(own, link);
    }
    return own;
}

bool TAVEwidencja::hasSearchTerms() const
{
    return m_searchPanel->hasTerms();
}

void TAVEwidencja::makeSearch()
{
    QString conditions = m_searchPanel->conditions();
    if (conditions.isEmpty()) {
        clearSearch();
        return;
    }
    const QString base = baseFilter();
    const QString filter = base.isEmpty() ? conditions : QStringLiteral("(%1) AND %2 ").arg(conditions, base);
    m_model->setFilter(filter);
    qDebug() << "TAVEwidencja::makeSearch()";
    qDebug().noquote() << "   search filter: " + quoted(filter);
}

void TAVEwidencja::clearSearch()
{
    m_searchPanel->clearInputs();
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

bool TAVEwidencja::triggerIfEnabled(const QString &text)
{
    QAction *action = commandAction(text);
    if (!action && text == QLatin1String("Kasuj"))
        action = commandAction(QStringLiteral("Usun"));
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

void TAVEwidencja::keyPressEvent(QKeyEvent *event)
{
    const bool searching = m_searchBarVisible && m_searchButton;
    QWidget *focus = focusWidget();
    const bool inSearch = searching && focus && m_searchPanel->isAncestorOf(focus);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_scan && focus == m_scan->field()) {
            scan();
            pickTheOnlyRow(this);
            return;
        }
        if (inSearch || (searching && !m_table->hasFocus())) {
            m_searchButton->click();
            pickTheOnlyRow(this);
            return;
        }
        if (m_table->hasFocus()) {
            // The table has already reported the row as activated.
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        // With the panel hidden, Escape belongs to the window (a pick list's Cancel).
        if (searching && m_clearButton && (inSearch || hasSearchTerms())) {
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
    case Qt::Key_F5:
        select();
        return;
    case Qt::Key_Insert:
        if (!m_pickMode && triggerIfEnabled(QStringLiteral("Dodaj")))
            return;
        break;
    case Qt::Key_Delete:
        if (!m_pickMode && !inSearch && triggerIfEnabled(QStringLiteral("Kasuj")))
            return;
        break;
    default:
        break;
    }
    QFrame::keyPressEvent(event);
}

void TAVEwidencja::onActivated(const QModelIndex &index)
{
    Q_EMIT rowActivated(index);
    if (!m_pickMode)
        triggerIfEnabled(QStringLiteral("Edytuj"));
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
    m_splitterKept = TAVUiState::restoreSplitter(m_splitter, stateKey());
    shareHeight();
}

void TAVEwidencja::shareHeight()
{
    // Until the user moves the splitter, the register gets three quarters
    // of the height and the dependent tabs the rest.
    const int height = m_splitter->height();
    if (m_splitterKept || m_tabs->isHidden() || height <= 0)
        return;
    m_splitter->setSizes({height - height / 4, height / 4});
}

void TAVEwidencja::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    shareHeight();
}

void TAVEwidencja::selectFirstRow()
{
    if (m_model->rowCount() > 0)
        m_table->selectRow(0);
    else
        currentIdChanged(QModelIndex());
}

void TAVEwidencja::currentIdChanged(QModelIndex _modelIndex)
{
    int key = -1;
    if (_modelIndex.isValid())
        key = m_model->value(_modelIndex.row(), 0).toString().toInt();
    refreshActionsAccessibility();
    followParent(key);
    Q_EMIT currentRowChanged();
}

void TAVEwidencja::followParent(int key)
{
    for (TAVEwidencja *relative : std::as_const(m_relatives)) {
        relative->m_parentKey = key;
        relative->m_model->parentKeyChanged(key);
        relative->m_relationFilter = relative->baseFilter();
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
    if (relative->hasSearchTerms())
        relative->makeSearch();
    else if (!relative->m_relationFilter.isEmpty())
        relative->m_model->setFilter(relative->m_relationFilter);
    else
        relative->m_model->select();
}

void TAVEwidencja::refreshActionsAccessibility()
{
    const QPair<QString, int> ref = referencePair();
    const QModelIndex current = currentIndex();
    const bool dependent = !m_refField.isEmpty();
    for (QAction *action : m_actionGroup->actions()) {
        const QVariant name = action->property("commandName");
        if (!name.isValid())
            qFatal("Action has a wrong command reference.");
        TAVCommand *command = SFCommands::instance()->command(name.toString());
        bool enabled = false;
        if (dependent && m_parentKey <= 0)
            enabled = false;
        else if (action->property("needsRow").toBool() && !current.isValid())
            enabled = false;
        else
            enabled = evaluatePolicy(command, m_model, current, dependent ? &ref : nullptr, true);
        action->setEnabled(enabled);
    }
}

void TAVEwidencja::controlAction(QAction *_action)
{
    const QModelIndex before = currentIndex();
    const int writes = m_model->writeCount();
    const QVariant name = _action ? _action->property("commandName") : QVariant();
    if (!name.isValid())
        qFatal("Action has a wrong command reference.");
    TAVCommand *command = SFCommands::instance()->command(name.toString());
    if (TAVSession *session = TAVSession::current(); session && !session->accountActive()) {
        TAVMessages::warning(QStringLiteral("Konto użytkownika"),
                             QStringLiteral("Twoje konto zostało usunięte lub wyłączone przez administratora. "
                                            "Nie możesz już wprowadzać zmian; zakończ pracę programu."));
        return;
    }
    QPair<QString, int> ref = referencePair();
    const bool ok = command->operacja(m_model, before, m_refField.isEmpty() ? nullptr : &ref);
    if (!ok)
        return;
    // A command that wrote through another model leaves the selection be.
    const bool wrote = m_model->writeCount() != writes;
    if (!wrote || !m_model->lastId().isValid() || !selectKey(m_model->lastId())) {
        if (currentIndex() != before || !currentIndex().isValid())
            selectFirstRow();
    }
    TAVUiState::fitColumnsToContents(m_table);
    refreshActionsAccessibility();
}

bool TAVEwidencja::selectKey(const QVariant &key)
{
    const int row = m_model->rowOfKey(key);
    if (row < 0)
        return false;
    if (m_table->currentIndex().row() != row)
        m_table->selectRow(row);
    scrollToRow(row);
    return true;
}

void TAVEwidencja::scrollToRow(int row)
{
    QHeaderView *header = m_table->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!m_table->isColumnHidden(logical)) {
            m_table->scrollTo(m_model->index(row, logical), QAbstractItemView::PositionAtCenter);
            return;
        }
    }
}

void TAVEwidencja::rememberCurrent()
{
    const QModelIndex current = currentIndex();
    m_hadCurrent = current.isValid();
    m_restoreKey = m_hadCurrent ? QVariant(m_model->cache().key(current.row())) : QVariant();
}

void TAVEwidencja::restoreCurrent()
{
    applyColumnSetup();
    const QVariant key = std::exchange(m_restoreKey, QVariant());
    int row = key.isValid() ? m_model->rowOfKey(key) : -1;
    if (row < 0 && m_model->rowCount() > 0)
        row = 0;
    if (row < 0) {
        currentIdChanged(QModelIndex());
        return;
    }
    m_table->selectRow(row);
    m_table->scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
}

void TAVEwidencja::select()
{
    if (!m_model->isSelected()) {
        m_model->select();
        selectFirstRow();
        return;
    }
    m_model->select();
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
    view.setModel(m_model);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int columns = m_model->columnCount();
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
    for (int r = 0; r < m_model->rowCount(); ++r)
        height += view.rowHeight(r);
    view.setFixedSize(width + 2 * view.frameWidth(), height + 2 * view.frameWidth());
    view.show();
    return view.grab();
}
