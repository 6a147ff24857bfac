#include "Exporters.h"

#include "TAVFormat.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <xlsxwriter.h>

#include <memory>

namespace OrvReports {

namespace {

constexpr qint64 kXlsxMaxRows = 1048576;
constexpr int kXlsxMaxText = 32767;

bool isNumeric(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// A value in the form both outputs start from: mapped text wins, then the
// column's type decides.
struct Cell
{
    enum Kind { Empty, Text, Number, Date, DateTime } kind = Empty;
    QString text;
    double number = 0;
    QDateTime when;
};

Cell cellFor(const QVariant &value, QMetaType type, const ExportColumn &column)
{
    Cell c;
    if (!value.isValid() || value.isNull())
        return c;
    const QString key = value.toString();
    if (column.texts.contains(key)) {
        c.kind = Cell::Text;
        c.text = column.texts.value(key);
        return c;
    }
    switch (type.id()) {
    case QMetaType::Bool:
        c.kind = Cell::Text;
        c.text = value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
        return c;
    case QMetaType::QDate:
        c.kind = Cell::Date;
        c.when = QDateTime(value.toDate(), QTime(0, 0));
        return c;
    case QMetaType::QDateTime:
        c.kind = Cell::DateTime;
        c.when = value.toDateTime().toLocalTime();
        return c;
    default:
        break;
    }
    if (isNumeric(type)) {
        c.kind = Cell::Number;
        c.text = key;   // exact digits (numerics arrive as text)
        c.number = key.toDouble();
        return c;
    }
    c.kind = Cell::Text;
    c.text = key;
    return c;
}

class Writer
{
public:
    virtual ~Writer() = default;
    virtual bool header(const QList<ExportColumn> &columns) = 0;
    virtual bool row(const QList<Cell> &cells) = 0;
    virtual bool finish(bool keep) = 0;
    QString error;
};

class CsvWriter : public Writer
{
public:
    explicit CsvWriter(const QString &fileName) : m_file(fileName) {}

    bool header(const QList<ExportColumn> &columns) override
    {
        if (!m_file.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("Nie można zapisać pliku: %1").arg(m_file.errorString());
            return false;
        }
        m_buffer = QByteArrayLiteral("\xEF\xBB\xBF");
        QStringList fields;
        for (const ExportColumn &c : columns)
            fields << csvField(c.header);
        return line(fields);
    }

    bool row(const QList<Cell> &cells) override
    {
        QStringList fields;
        for (const Cell &c : cells) {
            switch (c.kind) {
            case Cell::Empty: fields << QString(); break;
            case Cell::Number: fields << QString(c.text).replace(QLatin1Char('.'), QLatin1Char(',')); break;
            case Cell::Date: fields << TAVFormat::date(c.when.date()); break;
            case Cell::DateTime: fields << c.when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); break;
            case Cell::Text: fields << csvField(c.text); break;
            }
        }
        return line(fields);
    }

    bool finish(bool keep) override
    {
        if (!keep) {
            m_file.cancelWriting();
            return true;
        }
        if (!flush() || !m_file.commit()) {
            error = QStringLiteral("Nie można zapisać pliku: %1").arg(m_file.errorString());
            return false;
        }
        return true;
    }

private:
    bool line(const QStringList &fields)
    {
        m_buffer += fields.join(QLatin1Char(';')).toUtf8();
        m_buffer += "\r\n";
        return m_buffer.size() < (1 << 16) || flush();
    }

    bool flush()
    {
        if (m_file.write(m_buffer) != m_buffer.size()) {
            error = QStringLiteral("Nie można zapisać pliku: %1").arg(m_file.errorString());
            return false;
        }
        m_buffer.clear();
        return true;
    }

    QSaveFile m_file;
    QByteArray m_buffer;
};

class XlsxWriter : public Writer
{
public:
    explicit XlsxWriter(const QString &fileName) : m_fileName(fileName) {}
    ~XlsxWriter() override
    {
        if (m_book)
            workbook_close(m_book);
    }

    bool header(const QList<ExportColumn> &columns) override
    {
        m_tmp = QDir::tempPath().toLocal8Bit();
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;   // rows go to disk as they come
        options.tmpdir = m_tmp.data();
        m_path = QFile::encodeName(m_fileName);
        m_book = workbook_new_opt(m_path.constData(), &options);
        if (!m_book) {
            error = QStringLiteral("Nie można utworzyć skoroszytu.");
            return false;
        }
        m_sheet = workbook_add_worksheet(m_book, "Dane");
        m_headerFormat = workbook_add_format(m_book);
        format_set_bold(m_headerFormat);
        format_set_bg_color(m_headerFormat, 0xE3E8EF);
        format_set_bottom(m_headerFormat, LXW_BORDER_THIN);
        m_dateFormat = workbook_add_format(m_book);
        format_set_num_format(m_dateFormat, "dd.mm.yyyy");
        m_dateTimeFormat = workbook_add_format(m_book);
        format_set_num_format(m_dateTimeFormat, "dd.mm.yyyy hh:mm");
        // Excel shows these codes in the reader's own locale: "1 250,50" in Polish.
        m_moneyFormat = workbook_add_format(m_book);
        format_set_num_format(m_moneyFormat, "#,##0.00");
        for (int i = 0; i < columns.size(); ++i) {
            const double width = qBound(10.0, columns.at(i).header.size() * 1.2 + 4, 60.0);
            worksheet_set_column(m_sheet, lxw_col_t(i), lxw_col_t(i), width, nullptr);
            const QByteArray h = columns.at(i).header.toUtf8();
            worksheet_write_string(m_sheet, 0, lxw_col_t(i), h.constData(), m_headerFormat);
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
        m_columns = int(columns.size());
        return true;
    }

    bool row(const QList<Cell> &cells) override
    {
        if (++m_row >= kXlsxMaxRows) {
            error = QStringLiteral("Arkusz Excel mieści najwyżej %1 wierszy; zawęź wyszukiwanie.").arg(kXlsxMaxRows - 1);
            return false;
        }
        for (int i = 0; i < cells.size(); ++i) {
            const Cell &c = cells.at(i);
            const lxw_col_t col = lxw_col_t(i);
            lxw_error rc = LXW_NO_ERROR;
            switch (c.kind) {
            case Cell::Empty: break;
            case Cell::Number:
                rc = worksheet_write_number(m_sheet, lxw_row_t(m_row), col, c.number,
                                            TAVFormat::excelNumberFormat(c.text) ? m_moneyFormat : nullptr);
                break;
            case Cell::Date:
            case Cell::DateTime: {
                lxw_datetime dt{c.when.date().year(), c.when.date().month(), c.when.date().day(),
                                c.when.time().hour(), c.when.time().minute(), double(c.when.time().second())};
                rc = worksheet_write_datetime(m_sheet, lxw_row_t(m_row), col, &dt,
                                              c.kind == Cell::Date ? m_dateFormat : m_dateTimeFormat);
                break;
            }
            case Cell::Text: {
                const QByteArray t = c.text.left(kXlsxMaxText).toUtf8();
                rc = worksheet_write_string(m_sheet, lxw_row_t(m_row), col, t.constData(), nullptr);
                break;
            }
            }
            if (rc != LXW_NO_ERROR) {
                error = QStringLiteral("Zapis skoroszytu nie powiódł się: %1").arg(QString::fromUtf8(lxw_strerror(rc)));
                return false;
            }
        }
        return true;
    }

    bool finish(bool keep) override
    {
        if (m_columns > 0)
            worksheet_autofilter(m_sheet, 0, 0, lxw_row_t(m_row), lxw_col_t(m_columns - 1));
        const lxw_error rc = workbook_close(m_book);
        m_book = nullptr;
        if (!keep) {
            QFile::remove(m_fileName);
            return true;
        }
        if (rc != LXW_NO_ERROR) {
            error = QStringLiteral("Zapis skoroszytu nie powiódł się: %1").arg(QString::fromUtf8(lxw_strerror(rc)));
            QFile::remove(m_fileName);
            return false;
        }
        return true;
    }

private:
    QString m_fileName;
    QByteArray m_path;
    QByteArray m_tmp;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_headerFormat = nullptr;
    lxw_format *m_dateFormat = nullptr;
    lxw_format *m_moneyFormat = nullptr;
    lxw_format *m_dateTimeFormat = nullptr;
    qint64 m_row = 0;
    int m_columns = 0;
};

} // namespace

QString csvField(const QString &text)
{
    QString t = text;
    // A spreadsheet would run text starting like a formula; as text it stays text.
    if (!t.isEmpty() && QStringLiteral("=+-@\t\r").contains(t.front()))
        t.prepend(QLatin1Char('\''));
    const bool quote = t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n'))
            || t.contains(QLatin1Char('\r')) || t.startsWith(QLatin1Char(' ')) || t.endsWith(QLatin1Char(' '));
    if (!quote)
        return t;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

bool exportQuery(ExportFormat format, const QString &sql, const QList<ExportColumn> &columns,
                 const QString &fileName, const ExportProgress &progress, QString *error, const QSqlDatabase &db)
{
    QString message;
    auto done = [&](bool ok) {
        if (error)
            *error = message;
        return ok;
    };
    QString text = sql.trimmed();
    while (text.endsWith(QLatin1Char(';')))
        text.chop(1);

    // The count only feeds the progress: without one it would read every row twice.
    qint64 total = 0;
    if (progress) {
        QSqlQuery count(db);
        if (count.exec(QStringLiteral("SELECT count(*) FROM (%1\n) AS orv_rows").arg(text)) && count.next())
            total = count.value(0).toLongLong();
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q.exec(text)) {
        message = QStringLiteral("Odczyt danych do eksportu nie powiódł się: %1").arg(q.lastError().text());
        return done(false);
    }
    const QSqlRecord record = q.record();
    QList<int> indexes;
    QList<QMetaType> types;
    for (const ExportColumn &c : columns) {
        const int i = record.indexOf(c.name);
        if (i < 0) {
            message = QStringLiteral("Zapytanie nie zwraca kolumny „%1”.").arg(c.name);
            return done(false);
        }
        indexes << i;
        types << record.field(i).metaType();
    }

    std::unique_ptr<Writer> writer;
    if (format == ExportFormat::Csv)
        writer = std::make_unique<CsvWriter>(fileName);
    else
        writer = std::make_unique<XlsxWriter>(fileName);
    if (!writer->header(columns)) {
        message = writer->error;
        return done(false);
    }
    qint64 rows = 0;
    bool cancelled = false;
    QList<Cell> cells;
    while (q.next()) {
        cells.clear();
        for (int k = 0; k < indexes.size(); ++k)
            cells << cellFor(q.value(indexes.at(k)), types.at(k), columns.at(k));
        if (!writer->row(cells)) {
            message = writer->error;
            writer->finish(false);
            return done(false);
        }
        ++rows;
        if (progress && (rows % 500) == 0 && !progress(rows, total)) {
            cancelled = true;
            break;
        }
    }
    if (!cancelled && q.lastError().isValid()) {
        message = QStringLiteral("Odczyt danych do eksportu nie powiódł się: %1").arg(q.lastError().text());
        writer->finish(false);
        return done(false);
    }
    if (cancelled) {
        writer->finish(false);
        return done(false);
    }
    if (progress)
        progress(rows, total);
    if (!writer->finish(true))
        message = writer->error;
    return done(message.isEmpty());
}

} // namespace OrvReports
