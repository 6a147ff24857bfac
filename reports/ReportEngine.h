#pragma once

#include "ParameterList.h"
#include "ReportDefinition.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <memory>

class QPainter;
class QTemporaryFile;

namespace OrvReports {

// One thing drawn on a page, in dots from the page's top-left corner.
struct PageItem
{
    enum Kind : quint8 { Text, Fill, Line, Frame, Image, Code128, QrCode };
    Kind kind = Text;
    quint8 style = 0;
    quint16 align = Qt::AlignLeft;
    QRectF rect;
    QString text;       // text, or bar-code data; page numbers as marks
    QByteArray data;    // image bytes
    QRgb color = 0;
};

// Finished pages wait in a temporary file, so a report of any length costs
// memory for one page at a time, and any page can be read back later
// (preview, printing after the count of pages is known).
class PageSpool
{
public:
    PageSpool();
    ~PageSpool();
    bool open();
    bool append(const QList<PageItem> &items);
    QList<PageItem> page(int index) const;
    int count() const { return int(m_index.size()); }

private:
    std::unique_ptr<QTemporaryFile> m_file;
    QList<QPair<qint64, qint32>> m_index;
};

// Lays a report out page by page from its queries' rows, streaming each
// query forward-only, and paints any laid-out page on request.
class ReportEngine
{
public:
    ReportEngine(const ReportDefinition &def, const ParameterList &params, const QSqlDatabase &db);
    ~ReportEngine();

    // Counting the rows first gives a determinate progress; a preview skips it.
    void setCountRows(bool count) { m_countRows = count; }

    bool start();
    // Lays out up to `rows` more rows; false on a failure (errorText()).
    bool step(int rows);
    bool isFinished() const { return m_finished; }
    bool runToEnd(const std::function<bool()> &keepGoing = {});

    int pageCount() const { return m_spool.count(); }
    qint64 rowsDone() const { return m_rowsDone; }
    qint64 rowsTotal() const { return m_rowsTotal; }
    QString errorText() const { return m_error; }
    QSizeF pageSize() const { return m_pageSize; }
    QString title() const { return m_def.title; }
    const ReportDefinition *definition() const { return &m_def; }

    // Paints a page in dots (the caller scales to its device). `total` -1
    // while the count of pages is not known yet.
    void paintPage(QPainter *painter, int index, int total) const;

private:
    struct SectionState;

    bool fail(const QString &message);
    bool runQuery(const QString &name, QSqlQuery *query, bool countOnly);
    QString queryText(const QString &name) const;
    bool loadSingleRow(const QString &name);
    bool bindBand(Band *band);

    QString evaluate(const TextTemplate &t, const QVector<QVariant> &row, qint64 count = 0) const;
    QStringList wrap(const QString &text, int style, double width) const;
    double lineHeight(int style) const;
    const QFont &font(int style) const;

    double layoutRows(const QList<Row> &rows, const QVector<QVariant> &values, double y, bool place,
                      QList<PageItem> *out) const;
    void addText(QList<PageItem> *out, const QStringList &lines, int style, Qt::Alignment align,
                 const QRectF &box) const;

    void newPage();
    bool finishPage();
    bool ensureRoom(double height);

    bool startSection();
    bool finishSection();
    bool tableRow(const QVector<QVariant> &values);
    void tableHeader();
    void tableGroup(const QString &text);
    bool recordRow(const QVector<QVariant> &values);

    ReportDefinition m_def;
    ParameterList m_params;
    QSqlDatabase m_db;
    bool m_countRows = true;

    QSizeF m_pageSize;
    QRectF m_content;
    double m_bodyTop = 0;
    double m_bodyBottom = 0;
    QList<PageItem> m_header;
    QList<PageItem> m_footer;
    QHash<QString, QVector<QVariant>> m_singleRows;
    QHash<QString, QSqlRecord> m_singleRecords;

    std::vector<QFont> m_fonts;
    std::vector<QFontMetricsF> m_metrics;
    mutable QHash<QString, double> m_widthCache;

    PageSpool m_spool;
    QList<PageItem> m_page;
    double m_y = 0;
    bool m_pageOpen = false;
    bool m_pageHasContent = false;

    int m_section = -1;
    bool m_sectionActive = false;
    std::unique_ptr<SectionState> m_state;
    QSqlQuery m_query;
    QList<int> m_usedColumns;
    int m_columnCount = 0;

    qint64 m_rowsDone = 0;
    qint64 m_rowsTotal = 0;
    bool m_started = false;
    bool m_finished = false;
    QString m_error;
};

// Text of a field value as a report shows it.
QString formatValue(const QVariant &value, const QString &format);

} // namespace OrvReports
