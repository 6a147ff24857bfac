#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QMap>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QDomDocument;
class QDomElement;
class QSqlRecord;
class ParameterList;

namespace OrvReports {

// Lengths in a definition are in 1/100 inch; the layout works in 1/720 inch
// ("dots", a tenth of a point), fine enough for fonts given in whole dots.
constexpr double kDotsPerInch = 720.0;
constexpr double kDotsPerUnit = kDotsPerInch / 100.0;
constexpr double kDotsPerPoint = 10.0;

struct TextStyle
{
    QString family = QStringLiteral("DejaVu Sans");
    double size = 9.0;          // points
    bool bold = false;
    bool italic = false;
    Qt::Alignment align = Qt::AlignLeft;
    QColor color = Qt::black;
    QColor background;           // invalid: none
};

// Text with fields: {column}, {column|format}, {$PARAMETER}, {#page},
// {#pages}, {#count}, {#title}; "{{" and "}}" stand for braces.
// Formats: data, dataczas, kwota, liczba, and "yes-text/no-text" for flags.
class TextTemplate
{
public:
    enum Kind { Literal, Column, Param, Page, Pages, Count, Title };
    struct Token
    {
        Kind kind = Literal;
        QString text;      // literal text, column or parameter name
        QString format;
        int index = -1;    // column index, once bound to a query's record
    };

    bool parse(const QString &source, QString *error);
    // Resolves column names against a query's result; false names the first unknown one.
    bool bind(const QSqlRecord &record, QString *unknown);
    bool isEmpty() const { return m_tokens.isEmpty(); }
    const QList<Token> &tokens() const { return m_tokens; }
    void addColumnIndexes(QList<int> *indexes) const;

private:
    QList<Token> m_tokens;
};

struct Cell
{
    double weight = 1.0;
    TextTemplate text;
    int style = 0;
    Qt::Alignment align;        // 0: the style's alignment
};

struct Row
{
    QList<Cell> cells;
    double spaceBefore = 0;     // dots
    double spaceAfter = 0;
    bool lineAbove = false;
    bool lineBelow = false;
};

struct Band
{
    QString query;              // optional: its first row feeds the fields
    QList<Row> rows;
};

struct Column
{
    QString caption;
    TextTemplate text;
    double weight = 1.0;
    Qt::Alignment align = Qt::AlignLeft;
};

struct TableSection
{
    QString query;
    QList<Column> columns;
    TextTemplate groupBy;       // a change of its text starts a group
    TextTemplate groupText;
    TextTemplate countText;     // printed after the last row
    QString emptyText;
    int headerStyle = 0;
    int bodyStyle = 0;
    int groupStyle = 0;
};

struct RecordItem
{
    QString label;
    TextTemplate text;
};

struct AsideItem
{
    enum Kind { Image, Code128, QrCode };
    Kind kind = Image;
    TextTemplate source;        // image: the Base64 column; bar code: its data
    double height = 0;          // dots
};

struct Signature
{
    QString caption;
    TextTemplate text;
};

struct RecordSection
{
    QString query;
    double labelWidth = 0;      // dots
    double asideWidth = 0;      // dots
    QList<RecordItem> items;
    QList<AsideItem> aside;
    QList<Signature> signatures;
    QString emptyText;
    int labelStyle = 0;
    int valueStyle = 0;
};

struct Section
{
    enum Kind { BandSection, TableKind, RecordKind, Spacer };
    Kind kind = Spacer;
    int index = -1;             // into bands, tables or records
    double height = 0;          // spacer, dots
};

struct ReportDefinition
{
    QString name;
    QString title;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{79, 79, 79, 79};     // 1/100 inch
    QList<TextStyle> styles;                // [0] is the default style
    QHash<QString, int> styleNames;
    QHash<QString, QString> parameterTypes;
    QMap<QString, QString> queries;
    QMap<QString, QString> placeholderDefaults;   // "%NAME%" -> text
    Band pageHeader;
    Band pageFooter;
    QList<Band> bands;
    QList<TableSection> tables;
    QList<RecordSection> records;
    QList<Section> body;

    // Reads and checks a definition; false with a Polish description.
    static bool fromDom(const QDomDocument &doc, ReportDefinition *def, QString *error);

    QSizeF pageSizeDots() const;
};

} // namespace OrvReports
