#pragma once

#include <QFrame>
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QVariant>

#include "TAVSearchPanel.h"

class ParameterList;
class QAction;
class QActionGroup;
class QMenu;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class TAVScanField;

class QTableView;
class QToolBar;
class TAVTableModel;

// A register: one table model shown as a read-only table with its commands
// on a toolbar, an optional search panel, and dependent registers in tabs
// that follow the selected row.
class TAVEwidencja : public QFrame
{
    Q_OBJECT

public:
    TAVEwidencja(QString modelName, QString context, QString refField, QWidget *parent = nullptr);
    ~TAVEwidencja() override;

    QString modelName() const { return m_modelName; }
    QString context() const { return m_context; }
    QString refField() const { return m_refField; }
    void setRefField(const QString &field);
    int parentKey() const { return m_parentKey; }
    QString relationFilter() const { return m_relationFilter; }
    QString fixedFilter() const { return m_fixedFilter; }
    void setFixedFilter(const QString &filter) { m_fixedFilter = filter; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    bool isCreated() const { return m_created; }
    void setCreated(bool created) { m_created = created; }
    bool isSearchBarVisible() const { return m_searchBarVisible; }
    QList<TAVEwidencja *> relatives() const { return m_relatives; }
    // In a pick list Enter and a double click choose the row.
    void setPickMode(bool pick) { m_pickMode = pick; }
    bool pickMode() const { return m_pickMode; }

    QTableView *tableView() const { return m_table; }
    QToolBar *toolBar() const { return m_toolBar; }
    QTabWidget *relativeTabs() const { return m_tabs; }
    TAVSearchPanel *searchPanel() const { return m_searchPanel; }
    QAction *searchAction() const { return m_searchAction; }
    // The "Skanuj" field and its answer; null when the model declares no
    // scan columns.
    QLineEdit *scanField() const;
    QLabel *scanStatus() const;
    QModelIndex currentIndex() const;
    // The toolbar action of a command by its text ("Dodaj", "Edytuj").
    QAction *commandAction(const QString &text) const;
    // Makes the row of this key current and centres it; false when the
    // key is not among the rows shown.
    bool selectKey(const QVariant &key);

    // The filter a search starts from: the fixed one, else the parent link.
    QString baseFilter() const;
    // Where the register's widths and splitter are remembered.
    QString stateKey() const;

Q_SIGNALS:
    void searchBarVisibleChange(bool visible);
    // Enter or a double click on a row.
    void rowActivated(const QModelIndex &index);
    // The current row changed, or there is none any more.
    void currentRowChanged();

public Q_SLOTS:
    void select();
    void currentIdChanged(QModelIndex _modelIndex);
    TAVTableModel *getModel();
    void addRelative(TAVEwidencja *_zalezna, QString _refField);
    void selectFirstRow();
    void refreshRelativeTab(int _tabIndex);
    void refreshActionsAccessibility();
    void makeSearch();
    void clearSearch();
    void setSearchBarVisible(bool _visible);
    QPixmap grabTable();
    void hideSearchBar();
    void controlAction(QAction *_action);
    void setColumnsOrder();
    void setSearchBar();
    void printTable();
    void printReport(QString _reportFileName, ParameterList &_parameterList, QMap<QString, QString> _replaceParameter);
    void printReport(QString _reportFileName, ParameterList &_parameterList);
    void printReportPosition();
    void printReportDetails();
    void printReportTable();
    // The rows the register shows (its filter and order, every row) to a
    // CSV file or an Excel workbook.
    void exportRows(bool excel, const QString &fileName = QString());
    // Finds the row of the code in the scan field (Enter there).
    void scan();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The detail report printed under the parent this register follows (empty: none).
    QString detailReportName() const;
    void fillToolBar();
    void addPrintAction(const QString &icon, const QString &toolTip, void (TAVEwidencja::*slot)());
    void addExportAction();
    void addScanField();
    void focusScanField();
    void shareHeight();
    // Several rows carry the scanned code: the user picks one (invalid: none).
    QVariant chooseScanned(const QString &text, const QVariantList &keys);
    void applyColumnSetup();
    void fitColumns();
    void rememberCurrent();
    void restoreCurrent();
    void scrollToRow(int row);
    void onActivated(const QModelIndex &index);
    bool hasSearchTerms() const;
    void followParent(int key);
    bool triggerIfEnabled(const QString &text);
    QPair<QString, int> referencePair() const { return qMakePair(m_refField, m_parentKey); }

    QString m_modelName;
    QString m_context;
    QString m_refField;
    int m_parentKey = 0;
    QString m_relationFilter;
    QString m_fixedFilter;
    QString m_title;
    bool m_searchBarVisible = true;
    bool m_created = true;
    bool m_pickMode = false;
    QList<TAVEwidencja *> m_relatives;
    TAVTableModel *m_model = nullptr;
    QToolBar *m_toolBar = nullptr;
    QTableView *m_table = nullptr;
    QTabWidget *m_tabs = nullptr;
    QSplitter *m_splitter = nullptr;
    // The user's own division was kept or made: no more automatic sharing.
    bool m_splitterKept = false;
    TAVSearchPanel *m_searchPanel = nullptr;
    QPointer<QPushButton> m_searchButton;
    QPointer<QPushButton> m_clearButton;
    QAction *m_searchAction = nullptr;
    TAVScanField *m_scan = nullptr;
    QActionGroup *m_actionGroup = nullptr;
    int m_appliedColumns = -1;
    bool m_applyingColumns = false;
    QVariant m_restoreKey;
    bool m_hadCurrent = false;
    bool m_widthsRestored = false;
    // Where the next print goes: 0 printer, 1 preview, 2 PDF.
    int m_printMode = 0;
};
