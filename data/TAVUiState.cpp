#include "TAVUiState.h"

#include "TAVTableModel.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
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

// A message box sizes itself when shown and on each layout request, from a
// width that leaves its title to a guess and may leave a label shorter than
// its text. After its own handler it is grown to what its title and every
// label need.
class BoxFit : public QObject
{
public:
    using QObject::QObject;

    static void fit(QMessageBox *box)
    {
        QLayout *layout = box->layout();
        if (!layout)
            return;
        const QRect screen = box->screen() ? box->screen()->availableGeometry() : QRect(0, 0, 1600, 1000);
        const int maxWidth = qMax(320, screen.width() - 40);
        // The title bar also holds the window icon and its buttons.
        QFont titleFont = box->font();
        titleFont.setBold(true);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + 160;
        int width = qMin(maxWidth, qMax(box->width(), titleWidth));
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (!label->pixmap().isNull())
                continue;
            // A text wider than the screen allows wraps instead of running off it.
            label->setWordWrap(true);
            QSizePolicy policy = label->sizePolicy();
            policy.setHeightForWidth(true);
            policy.setVerticalPolicy(QSizePolicy::Minimum);
            label->setSizePolicy(policy);
        }
        layout->invalidate();
        layout->activate();
        width = qMin(maxWidth, qMax(width, layout->totalMinimumSize().width()));
        int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : layout->totalSizeHint().height();
        height = qMax(height, layout->totalMinimumSize().height());
        box->setFixedSize(width, height);
        layout->activate();
        // What was changed here asks for a layout again, which would make
        // the box size itself once more.
        QCoreApplication::removePostedEvents(box, QEvent::LayoutRequest);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool sizing = event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest;
        if (sizing && !m_showing) {
            auto *box = qobject_cast<QMessageBox *>(watched);
            if (box && box->isVisible()) {
                m_showing = true;
                static_cast<QObject *>(box)->event(event);
                m_showing = false;
                fit(box);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_showing = false;
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

bool restoreSplitter(QSplitter *splitter, const QString &key)
{
    const QByteArray s = settings().value(path(key, "podzial")).toByteArray();
    return !s.isEmpty() && splitter->restoreState(s);
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
    static BoxFit *fit = nullptr;
    if (!fit && qApp) {
        fit = new BoxFit(qApp);
        qApp->installEventFilter(fit);
    }
}

} // namespace TAVUiState
