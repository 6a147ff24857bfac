#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// How the program writes dates and numbers, the Polish way whatever the
// workstation's locale: editors, registers, prints and exports all ask here.
namespace TAVFormat {

QLocale locale();
// "dd.MM.yyyy": also the display format of every date field.
QString dateFormat();
QString date(const QDate &date);
QString dateTime(const QDateTime &when);
// Grouped thousands and a decimal comma: "1 250,50"; decimals < 0 gives
// as many as the number needs.
QString number(double value, int decimals = -1);
QString money(double value);
// What a user typed as a number: grouping spaces and a comma or a point;
// false when it is no number.
bool parseNumber(const QString &text, double *value);
// An Excel number format for a cell of this exact text: money (two decimals)
// gets grouped thousands and both decimals, other numbers the general one.
const char *excelNumberFormat(const QString &exactText);

} // namespace TAVFormat
