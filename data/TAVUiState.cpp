#include "TAVUiState.h"

#include "TAVTableModel.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QVariantMap>
#include <QWidget>

#include <memory>

namespace {
QString path(const QString &key, const char *what)
{
    QString k = key;
    k.replace(QLatin1Char('/'), QLatin1Char('_'));
    return k + QLatin1Char('/') + QLatin1String(what);
}

class BoxTitleFit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched)) {
                // The box sizes itself from its texts; the label's minimum
                // width makes room for the title and the window buttons.
                if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
                    const int needed = box->fontMetrics().horizontalAdvance(box->windowTitle()) + 60;
                    if (label->minimumWidth() < needed)
                        label->setMinimumWidth(needed);
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

namespace TAVUiState {

QSettings &settings()
{
    static std::unique_ptr<QSettings> s;
    if (!s) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QDir().mkpath(dir);
        s = std::make_unique<QSettings>(dir + QStringLiteral("/ustawienia.ini"), QSettings::IniFormat);
    }
    return *s;
}

bool restoreGeometry(QWidget *window, const QString &key)
{
    const QByteArray g = settings().value(path(key, "okno")).toByteArray();
    return !g.isEmpty() && window->restoreGeometry(g);
}

void saveGeometry(const QWidget *window, const QString &key)
{
    settings().setValue(path(key, "okno"), window->saveGeometry());
}

void restoreSplitter(QSplitter *splitter, const QString &key)
{
    const QByteArray s = settings().value(path(key, "podzial")).toByteArray();
    if (!s.isEmpty())
        splitter->restoreState(s);
}

void saveSplitter(const QSplitter *splitter, const QString &key)
{
    settings().setValue(path(key, "podzial"), splitter->saveState());
}

bool restoreColumnWidths(QTableView *view, const QString &key)
{
    const QVariantMap widths = settings().value(path(key, "kolumny")).toMap();
    QAbstractItemModel *model = view->model();
    if (widths.isEmpty() || !model)
        return false;
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString name = model->headerData(c, Qt::Horizontal, TAVTableModel::FieldNameRole).toString();
        const QVariant w = widths.value(name.isEmpty() ? QString::number(c) : name);
        if (w.isValid() && w.toInt() > 0)
            view->setColumnWidth(c, w.toInt());
    }
    return true;
}

void saveColumnWidths(const QTableView *view, const QString &key)
{
    QAbstractItemModel *model = view->model();
    if (!model)
        return;
    QVariantMap widths;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (view->isColumnHidden(c))
            continue;
        const QString name = model->headerData(c, Qt::Horizontal, TAVTableModel::FieldNameRole).toString();
        widths.insert(name.isEmpty() ? QString::number(c) : name, view->columnWidth(c));
    }
    settings().setValue(path(key, "kolumny"), widths);
}

void fitColumnsToContents(QTableView *view)
{
    QAbstractItemModel *model = view->model();
    if (!model)
        return;
    QHeaderView *header = view->horizontalHeader();
    // On screen only the rows shown count: measuring a few hundred more
    // after every command lays out the text of each of their cells.
    const int precision = header->resizeContentsPrecision();
    if (view->isVisible())
        header->setResizeContentsPrecision(0);
    for (int c = 0; c < model->columnCount(); ++c) {
        if (view->isColumnHidden(c) || header->logicalIndex(header->count() - 1) == c)
            continue;
        const int wanted = qMax(static_cast<const QAbstractItemView *>(view)->sizeHintForColumn(c), header->sectionSizeHint(c));
        if (wanted > view->columnWidth(c))
            view->setColumnWidth(c, wanted);
    }
    header->setResizeContentsPrecision(precision);
}

void installMessageBoxTitleFit()
{
    static BoxTitleFit *fit = nullptr;
    if (!fit && qApp) {
        fit = new BoxTitleFit(qApp);
        qApp->installEventFilter(fit);
    }
}

} // namespace TAVUiState
