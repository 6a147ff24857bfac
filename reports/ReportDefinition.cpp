#include "ReportDefinition.h"

#include "ParameterList.h"
#include "QueryTemplate.h"

#include <QDomDocument>
#include <QDomElement>
#include <QSqlRecord>

namespace OrvReports {

// ---------------------------------------------------------------- templates

bool TextTemplate::parse(const QString &source, QString *error)
{
    m_tokens.clear();
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty()) {
            Token t;
            t.text = literal;
            m_tokens.append(t);
            literal.clear();
        }
    };
    const qsizetype n = source.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = source.at(i);
        if (ch == QLatin1Char('}')) {
            if (i + 1 < n && source.at(i + 1) == QLatin1Char('}'))
                ++i;
            literal += ch;
            continue;
        }
        if (ch != QLatin1Char('{')) {
            literal += ch;
            continue;
        }
        if (i + 1 < n && source.at(i + 1) == QLatin1Char('{')) {
            literal += ch;
            ++i;
            continue;
        }
        const qsizetype end = source.indexOf(QLatin1Char('}'), i + 1);
        if (end < 0) {
            *error = QStringLiteral("Niezamknięte pole „%1”.").arg(source.mid(i));
            return false;
        }
        QString field = source.mid(i + 1, end - i - 1).trimmed();
        i = end;
        Token t;
        const qsizetype bar = field.indexOf(QLatin1Char('|'));
        if (bar >= 0) {
            t.format = field.mid(bar + 1).trimmed();
            field = field.left(bar).trimmed();
        }
        if (field.isEmpty()) {
            *error = QStringLiteral("Puste pole w tekście „%1”.").arg(source);
            return false;
        }
        if (field.startsWith(QLatin1Char('$'))) {
            t.kind = Param;
            t.text = field.mid(1);
        } else if (field.startsWith(QLatin1Char('#'))) {
            static const QHash<QString, Kind> specials{{QStringLiteral("#page"), Page},
                                                       {QStringLiteral("#pages"), Pages},
                                                       {QStringLiteral("#count"), Count},
                                                       {QStringLiteral("#title"), Title}};
            if (!specials.contains(field)) {
                *error = QStringLiteral("Nieznane pole specjalne „%1”.").arg(field);
                return false;
            }
            t.kind = specials.value(field);
        } else {
            t.kind = Column;
            t.text = field;
        }
        flush();
        m_tokens.append(t);
    }
    flush();
    return true;
}

bool TextTemplate::bind(const QSqlRecord &record, QString *unknown)
{
    for (Token &t : m_tokens) {
        if (t.kind != Column)
            continue;
        t.index = record.indexOf(t.text);
        if (t.index < 0) {
            *unknown = t.text;
            return false;
        }
    }
    return true;
}

void TextTemplate::addColumnIndexes(QList<int> *indexes) const
{
    for (const Token &t : m_tokens)
        if (t.kind == Column && t.index >= 0 && !indexes->contains(t.index))
            indexes->append(t.index);
}

// ---------------------------------------------------------------- parsing

namespace {

struct Parser
{
    ReportDefinition *def;
    QString error;

    bool fail(const QString &message)
    {
        if (error.isEmpty())
            error = message;
        return false;
    }

    static QString where(const QDomElement &e)
    {
        return QStringLiteral("(wiersz %1)").arg(e.lineNumber());
    }

    bool number(const QDomElement &e, const QString &attr, double fallback, double *out)
    {
        if (!e.hasAttribute(attr)) {
            *out = fallback;
            return true;
        }
        bool ok = false;
        *out = e.attribute(attr).toDouble(&ok);
        if (!ok || *out < 0)
            return fail(QStringLiteral("Atrybut „%1” elementu „%2” musi być liczbą nieujemną %3.")
                                .arg(attr, e.tagName(), where(e)));
        return true;
    }

    bool flag(const QDomElement &e, const QString &attr)
    {
        const QString v = e.attribute(attr).trimmed().toLower();
        return v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("yes");
    }

    bool alignment(const QDomElement &e, Qt::Alignment *out)
    {
        const QString v = e.attribute(QStringLiteral("align")).trimmed();
        if (v.isEmpty())
            return true;
        if (v == QLatin1String("left"))
            *out = Qt::AlignLeft;
        else if (v == QLatin1String("center"))
            *out = Qt::AlignHCenter;
        else if (v == QLatin1String("right"))
            *out = Qt::AlignRight;
        else
            return fail(QStringLiteral("Nieznane wyrównanie „%1” %2.").arg(v, where(e)));
        return true;
    }

    bool style(const QDomElement &e, const QString &attr, const QString &fallbackName, int *out)
    {
        const QString name = e.attribute(attr, fallbackName);
        if (name.isEmpty()) {
            *out = 0;
            return true;
        }
        if (!def->styleNames.contains(name)) {
            if (!e.hasAttribute(attr)) {   // an optional conventional style that is not declared
                *out = 0;
                return true;
            }
            return fail(QStringLiteral("Nieznany styl „%1” %2.").arg(name, where(e)));
        }
        *out = def->styleNames.value(name);
        return true;
    }

    bool text(const QDomElement &e, const QString &source, TextTemplate *out)
    {
        QString message;
        if (!out->parse(source, &message))
            return fail(message + QLatin1Char(' ') + where(e));
        return true;
    }

    bool query(const QDomElement &e, QString *out, bool required)
    {
        *out = e.attribute(QStringLiteral("query"));
        if (out->isEmpty()) {
            if (required)
                return fail(QStringLiteral("Element „%1” nie wskazuje zapytania %2.").arg(e.tagName(), where(e)));
            return true;
        }
        if (!def->queries.contains(*out))
            return fail(QStringLiteral("Nieznane zapytanie „%1” %2.").arg(*out, where(e)));
        return true;
    }

    bool parseStyle(const QDomElement &e)
    {
        const QString name = e.attribute(QStringLiteral("name"));
        if (name.isEmpty())
            return fail(QStringLiteral("Styl bez nazwy %1.").arg(where(e)));
        TextStyle s = def->styles.value(0);
        if (e.hasAttribute(QStringLiteral("family")))
            s.family = e.attribute(QStringLiteral("family"));
        if (!number(e, QStringLiteral("size"), s.size, &s.size))
            return false;
        if (s.size < 4 || s.size > 72)
            return fail(QStringLiteral("Rozmiar czcionki stylu „%1” poza zakresem 4–72 %2.").arg(name, where(e)));
        if (e.hasAttribute(QStringLiteral("bold")))
            s.bold = flag(e, QStringLiteral("bold"));
        if (e.hasAttribute(QStringLiteral("italic")))
            s.italic = flag(e, QStringLiteral("italic"));
        if (!alignment(e, &s.align))
            return false;
        if (e.hasAttribute(QStringLiteral("color")))
            s.color = QColor(e.attribute(QStringLiteral("color")));
        if (e.hasAttribute(QStringLiteral("background")))
            s.background = QColor(e.attribute(QStringLiteral("background")));
        if (!s.color.isValid())
            return fail(QStringLiteral("Niepoprawny kolor w stylu „%1” %2.").arg(name, where(e)));
        if (name == QLatin1String("default")) {
            def->styles[0] = s;
        } else {
            def->styleNames.insert(name, int(def->styles.size()));
            def->styles.append(s);
        }
        return true;
    }

    bool parseRow(const QDomElement &e, Row *row)
    {
        if (!number(e, QStringLiteral("space-before"), 0, &row->spaceBefore)
            || !number(e, QStringLiteral("space-after"), 0, &row->spaceAfter))
            return false;
        row->spaceBefore *= kDotsPerUnit;
        row->spaceAfter *= kDotsPerUnit;
        row->lineAbove = flag(e, QStringLiteral("line-above"));
        row->lineBelow = flag(e, QStringLiteral("line-below"));
        int rowStyle = 0;
        if (!style(e, QStringLiteral("style"), QString(), &rowStyle))
            return false;
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            if (c.tagName() != QLatin1String("cell"))
                return fail(QStringLiteral("Nieznany element „%1” w wierszu %2.").arg(c.tagName(), where(c)));
            Cell cell;
            cell.style = rowStyle;
            if (!number(c, QStringLiteral("weight"), 1, &cell.weight)
                || !style(c, QStringLiteral("style"), QString(), &cell.style)
                || !alignment(c, &cell.align) || !text(c, c.text().trimmed(), &cell.text))
                return false;
            if (!c.hasAttribute(QStringLiteral("style")))
                cell.style = rowStyle;
            row->cells.append(cell);
        }
        if (row->cells.isEmpty())
            return fail(QStringLiteral("Wiersz bez komórek %1.").arg(where(e)));
        return true;
    }

    bool parseBand(const QDomElement &e, Band *band)
    {
        if (!query(e, &band->query, false))
            return false;
        for (QDomElement r = e.firstChildElement(); !r.isNull(); r = r.nextSiblingElement()) {
            if (r.tagName() != QLatin1String("row"))
                return fail(QStringLiteral("Nieznany element „%1” %2.").arg(r.tagName(), where(r)));
            Row row;
            if (!parseRow(r, &row))
                return false;
            band->rows.append(row);
        }
        return true;
    }

    bool parseTable(const QDomElement &e, TableSection *t)
    {
        if (!query(e, &t->query, true)
            || !style(e, QStringLiteral("header-style"), QStringLiteral("header"), &t->headerStyle)
            || !style(e, QStringLiteral("body-style"), QStringLiteral("body"), &t->bodyStyle)
            || !style(e, QStringLiteral("group-style"), QStringLiteral("group"), &t->groupStyle)
            || !text(e, e.attribute(QStringLiteral("group-by")), &t->groupBy)
            || !text(e, e.attribute(QStringLiteral("group-text"), e.attribute(QStringLiteral("group-by"))),
                     &t->groupText)
            || !text(e, e.attribute(QStringLiteral("count-text")), &t->countText))
            return false;
        t->emptyText = e.attribute(QStringLiteral("empty-text"), QStringLiteral("Brak pozycji do wydrukowania."));
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            if (c.tagName() != QLatin1String("column"))
                return fail(QStringLiteral("Nieznany element „%1” w tabeli %2.").arg(c.tagName(), where(c)));
            Column col;
            col.caption = c.attribute(QStringLiteral("caption"));
            if (!number(c, QStringLiteral("weight"), 1, &col.weight) || !alignment(c, &col.align)
                || !text(c, c.text().trimmed(), &col.text))
                return false;
            if (col.weight <= 0)
                return fail(QStringLiteral("Kolumna „%1” ma zerową szerokość %2.").arg(col.caption, where(c)));
            t->columns.append(col);
        }
        if (t->columns.isEmpty())
            return fail(QStringLiteral("Tabela bez kolumn %1.").arg(where(e)));
        return true;
    }

    bool parseRecord(const QDomElement &e, RecordSection *r)
    {
        if (!query(e, &r->query, true) || !number(e, QStringLiteral("label-width"), 160, &r->labelWidth)
            || !number(e, QStringLiteral("aside-width"), 0, &r->asideWidth)
            || !style(e, QStringLiteral("label-style"), QStringLiteral("label"), &r->labelStyle)
            || !style(e, QStringLiteral("value-style"), QStringLiteral("value"), &r->valueStyle))
            return false;
        r->labelWidth *= kDotsPerUnit;
        r->asideWidth *= kDotsPerUnit;
        r->emptyText = e.attribute(QStringLiteral("empty-text"), QStringLiteral("Nie znaleziono pozycji do wydrukowania."));
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            const QString tag = c.tagName();
            if (tag == QLatin1String("item")) {
                RecordItem item;
                item.label = c.attribute(QStringLiteral("label"));
                if (!text(c, c.text().trimmed(), &item.text))
                    return false;
                r->items.append(item);
            } else if (tag == QLatin1String("image") || tag == QLatin1String("barcode")) {
                AsideItem a;
                if (tag == QLatin1String("barcode")) {
                    const QString type = c.attribute(QStringLiteral("type"), QStringLiteral("code128"));
                    if (type == QLatin1String("code128"))
                        a.kind = AsideItem::Code128;
                    else if (type == QLatin1String("qr"))
                        a.kind = AsideItem::QrCode;
                    else
                        return fail(QStringLiteral("Nieznany rodzaj kodu kreskowego „%1” %2.").arg(type, where(c)));
                }
                if (!number(c, QStringLiteral("height"), 100, &a.height) || !text(c, c.text().trimmed(), &a.source))
                    return false;
                a.height *= kDotsPerUnit;
                r->aside.append(a);
            } else if (tag == QLatin1String("signature")) {
                Signature s;
                s.caption = c.attribute(QStringLiteral("caption"));
                if (!text(c, c.text().trimmed(), &s.text))
                    return false;
                r->signatures.append(s);
            } else {
                return fail(QStringLiteral("Nieznany element „%1” w karcie %2.").arg(tag, where(c)));
            }
        }
        if (!r->aside.isEmpty() && r->asideWidth <= 0)
            return fail(QStringLiteral("Karta ze zdjęciem lub kodem wymaga atrybutu „aside-width” %1.").arg(where(e)));
        return true;
    }

    bool parseBody(const QDomElement &e)
    {
        for (QDomElement s = e.firstChildElement(); !s.isNull(); s = s.nextSiblingElement()) {
            Section section;
            const QString tag = s.tagName();
            if (tag == QLatin1String("band")) {
                Band band;
                if (!parseBand(s, &band))
                    return false;
                section.kind = Section::BandSection;
                section.index = int(def->bands.size());
                def->bands.append(band);
            } else if (tag == QLatin1String("table")) {
                TableSection t;
                if (!parseTable(s, &t))
                    return false;
                section.kind = Section::TableKind;
                section.index = int(def->tables.size());
                def->tables.append(t);
            } else if (tag == QLatin1String("record")) {
                RecordSection r;
                if (!parseRecord(s, &r))
                    return false;
                section.kind = Section::RecordKind;
                section.index = int(def->records.size());
                def->records.append(r);
            } else if (tag == QLatin1String("spacer")) {
                if (!number(s, QStringLiteral("height"), 10, &section.height))
                    return false;
                section.height *= kDotsPerUnit;
            } else {
                return fail(QStringLiteral("Nieznana sekcja „%1” %2.").arg(tag, where(s)));
            }
            def->body.append(section);
        }
        return true;
    }

    bool parse(const QDomElement &root)
    {
        if (root.tagName() != QLatin1String("report"))
            return fail(QStringLiteral("Dokument nie jest definicją raportu (brak elementu „report”)."));
        def->name = root.attribute(QStringLiteral("name"));
        def->title = root.attribute(QStringLiteral("title"));
        def->styles = {TextStyle()};

        const QDomElement page = root.firstChildElement(QStringLiteral("page"));
        if (!page.isNull()) {
            const QString size = page.attribute(QStringLiteral("size"), QStringLiteral("A4"));
            static const QHash<QString, QPageSize::PageSizeId> sizes{
                    {QStringLiteral("A4"), QPageSize::A4}, {QStringLiteral("A5"), QPageSize::A5},
                    {QStringLiteral("A3"), QPageSize::A3}, {QStringLiteral("Letter"), QPageSize::Letter}};
            if (!sizes.contains(size))
                return fail(QStringLiteral("Nieznany format strony „%1”.").arg(size));
            def->pageSize = sizes.value(size);
            const QString o = page.attribute(QStringLiteral("orientation"), QStringLiteral("portrait"));
            if (o == QLatin1String("landscape"))
                def->orientation = QPageLayout::Landscape;
            else if (o != QLatin1String("portrait"))
                return fail(QStringLiteral("Nieznana orientacja strony „%1”.").arg(o));
            double l, t, r, b;
            if (!number(page, QStringLiteral("left"), 79, &l) || !number(page, QStringLiteral("top"), 79, &t)
                || !number(page, QStringLiteral("right"), 79, &r) || !number(page, QStringLiteral("bottom"), 79, &b))
                return false;
            def->margins = QMarginsF(l, t, r, b);
        }

        // Declarations first, so that sections may name them in any order.
        for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            const QString tag = e.tagName();
            if (tag == QLatin1String("style")) {
                if (!parseStyle(e))
                    return false;
            } else if (tag == QLatin1String("parameter")) {
                const QString name = e.attribute(QStringLiteral("name"));
                const QString type = e.attribute(QStringLiteral("type"), QStringLiteral("string"));
                static const QStringList types{QStringLiteral("string"), QStringLiteral("integer"),
                                               QStringLiteral("double"), QStringLiteral("date"),
                                               QStringLiteral("bool")};
                if (name.isEmpty() || !types.contains(type))
                    return fail(QStringLiteral("Niepoprawna deklaracja parametru %1.").arg(where(e)));
                def->parameterTypes.insert(name, type);
            } else if (tag == QLatin1String("query")) {
                const QString name = e.attribute(QStringLiteral("name"));
                if (name.isEmpty() || def->queries.contains(name))
                    return fail(QStringLiteral("Zapytanie bez nazwy lub o powtórzonej nazwie %1.").arg(where(e)));
                def->queries.insert(name, e.text());
            } else if (tag == QLatin1String("placeholder")) {
                def->placeholderDefaults.insert(e.attribute(QStringLiteral("name")), e.text());
            }
        }
        for (auto it = def->queries.cbegin(); it != def->queries.cend(); ++it) {
            QString message;
            if (!expandQuery(it.value(), ParameterList(), def->parameterTypes, nullptr, &message))
                return fail(QStringLiteral("Zapytanie „%1”: %2").arg(it.key(), message));
        }
        for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            const QString tag = e.tagName();
            if (tag == QLatin1String("pageheader")) {
                if (!parseBand(e, &def->pageHeader))
                    return false;
            } else if (tag == QLatin1String("pagefooter")) {
                if (!parseBand(e, &def->pageFooter))
                    return false;
            } else if (tag == QLatin1String("body")) {
                if (!parseBody(e))
                    return false;
            } else if (tag != QLatin1String("style") && tag != QLatin1String("parameter")
                       && tag != QLatin1String("query") && tag != QLatin1String("placeholder")
                       && tag != QLatin1String("page")) {
                return fail(QStringLiteral("Nieznany element „%1” %2.").arg(tag, where(e)));
            }
        }
        if (def->body.isEmpty())
            return fail(QStringLiteral("Definicja raportu nie ma treści (element „body”)."));
        return true;
    }
};

} // namespace

bool ReportDefinition::fromDom(const QDomDocument &doc, ReportDefinition *def, QString *error)
{
    *def = ReportDefinition();
    Parser p{def, QString()};
    if (!p.parse(doc.documentElement())) {
        if (error)
            *error = p.error;
        return false;
    }
    return true;
}

QSizeF ReportDefinition::pageSizeDots() const
{
    QSizeF s = QPageSize(pageSize).size(QPageSize::Inch) * kDotsPerInch;
    if (orientation == QPageLayout::Landscape)
        s.transpose();
    return s;
}

} // namespace OrvReports
