#pragma once

#include <QString>
#include <QVariant>

#include <functional>

class QComboBox;
class QDateEdit;
class TAVListaWyboru;
class ValidationMessages;

// Pieces the movement dialogs share.
namespace MovementForm {

// "Imię Nazwisko" of a user, empty for 0.
QString userName(int id);
// A key, or a NULL for 0.
QVariant keyOrNull(int key);
// The technical states, the name shown and the key as the item's data.
void fillStates(QComboBox *combo);
// The state of a key: the item named like it, else the item holding it.
void selectState(QComboBox *combo, const QVariant &key);
// The chosen state's key, or a NULL.
QVariant stateOf(const QComboBox *combo);
// The headers of a movement's issuing and receiving users' names and
// logins ("uzt_<side>_imie"…), through the model's own header setter.
void userHeaders(const std::function<void(const QString &, const QString &, const QString &)> &set,
                 const QString &issuing, const QString &receiving);
// The dates' checks: none after today, not returned before it was issued,
// and the state it came back in given (each only while its field is editable).
void checkReturn(ValidationMessages &messages, QDateEdit *issued, QDateEdit *returned, QComboBox *state);
// What a movement dialog takes from its tool, read in one statement: the
// warehouse, the current state, and the inspection interval in months (the
// tool's own, else its category's, else a year).
struct ToolFacts
{
    int warehouse = 0;
    QVariant state;
    int inspectionMonths = 12;
};
ToolFacts toolFacts(int tool);
// The warehouse and, where a field is given, the state at issue follow the
// chosen tool; its facts, for what else follows.
ToolFacts followTool(const TAVListaWyboru *tool, TAVListaWyboru *warehouse, QComboBox *state);

} // namespace MovementForm
