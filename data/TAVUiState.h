#pragma once

#include <QString>

class QHeaderView;
class QObject;
class QSettings;
class QSplitter;
class QTableView;
class QWidget;

// What the workstation remembers of its windows: sizes and places, column
// widths and splitters, per register. Kept beside the connection profiles.
namespace TAVUiState {

QSettings &settings();

// False when nothing was kept for the key (the window keeps its own size).
bool restoreGeometry(QWidget *window, const QString &key);
void saveGeometry(const QWidget *window, const QString &key);
// False when nothing was kept for the key.
bool restoreSplitter(QSplitter *splitter, const QString &key);
void saveSplitter(const QSplitter *splitter, const QString &key);
// Widths by column name, so a changed column set does not shuffle them.
bool restoreColumnWidths(QTableView *view, const QString &key);
void saveColumnWidths(const QTableView *view, const QString &key);
// Widens columns whose contents grew, never narrowing what the user set.
void fitColumnsToContents(QTableView *view);

// Message boxes show their whole title and every line of their texts.
void installMessageBoxTitleFit();

} // namespace TAVUiState
