#include "ReportEngine.h"

#include "TAVFormat.h"

#include "Barcode.h"
#include "QueryTemplate.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QSqlError>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QTextLayout>

namespace OrvReports {

namespace {

// Geometry of the layout, in dots (1/720 inch).
constexpr double kPadX = 22;          // left and right inside a cell
constexpr double kPadY = 14;          // above and below a line of text
constexpr double kBandGap = 70;       // between page header or footer and the body
constexpr double kGroupGap = 50;      // above a group header
constexpr double kRecordGap = 160;    // between two cards
constexpr double kAsideGap = 150;     // between a card's fields and its photo column
constexpr double kSignatureSpace = 420;
constexpr double kThin = 4;
constexpr double kRule = 8;

const QRgb kHeaderFill = qRgb(0xe3, 0xe8, 0xef);
const QRgb kZebraFill = qRgb(0xf5, 0xf7, 0xf9);
const QRgb kGridLine = qRgb(0xc4, 0xca, 0xd2);
const QRgb kRuleLine = qRgb(0x50, 0x58, 0x64);

const QChar kPageMark(0x01);
const QChar kPagesMark(0x02);

QDataStream &operator<<(QDataStream &s, const PageItem &i)
{
    return s << quint8(i.kind) << i.style << i.align << i.rect << i.text << i.data << i.color;
}

QDataStream &operator>>(QDataStream &s, PageItem &i)
{
    quint8 kind = 0;
    s >> kind >> i.style >> i.align >> i.rect >> i.text >> i.data >> i.color;
    i.kind = PageItem::Kind(kind);
    return s;
}

QString stripTrailingSemicolons(QString sql)
{
    while (!sql.isEmpty() && (sql.back().isSpace() || sql.back() == QLatin1Char(';')))
        sql.chop(1);
    return sql;
}

} // namespace

QString formatValue(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (format.contains(QLatin1Char('/'))) {
        const QStringList texts = format.split(QLatin1Char('/'));
        return value.toBool() ? texts.value(0) : texts.value(1);
    }
    const int type = value.typeId();
    if (format == QLatin1String("data") || (format.isEmpty() && type == QMetaType::QDate)) {
        const QDate d = type == QMetaType::QDateTime ? value.toDateTime().toLocalTime().date() : value.toDate();
        return TAVFormat::date(d);
    }
    if (format == QLatin1String("dataczas") || (format.isEmpty() && type == QMetaType::QDateTime))
        return TAVFormat::dateTime(value.toDateTime());
    if (format == QLatin1String("kwota"))
        return TAVFormat::money(value.toDouble());
    if (format == QLatin1String("liczba") || (format.isEmpty() && type == QMetaType::Double)) {
        const double d = value.toDouble();
        if (format.isEmpty() && d == qint64(d))
            return QString::number(qint64(d));
        return TAVFormat::number(d);
    }
    if (format.isEmpty() && type == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
    QString s = value.toString();
    s.remove(QLatin1Char('\r'));
    return s;
}

// ---------------------------------------------------------------- spool

PageSpool::PageSpool() = default;
PageSpool::~PageSpool() = default;

bool PageSpool::open()
{
    m_index.clear();
    m_file = std::make_unique<QTemporaryFile>();
    return m_file->open();
}

bool PageSpool::append(const QList<PageItem> &items)
{
    QByteArray raw;
    {
        QDataStream s(&raw, QIODevice::WriteOnly);
        s << qint32(items.size());
        for (const PageItem &i : items)
            s << i;
    }
    const QByteArray packed = qCompress(raw, 1);
    const qint64 at = m_file->size();
    if (!m_file->seek(at) || m_file->write(packed) != packed.size())
        return false;
    m_index.append({at, qint32(packed.size())});
    return true;
}

QList<PageItem> PageSpool::page(int index) const
{
    QList<PageItem> items;
    if (index < 0 || index >= m_index.size() || !m_file->seek(m_index.at(index).first))
        return items;
    const QByteArray raw = qUncompress(m_file->read(m_index.at(index).second));
    QDataStream s(raw);
    qint32 n = 0;
    s >> n;
    items.reserve(n);
    for (qint32 k = 0; k < n && s.status() == QDataStream::Ok; ++k) {
        PageItem i;
        s >> i;
        items.append(i);
    }
    return items;
}

// ---------------------------------------------------------------- engine

struct ReportEngine::SectionState
{
    TableSection *table = nullptr;
    RecordSection *record = nullptr;
    QList<double> colX;
    QList<double> colW;
    QList<QStringList> captions;
    double headerHeight = 0;
    bool headerOnPage = false;
    bool inGroup = false;
    QString groupKey;
    QString groupText;
    qint64 count = 0;
    bool zebra = false;
};

ReportEngine::ReportEngine(const ReportDefinition &def, const ParameterList &params, const QSqlDatabase &db)
    : m_def(def), m_params(params), m_db(db), m_query(db)
{
    for (const TextStyle &s : m_def.styles) {
        QFont f(s.family);
        f.setPixelSize(qMax(1, qRound(s.size * kDotsPerPoint)));
        f.setBold(s.bold);
        f.setItalic(s.italic);
        f.setHintingPreference(QFont::PreferNoHinting);
        m_fonts.push_back(f);
        m_metrics.emplace_back(f);
    }
}

ReportEngine::~ReportEngine() = default;

bool ReportEngine::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

const QFont &ReportEngine::font(int style) const
{
    return m_fonts.at(size_t(qBound(0, style, int(m_fonts.size()) - 1)));
}

double ReportEngine::lineHeight(int style) const
{
    return m_metrics.at(size_t(qBound(0, style, int(m_metrics.size()) - 1))).lineSpacing();
}

QString ReportEngine::evaluate(const TextTemplate &t, const QVector<QVariant> &row, qint64 count) const
{
    QString out;
    for (const TextTemplate::Token &tok : t.tokens()) {
        switch (tok.kind) {
        case TextTemplate::Literal: out += tok.text; break;
        case TextTemplate::Column:
            out += formatValue(tok.index >= 0 && tok.index < row.size() ? row.at(tok.index) : QVariant(), tok.format);
            break;
        case TextTemplate::Param: out += formatValue(m_params.value(tok.text), tok.format); break;
        case TextTemplate::Page: out += kPageMark; break;
        case TextTemplate::Pages: out += kPagesMark; break;
        case TextTemplate::Count: out += QString::number(count); break;
        case TextTemplate::Title: out += m_def.title; break;
        }
    }
    return out;
}

QStringList ReportEngine::wrap(const QString &text, int style, double width) const
{
    if (text.isEmpty())
        return {QString()};
    style = qBound(0, style, int(m_metrics.size()) - 1);
    if (!text.contains(QLatin1Char('\n'))) {
        // Most cells fit; their widths repeat a lot (warehouses, categories, states).
        const QString key = QString::number(style) + QLatin1Char('\x1f') + text;
        auto it = m_widthCache.constFind(key);
        double w;
        if (it != m_widthCache.constEnd()) {
            w = it.value();
        } else {
            w = m_metrics.at(size_t(style)).horizontalAdvance(text);
            if (m_widthCache.size() > 50000)
                m_widthCache.clear();
            m_widthCache.insert(key, w);
        }
        if (w <= width)
            return {text};
    }
    QStringList out;
    QTextOption option;
    // Lines break between words only; a word wider than the line is shortened.
    option.setWrapMode(QTextOption::WordWrap);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString &par : paragraphs) {
        if (par.trimmed().isEmpty()) {
            out << QString();
            continue;
        }
        QTextLayout layout(par, font(style));
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(1.0, width));
            QString piece = par.mid(line.textStart(), line.textLength());
            while (!piece.isEmpty() && piece.back().isSpace())
                piece.chop(1);
            if (m_metrics.at(size_t(style)).horizontalAdvance(piece) > width)
                piece = m_metrics.at(size_t(style)).elidedText(piece, Qt::ElideRight, width);
            out << piece;
        }
        layout.endLayout();
    }
    return out;
}

void ReportEngine::addText(QList<PageItem> *out, const QStringList &lines, int style, Qt::Alignment align,
                           const QRectF &box) const
{
    const double lh = lineHeight(style);
    const TextStyle &s = m_def.styles.at(qBound(0, style, int(m_def.styles.size()) - 1));
    if (s.background.isValid()) {
        PageItem fill;
        fill.kind = PageItem::Fill;
        fill.rect = box;
        fill.color = s.background.rgba();
        out->append(fill);
    }
    for (int k = 0; k < lines.size(); ++k) {
        if (lines.at(k).isEmpty())
            continue;
        PageItem t;
        t.kind = PageItem::Text;
        t.style = quint8(style);
        t.align = quint16(align ? align : s.align);
        t.rect = QRectF(box.left() + kPadX, box.top() + kPadY + k * lh, box.width() - 2 * kPadX, lh);
        t.text = lines.at(k);
        out->append(t);
    }
}

double ReportEngine::layoutRows(const QList<Row> &rows, const QVector<QVariant> &values, double y, bool place,
                                QList<PageItem> *out) const
{
    const double top = y;
    for (const Row &row : rows) {
        y += row.spaceBefore;
        double total = 0;
        for (const Cell &c : row.cells)
            total += c.weight;
        QList<QStringList> texts;
        QList<double> widths;
        double height = 0;
        for (const Cell &c : row.cells) {
            const double w = total > 0 ? m_content.width() * c.weight / total : 0;
            const QStringList lines = wrap(evaluate(c.text, values), c.style, w - 2 * kPadX);
            texts << lines;
            widths << w;
            height = qMax(height, lines.size() * lineHeight(c.style) + 2 * kPadY);
        }
        if (place) {
            auto rule = [&](double at) {
                PageItem l;
                l.kind = PageItem::Line;
                l.rect = QRectF(m_content.left(), at, m_content.width(), kRule);
                l.color = kRuleLine;
                out->append(l);
            };
            if (row.lineAbove)
                rule(y);
            double x = m_content.left();
            for (int i = 0; i < row.cells.size(); ++i) {
                addText(out, texts.at(i), row.cells.at(i).style, row.cells.at(i).align,
                        QRectF(x, y, widths.at(i), height));
                x += widths.at(i);
            }
            if (row.lineBelow)
                rule(y + height);
        }
        y += height + row.spaceAfter;
    }
    return y - top;
}

QString ReportEngine::queryText(const QString &name) const
{
    QString text = m_def.queries.value(name);
    for (auto it = m_def.placeholderDefaults.cbegin(); it != m_def.placeholderDefaults.cend(); ++it)
        if (!it.key().isEmpty() && text.contains(it.key()))
            text.replace(it.key(), it.value());
    return text;
}

bool ReportEngine::runQuery(const QString &name, QSqlQuery *query, bool countOnly)
{
    BoundQuery bound;
    QString message;
    if (!expandQuery(queryText(name), m_params, m_def.parameterTypes, &bound, &message))
        return fail(QStringLiteral("Zapytanie „%1”: %2").arg(name, message));
    QString sql = stripTrailingSemicolons(bound.sql);
    if (countOnly)
        sql = QStringLiteral("SELECT count(*) FROM (%1\n) AS orv_rows").arg(sql);
    query->setForwardOnly(true);
    bool ok;
    if (bound.binds.isEmpty()) {
        ok = query->exec(sql);
    } else {
        ok = query->prepare(sql);
        for (const QVariant &v : bound.binds)
            query->addBindValue(v);
        ok = ok && query->exec();
    }
    if (!ok) {
        const QSqlError e = query->lastError();
        return fail(QStringLiteral("Zapytanie „%1” raportu nie powiodło się: %2")
                            .arg(name, e.databaseText().isEmpty() ? e.text() : e.databaseText().trimmed()));
    }
    return true;
}

bool ReportEngine::loadSingleRow(const QString &name)
{
    if (name.isEmpty() || m_singleRecords.contains(name))
        return true;
    QSqlQuery q(m_db);
    if (!runQuery(name, &q, false))
        return false;
    const QSqlRecord record = q.record();
    QVector<QVariant> values(record.count());
    if (q.next())
        for (int i = 0; i < record.count(); ++i)
            values[i] = q.value(i);
    if (q.lastError().isValid())
        return fail(QStringLiteral("Zapytanie „%1” raportu nie powiodło się: %2").arg(name, q.lastError().text()));
    m_singleRecords.insert(name, record);
    m_singleRows.insert(name, values);
    return true;
}

bool ReportEngine::bindBand(Band *band)
{
    if (!loadSingleRow(band->query))
        return false;
    const QSqlRecord record = m_singleRecords.value(band->query);
    for (Row &row : band->rows) {
        for (Cell &c : row.cells) {
            QString unknown;
            if (!c.text.bind(record, &unknown))
                return fail(band->query.isEmpty()
                                    ? QStringLiteral("Pole „%1” w nagłówku lub stopce nie ma zapytania.").arg(unknown)
                                    : QStringLiteral("Zapytanie „%1” nie zwraca kolumny „%2”.").arg(band->query, unknown));
        }
    }
    return true;
}

bool ReportEngine::start()
{
    if (m_started)
        return m_error.isEmpty();
    m_started = true;
    m_pageSize = m_def.pageSizeDots();
    const QMarginsF m = m_def.margins * kDotsPerUnit;
    m_content = QRectF(QPointF(m.left(), m.top()), QPointF(m_pageSize.width() - m.right(), m_pageSize.height() - m.bottom()));
    if (m_content.width() < 720 || m_content.height() < 720)
        return fail(QStringLiteral("Marginesy strony nie zostawiają miejsca na treść raportu."));

    if (!bindBand(&m_def.pageHeader) || !bindBand(&m_def.pageFooter))
        return false;
    for (Band &b : m_def.bands)
        if (!bindBand(&b))
            return false;

    const double headerHeight = layoutRows(m_def.pageHeader.rows, m_singleRows.value(m_def.pageHeader.query),
                                           m_content.top(), true, &m_header);
    const QVector<QVariant> footerValues = m_singleRows.value(m_def.pageFooter.query);
    const double footerHeight = layoutRows(m_def.pageFooter.rows, footerValues, 0, false, nullptr);
    layoutRows(m_def.pageFooter.rows, footerValues, m_content.bottom() - footerHeight, true, &m_footer);
    m_bodyTop = m_content.top() + headerHeight + (headerHeight > 0 ? kBandGap : 0);
    m_bodyBottom = m_content.bottom() - footerHeight - (footerHeight > 0 ? kBandGap : 0);
    if (m_bodyBottom - m_bodyTop < 720)
        return fail(QStringLiteral("Nagłówek i stopka strony nie zostawiają miejsca na treść raportu."));

    if (m_countRows) {
        for (const Section &s : m_def.body) {
            if (s.kind != Section::TableKind && s.kind != Section::RecordKind)
                continue;
            const QString name = s.kind == Section::TableKind ? m_def.tables.at(s.index).query
                                                                : m_def.records.at(s.index).query;
            QSqlQuery q(m_db);
            if (!runQuery(name, &q, true))
                return false;
            if (q.next())
                m_rowsTotal += q.value(0).toLongLong();
        }
    }
    if (!m_spool.open())
        return fail(QStringLiteral("Nie można utworzyć pliku tymczasowego wydruku."));
    newPage();
    return true;
}

void ReportEngine::newPage()
{
    finishPage();
    m_pageOpen = true;
    m_y = m_bodyTop;
    m_pageHasContent = false;
    if (m_state)
        m_state->headerOnPage = false;
}

bool ReportEngine::finishPage()
{
    if (!m_pageOpen)
        return true;
    m_pageOpen = false;
    const bool ok = m_spool.append(m_page);
    m_page.clear();
    return ok || fail(QStringLiteral("Nie można zapisać strony wydruku do pliku tymczasowego."));
}

bool ReportEngine::ensureRoom(double height)
{
    if (m_y + height > m_bodyBottom + 0.01 && m_pageHasContent) {
        newPage();
        return true;
    }
    return false;
}

bool ReportEngine::startSection()
{
    const Section &s = m_def.body.at(m_section);
    m_state.reset();
    switch (s.kind) {
    case Section::Spacer:
        m_y = qMin(m_y + s.height, m_bodyBottom);
        return true;
    case Section::BandSection: {
        const Band &band = m_def.bands.at(s.index);
        const QVector<QVariant> values = m_singleRows.value(band.query);
        const double h = layoutRows(band.rows, values, 0, false, nullptr);
        ensureRoom(h);
        layoutRows(band.rows, values, m_y, true, &m_page);
        m_y += h;
        m_pageHasContent = true;
        return true;
    }
    case Section::TableKind:
    case Section::RecordKind:
        break;
    }

    auto state = std::make_unique<SectionState>();
    QString queryName;
    QList<TextTemplate *> templates;
    if (s.kind == Section::TableKind) {
        state->table = &m_def.tables[s.index];
        queryName = state->table->query;
        for (Column &c : state->table->columns)
            templates << &c.text;
        templates << &state->table->groupBy << &state->table->groupText << &state->table->countText;
    } else {
        state->record = &m_def.records[s.index];
        queryName = state->record->query;
        for (RecordItem &i : state->record->items)
            templates << &i.text;
        for (AsideItem &a : state->record->aside)
            templates << &a.source;
        for (Signature &g : state->record->signatures)
            templates << &g.text;
    }
    m_query = QSqlQuery(m_db);
    if (!runQuery(queryName, &m_query, false))
        return false;
    const QSqlRecord record = m_query.record();
    m_columnCount = record.count();
    m_usedColumns.clear();
    for (TextTemplate *t : templates) {
        QString unknown;
        if (!t->bind(record, &unknown))
            return fail(QStringLiteral("Zapytanie „%1” nie zwraca kolumny „%2”.").arg(queryName, unknown));
        t->addColumnIndexes(&m_usedColumns);
    }
    if (state->table) {
        const TableSection &t = *state->table;
        // Widths follow the weights, but no column is narrower than the
        // longest word of its caption, so that captions break between words.
        QList<double> minimum;
        double total = 0, minimumSum = 0;
        for (const Column &c : t.columns) {
            double widest = 0;
            for (const QString &word : c.caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                widest = qMax(widest, m_metrics.at(size_t(t.headerStyle)).horizontalAdvance(word));
            minimum << widest + 2 * kPadX + 1;
            minimumSum += minimum.last();
            total += c.weight;
        }
        QList<double> widths;
        for (const Column &c : t.columns)
            widths << m_content.width() * c.weight / total;
        if (minimumSum <= m_content.width()) {
            for (int round = 0; round < 8; ++round) {
                double deficit = 0, spareWeight = 0;
                for (int i = 0; i < widths.size(); ++i) {
                    if (widths.at(i) < minimum.at(i)) {
                        deficit += minimum.at(i) - widths.at(i);
                        widths[i] = minimum.at(i);
                    } else if (widths.at(i) > minimum.at(i)) {
                        spareWeight += t.columns.at(i).weight;
                    }
                }
                if (deficit <= 0.01 || spareWeight <= 0)
                    break;
                for (int i = 0; i < widths.size(); ++i)
                    if (widths.at(i) > minimum.at(i))
                        widths[i] -= deficit * t.columns.at(i).weight / spareWeight;
            }
        }
        double x = m_content.left();
        for (int i = 0; i < t.columns.size(); ++i) {
            const double w = widths.at(i);
            state->colX << x;
            state->colW << w;
            const QStringList lines = wrap(t.columns.at(i).caption, t.headerStyle, w - 2 * kPadX);
            state->captions << lines;
            state->headerHeight = qMax(state->headerHeight, lines.size() * lineHeight(t.headerStyle) + 2 * kPadY);
            x += w;
        }
    }
    m_state = std::move(state);
    m_sectionActive = true;
    return true;
}

void ReportEngine::tableHeader()
{
    SectionState &st = *m_state;
    const TableSection &t = *st.table;
    PageItem fill;
    fill.kind = PageItem::Fill;
    fill.rect = QRectF(m_content.left(), m_y, m_content.width(), st.headerHeight);
    fill.color = kHeaderFill;
    m_page.append(fill);
    for (int i = 0; i < t.columns.size(); ++i)
        addText(&m_page, st.captions.at(i), t.headerStyle, t.columns.at(i).align,
                QRectF(st.colX.at(i), m_y, st.colW.at(i), st.headerHeight));
    PageItem line;
    line.kind = PageItem::Line;
    line.rect = QRectF(m_content.left(), m_y + st.headerHeight, m_content.width(), kRule);
    line.color = kRuleLine;
    m_page.append(line);
    m_y += st.headerHeight;
    st.headerOnPage = true;
    st.zebra = false;
    m_pageHasContent = true;
}

void ReportEngine::tableGroup(const QString &text)
{
    const TableSection &t = *m_state->table;
    const QStringList lines = wrap(text, t.groupStyle, m_content.width() - 2 * kPadX);
    const double h = lines.size() * lineHeight(t.groupStyle) + 2 * kPadY;
    m_y += kGroupGap;
    addText(&m_page, lines, t.groupStyle, Qt::AlignLeft, QRectF(m_content.left(), m_y, m_content.width(), h));
    PageItem line;
    line.kind = PageItem::Line;
    line.rect = QRectF(m_content.left(), m_y + h, m_content.width(), kThin);
    line.color = kRuleLine;
    m_page.append(line);
    m_y += h;
    m_state->zebra = false;
}

bool ReportEngine::tableRow(const QVector<QVariant> &values)
{
    SectionState &st = *m_state;
    const TableSection &t = *st.table;
    bool newGroup = false;
    if (!t.groupBy.isEmpty()) {
        const QString key = evaluate(t.groupBy, values);
        if (!st.inGroup || key != st.groupKey) {
            newGroup = true;
            st.inGroup = true;
            st.groupKey = key;
            st.groupText = evaluate(t.groupText, values);
        }
    }
    const double groupHeight = st.inGroup ? kGroupGap + lineHeight(t.groupStyle) + 2 * kPadY : 0;
    const double lh = lineHeight(t.bodyStyle);
    QList<QStringList> cells;
    int lines = 1;
    for (int i = 0; i < t.columns.size(); ++i) {
        cells << wrap(evaluate(t.columns.at(i).text, values, st.count), t.bodyStyle, st.colW.at(i) - 2 * kPadX);
        lines = qMax(lines, int(cells.last().size()));
    }
    // A row taller than a whole page is the only one ever shortened.
    const int maxLines = qMax(1, int((m_bodyBottom - m_bodyTop - st.headerHeight - groupHeight - 2 * kPadY) / lh));
    if (lines > maxLines) {
        for (QStringList &c : cells) {
            if (c.size() > maxLines) {
                c = c.mid(0, maxLines);
                c.last() += QChar(0x2026);
            }
        }
        lines = maxLines;
    }
    const double rowHeight = lines * lh + 2 * kPadY;
    const double need = rowHeight + (newGroup ? groupHeight : 0) + (st.headerOnPage ? 0 : st.headerHeight);
    ensureRoom(need);
    if (!st.headerOnPage) {
        tableHeader();
        if (st.inGroup && !newGroup)
            tableGroup(st.groupText + QStringLiteral(" (cd.)"));
    }
    if (newGroup)
        tableGroup(st.groupText);

    if (st.zebra) {
        PageItem fill;
        fill.kind = PageItem::Fill;
        fill.rect = QRectF(m_content.left(), m_y, m_content.width(), rowHeight);
        fill.color = kZebraFill;
        m_page.append(fill);
    }
    for (int i = 0; i < t.columns.size(); ++i)
        addText(&m_page, cells.at(i), t.bodyStyle, t.columns.at(i).align,
                QRectF(st.colX.at(i), m_y, st.colW.at(i), rowHeight));
    PageItem line;
    line.kind = PageItem::Line;
    line.rect = QRectF(m_content.left(), m_y + rowHeight, m_content.width(), kThin);
    line.color = kGridLine;
    m_page.append(line);
    m_y += rowHeight;
    st.zebra = !st.zebra;
    ++st.count;
    m_pageHasContent = true;
    return true;
}

bool ReportEngine::recordRow(const QVector<QVariant> &values)
{
    SectionState &st = *m_state;
    const RecordSection &r = *st.record;
    const double asideWidth = r.aside.isEmpty() ? 0 : qMin(r.asideWidth, m_content.width() / 2);
    const double left = m_content.left();
    const double fieldsWidth = m_content.width() - asideWidth - (asideWidth > 0 ? kAsideGap : 0);
    const double valueWidth = fieldsWidth - r.labelWidth;

    struct Field
    {
        QStringList label;
        QStringList value;
        double height;
    };
    QList<Field> fields;
    double fieldsHeight = 0;
    for (const RecordItem &item : r.items) {
        Field f;
        f.label = wrap(item.label, r.labelStyle, r.labelWidth - 2 * kPadX);
        f.value = wrap(evaluate(item.text, values), r.valueStyle, valueWidth - 2 * kPadX);
        f.height = qMax(f.label.size() * lineHeight(r.labelStyle), f.value.size() * lineHeight(r.valueStyle)) + 2 * kPadY;
        fieldsHeight += f.height;
        fields << f;
    }
    double asideHeight = 0;
    for (const AsideItem &a : r.aside)
        asideHeight += a.height + kPadY * 4;
    const double signatureHeight = r.signatures.isEmpty()
            ? 0
            : kRecordGap + kSignatureSpace + lineHeight(r.labelStyle) + lineHeight(r.valueStyle) + 4 * kPadY;
    const double blockHeight = qMax(fieldsHeight, asideHeight) + signatureHeight;
    const double gap = st.count > 0 ? kRecordGap : 0;

    if (m_y + gap + blockHeight > m_bodyBottom && m_pageHasContent) {
        newPage();
    } else if (gap > 0) {
        PageItem sep;
        sep.kind = PageItem::Line;
        sep.rect = QRectF(left, m_y + gap / 2, m_content.width(), kRule);
        sep.color = kRuleLine;
        m_page.append(sep);
        m_y += gap;
    }

    // The photo and the codes stand to the right of the first fields.
    double ay = m_y;
    const double ax = left + fieldsWidth + kAsideGap;
    for (const AsideItem &a : r.aside) {
        const QString source = evaluate(a.source, values);
        const QRectF box(ax, ay, asideWidth, a.height);
        PageItem item;
        item.rect = box;
        if (a.kind == AsideItem::Image) {
            const QByteArray bytes = QByteArray::fromBase64(source.toLatin1());
            QImage image;
            if (!bytes.isEmpty() && image.loadFromData(bytes)) {
                QSizeF size = image.size();
                size.scale(box.size(), Qt::KeepAspectRatio);
                QRectF fitted(QPointF(0, 0), size);
                fitted.moveCenter(box.center());
                fitted.moveTop(box.top());
                item.kind = PageItem::Image;
                item.rect = fitted;
                item.data = bytes;
            } else {
                item.kind = PageItem::Frame;
                item.style = quint8(r.labelStyle);
                item.text = QStringLiteral("Brak zdjęcia");
                item.color = kGridLine;
            }
        } else {
            item.kind = a.kind == AsideItem::QrCode ? PageItem::QrCode : PageItem::Code128;
            item.style = quint8(r.labelStyle);
            item.text = source;
        }
        if (!source.isEmpty() || a.kind == AsideItem::Image)
            m_page.append(item);
        ay += a.height + kPadY * 4;
    }

    const bool split = blockHeight > m_bodyBottom - m_bodyTop;
    for (const Field &f : fields) {
        if (split && ensureRoom(f.height))
            ay = m_y;
        addText(&m_page, f.label, r.labelStyle, Qt::AlignLeft, QRectF(left, m_y, r.labelWidth, f.height));
        addText(&m_page, f.value, r.valueStyle, Qt::AlignLeft,
                QRectF(left + r.labelWidth, m_y, valueWidth, f.height));
        PageItem line;
        line.kind = PageItem::Line;
        line.rect = QRectF(left, m_y + f.height, fieldsWidth, kThin);
        line.color = kGridLine;
        m_page.append(line);
        m_y += f.height;
        m_pageHasContent = true;
    }
    m_y = qMax(m_y, ay);

    if (!r.signatures.isEmpty()) {
        if (split)
            ensureRoom(signatureHeight);
        m_y += kRecordGap;
        const int n = int(r.signatures.size());
        const double gapX = 400;
        const double w = (m_content.width() - (n - 1) * gapX) / n;
        for (int i = 0; i < n; ++i) {
            const double x = left + i * (w + gapX);
            const Signature &s = r.signatures.at(i);
            PageItem line;
            line.kind = PageItem::Line;
            line.rect = QRectF(x, m_y + kSignatureSpace, w, kThin);
            line.color = kRuleLine;
            m_page.append(line);
            double y = m_y + kSignatureSpace;
            addText(&m_page, {s.caption}, r.labelStyle, Qt::AlignHCenter,
                    QRectF(x, y, w, lineHeight(r.labelStyle) + 2 * kPadY));
            y += lineHeight(r.labelStyle) + kPadY;
            addText(&m_page, {evaluate(s.text, values)}, r.valueStyle, Qt::AlignHCenter,
                    QRectF(x, y, w, lineHeight(r.valueStyle) + 2 * kPadY));
        }
        m_y += signatureHeight - kRecordGap;
    }
    ++st.count;
    m_pageHasContent = true;
    return true;
}

bool ReportEngine::finishSection()
{
    SectionState &st = *m_state;
    m_sectionActive = false;
    if (st.count == 0) {
        const int style = st.table ? st.table->bodyStyle : st.record->valueStyle;
        const double h = lineHeight(style) + 2 * kPadY;
        if (st.table) {
            ensureRoom(st.headerHeight + h);
            tableHeader();
        } else {
            ensureRoom(h);
        }
        addText(&m_page, {st.table ? st.table->emptyText : st.record->emptyText}, style, Qt::AlignLeft,
                QRectF(m_content.left(), m_y, m_content.width(), h));
        m_y += h;
        m_pageHasContent = true;
    }
    if (st.table && !st.table->countText.isEmpty()) {
        const int style = st.table->groupStyle;
        const double h = lineHeight(style) + 2 * kPadY;
        ensureRoom(h + kGroupGap);
        m_y += kGroupGap / 2;
        addText(&m_page, {evaluate(st.table->countText, {}, st.count)}, style, Qt::AlignRight,
                QRectF(m_content.left(), m_y, m_content.width(), h));
        m_y += h;
    }
    m_query = QSqlQuery(m_db);   // ends the forward-only read before anything else runs
    m_state.reset();
    return true;
}

bool ReportEngine::step(int rows)
{
    if (!start())
        return false;
    while (!m_finished && rows > 0) {
        if (!m_sectionActive) {
            ++m_section;
            if (m_section >= m_def.body.size()) {
                if (!finishPage())
                    return false;
                m_finished = true;
                break;
            }
            if (!startSection())
                return false;
            continue;
        }
        if (!m_query.next()) {
            if (m_query.lastError().isValid())
                return fail(QStringLiteral("Odczyt danych raportu nie powiódł się: %1").arg(m_query.lastError().text()));
            if (!finishSection())
                return false;
            continue;
        }
        QVector<QVariant> values(m_columnCount);
        for (int i : std::as_const(m_usedColumns))
            values[i] = m_query.value(i);
        if (!(m_state->table ? tableRow(values) : recordRow(values)))
            return false;
        ++m_rowsDone;
        --rows;
    }
    return true;
}

bool ReportEngine::runToEnd(const std::function<bool()> &keepGoing)
{
    while (!m_finished) {
        if (!step(250))
            return false;
        if (keepGoing && !keepGoing())
            return false;
    }
    return true;
}

void ReportEngine::paintPage(QPainter *painter, int index, int total) const
{
    const QString pageText = QString::number(index + 1);
    const QString pagesText = total >= 0 ? QString::number(total) : QStringLiteral("…");
    // Font and pen change only between styles: a page holds hundreds of texts.
    int textStyle = -1;
    auto paintItems = [&](const QList<PageItem> &items) {
        for (const PageItem &i : items) {
            if (i.kind != PageItem::Text)
                textStyle = -1;
            switch (i.kind) {
            case PageItem::Text: {
                QString text = i.text;
                text.replace(kPageMark, pageText);
                text.replace(kPagesMark, pagesText);
                if (textStyle != i.style) {
                    textStyle = i.style;
                    painter->setFont(font(i.style));
                    painter->setPen(m_def.styles.at(qBound(0, int(i.style), int(m_def.styles.size()) - 1)).color);
                }
                painter->drawText(i.rect, int(i.align) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
                break;
            }
            case PageItem::Fill:
                painter->fillRect(i.rect, QColor::fromRgba(i.color));
                break;
            case PageItem::Line:
                painter->setPen(QPen(QColor::fromRgba(i.color), i.rect.height()));
                painter->drawLine(QPointF(i.rect.left(), i.rect.top()), QPointF(i.rect.right(), i.rect.top()));
                break;
            case PageItem::Frame:
                painter->setPen(QPen(QColor::fromRgba(i.color), kRule));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(i.rect);
                painter->setFont(font(i.style));
                painter->setPen(QColor(0x80, 0x80, 0x80));
                painter->drawText(i.rect, Qt::AlignCenter, i.text);
                break;
            case PageItem::Image: {
                QImage image;
                if (image.loadFromData(i.data))
                    painter->drawImage(i.rect, image);
                break;
            }
            case PageItem::Code128: {
                const double textHeight = lineHeight(i.style) + kPadY;
                QRectF bars = i.rect.adjusted(0, 0, 0, -textHeight);
                paintBarcode(painter, bars, BarcodeType::Code128, i.text);
                painter->setFont(font(i.style));
                painter->setPen(Qt::black);
                painter->drawText(QRectF(i.rect.left(), bars.bottom(), i.rect.width(), textHeight),
                                  Qt::AlignCenter | Qt::TextSingleLine, i.text);
                break;
            }
            case PageItem::QrCode:
                paintBarcode(painter, i.rect, BarcodeType::QrCode, i.text);
                break;
            }
        }
    };
    painter->save();
    paintItems(m_spool.page(index));
    paintItems(m_header);
    paintItems(m_footer);
    painter->restore();
}

} // namespace OrvReports
