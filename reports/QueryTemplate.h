#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

class ParameterList;

namespace OrvReports {

// A query of a report definition after its template tags were applied:
// SQL text with '?' where parameter values go, and those values in order.
struct BoundQuery
{
    QString sql;
    QVariantList binds;
};

// Applies the template tags of a definition's query:
//   <? value("NAME") ?>                 the parameter's value, bound (NULL when absent)
//   <? if exists("NAME") ?> … <? else ?> … <? endif ?>   kept only when the parameter exists
//   <? if not exists("NAME") ?> …        the opposite test
// Tags are recognised only outside SQL string literals and quoted names, so
// text substituted from a register's filter can never act as a tag.
// `types` maps parameter names to their declared types ("integer",
// "double", "date", "bool", "string") for conversion before binding.
// Returns false with a Polish description on a malformed template.
bool expandQuery(const QString &text, const ParameterList &params,
                 const QHash<QString, QString> &types, BoundQuery *out, QString *error);

} // namespace OrvReports
