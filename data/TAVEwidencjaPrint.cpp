// Printing and exporting what a register shows.
#include "TAVEwidencja.h"

#include "Exporters.h"
#include "OrvReports.h"
#include "TAVItemDelegate.h"
#include "TAVTableModel.h"

#include <QAction>
#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {
// A table printed as a picture is meant for what fits a few sheets.
const int kMaxPictureRows = 5000;
} // namespace

void TAVEwidencja::addPrintAction(const QString &icon, const QString &toolTip, void (TAVEwidencja::*slot)())
{
    auto *action = new QAction(QIcon(icon), QStringLiteral("Drukuj"), this);
    action->setToolTip(toolTip);
    action->setProperty("printAction", true);
    // The button prints; its menu also previews or saves a PDF.
    auto *menu = new QMenu(this);
    const struct {
        const char *text;
        int mode;
    } entries[] = {{"&Drukuj…", 0}, {"&Podgląd wydruku", 1}, {"&Zapisz jako PDF…", 2}};
    for (const auto &e : entries) {
        QAction *entry = menu->addAction(QString::fromUtf8(e.text));
        entry->setProperty("printMode", e.mode);
        connect(entry, &QAction::triggered, this, [this, slot, mode = e.mode] {
            m_printMode = mode;
            (this->*slot)();
            m_printMode = 0;
        });
    }
    action->setMenu(menu);
    connect(action, &QAction::triggered, this, [this, slot] {
        m_printMode = 0;
        (this->*slot)();
    });
    m_toolBar->addAction(action);
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
}

void TAVEwidencja::addExportAction()
{
    auto *action = new QAction(QIcon(QStringLiteral(":/actions/table_print.png")), QStringLiteral("Eksport"), this);
    action->setObjectName(QStringLiteral("exportAction"));
    action->setToolTip(QStringLiteral("Zapisz wiersze rejestru do pliku CSV lub skoroszytu Excel"));
    auto *menu = new QMenu(this);
    connect(menu->addAction(QStringLiteral("Do pliku &CSV…")), &QAction::triggered, this, [this] { exportRows(false); });
    connect(menu->addAction(QStringLiteral("Do skoroszytu &Excel…")), &QAction::triggered, this,
            [this] { exportRows(true); });
    action->setMenu(menu);
    connect(action, &QAction::triggered, this, [this] { exportRows(true); });
    m_toolBar->addAction(action);
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
}

void TAVEwidencja::printReport(QString _reportFileName, ParameterList &_parameterList,
                               QMap<QString, QString> _replaceParameter)
{
    static const OrvReports::OutputMode modes[] = {OrvReports::OutputMode::Printer, OrvReports::OutputMode::Preview,
                                                   OrvReports::OutputMode::Pdf};
    OrvReports::initResources();
    OrvReports::printReport(this, _reportFileName, _parameterList, _replaceParameter, modes[qBound(0, m_printMode, 2)]);
}

void TAVEwidencja::printReport(QString _reportFileName, ParameterList &_parameterList)
{
    printReport(_reportFileName, _parameterList, QMap<QString, QString>());
}

void TAVEwidencja::printReportPosition()
{
    ParameterList params;
    const QModelIndex current = currentIndex();
    if (current.isValid())
        params.append(QStringLiteral("TAV_ID"), m_model->value(current.row(), 0).toInt());
    printReport(m_model->recordReportName(), params);
}

QString TAVEwidencja::detailReportName() const
{
    for (const auto &detail : m_model->detailReports()) {
        if (detail.second == m_refField)
            return detail.first;
    }
    return QString();
}

void TAVEwidencja::printReportDetails()
{
    if (m_parentKey == -1)
        return;
    const QString name = detailReportName();
    ParameterList params;
    params.append(QStringLiteral("TAV_ID"), m_parentKey);
    // Exactly the rows the tab shows: its filter and its order.
    printReport(name, params, {{QStringLiteral("%TAV_DETAIL_QUERY%"), m_model->queryText()}});
}

void TAVEwidencja::printReportTable()
{
    QString where = m_model->filter();
    if (!where.isEmpty())
        where = QStringLiteral(" WHERE ") + where;
    ParameterList params;
    // The rows the register shows, in the order it shows them.
    printReport(m_model->tableReportName(), params,
                {{QStringLiteral("%TAV_QUERY_WHERE%"), where}, {QStringLiteral("%TAV_QUERY_ORDER%"), m_model->printOrder()}});
}

void TAVEwidencja::printTable()
{
    if (m_model->rowCount() > kMaxPictureRows) {
        QMessageBox::information(this, QStringLiteral("Wydruk tabeli"),
                                 QStringLiteral("Tabela ma zbyt wiele wierszy, by wydrukować ją jako obraz. "
                                                "Użyj przycisku „Drukuj tabelę”."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QPixmap image = grabTable();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const int headerHeight = m_table->horizontalHeader()->height();
    const int rowHeight = qMax(1, m_table->verticalHeader()->defaultSectionSize());
    const double scale = double(page.width()) / qMax(1, qMin(image.width(), page.width()));
    const int bandHeight = qMax(rowHeight, int(page.height() / qMax(1.0, scale)) / rowHeight * rowHeight);
    const int tileWidth = qMax(1, int(page.width() / qMax(1.0, scale)));
    bool first = true;
    Q_UNUSED(headerHeight);
    for (int y = 0; y < image.height(); y += bandHeight) {
        for (int x = 0; x < image.width(); x += tileWidth) {
            if (!first)
                printer.newPage();
            first = false;
            const QRect tile(x, y, qMin(tileWidth, image.width() - x), qMin(bandHeight, image.height() - y));
            painter.drawPixmap(QRect(page.topLeft(), QSize(int(tile.width() * scale), int(tile.height() * scale))),
                               image, tile);
        }
    }
}

void TAVEwidencja::exportRows(bool excel, const QString &fileName)
{
    QString path = fileName;
    if (path.isEmpty()) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString base = (m_title.isEmpty() ? m_modelName : m_title) + (excel ? QStringLiteral(".xlsx")
                                                                                   : QStringLiteral(".csv"));
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Eksport rejestru"), dir + QLatin1Char('/') + base,
                                            excel ? QStringLiteral("Skoroszyt Excel (*.xlsx)")
                                                  : QStringLiteral("Plik CSV (*.csv)"));
        if (path.isEmpty())
            return;
    }
    // The columns as the register shows them, in their order, flags as words.
    QList<OrvReports::ExportColumn> columns;
    QHeaderView *header = m_table->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (m_table->isColumnHidden(logical))
            continue;
        OrvReports::ExportColumn column;
        column.name = m_model->headerData(logical, Qt::Horizontal, TAVTableModel::FieldNameRole).toString();
        column.header = m_model->headerData(logical, Qt::Horizontal).toString().remove(QLatin1Char('\n'));
        if (auto *d = qobject_cast<TAVItemDelegate *>(m_table->itemDelegateForColumn(logical));
            d && d->displayTextStrategy()) {
            for (const QVariant &v : {QVariant(true), QVariant(false), QVariant(0), QVariant(1)}) {
                const QString text = v.metaType().id() == QMetaType::Bool ? (v.toBool() ? QStringLiteral("true")
                                                                                       : QStringLiteral("false"))
                                                                         : v.toString();
                column.texts.insert(text, d->displayTextStrategy()->displayText(v, QLocale()));
            }
            column.texts.insert(QStringLiteral("t"), column.texts.value(QStringLiteral("true")));
            column.texts.insert(QStringLiteral("f"), column.texts.value(QStringLiteral("false")));
        }
        columns << column;
    }
    QProgressDialog progress(QStringLiteral("Zapisywanie wierszy rejestru…"), QStringLiteral("Przerwij"), 0, 100, this);
    progress.setWindowTitle(QStringLiteral("Eksport rejestru"));
    progress.setMinimumDuration(800);
    QString error;
    const bool ok = OrvReports::exportQuery(
            excel ? OrvReports::ExportFormat::Xlsx : OrvReports::ExportFormat::Csv, m_model->queryText(), columns, path,
            [&progress](qint64 done, qint64 total) {
                progress.setValue(total > 0 ? int(done * 100 / total) : 0);
                return !progress.wasCanceled();
            },
            &error);
    progress.reset();
    if (!ok && !error.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Eksport rejestru"),
                             QStringLiteral("Nie można zapisać pliku <b>%1</b>. %2").arg(path.toHtmlEscaped(), error));
}
