#pragma once

#include <QString>

class QWidget;

// The boxes commands show: no parent, one OK button, the cause of a
// database failure in a sentence below the text.
namespace TAVMessages {

void warning(const QString &title, const QString &text, const QString &cause = QString());
void information(const QString &title, const QString &text, const QString &cause = QString());
// Yes and No, no default button; true on Yes.
bool question(const QString &title, const QString &text);

} // namespace TAVMessages
