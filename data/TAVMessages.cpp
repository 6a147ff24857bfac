#include "TAVMessages.h"

#include <QMessageBox>

namespace {
void show(QMessageBox::Icon icon, const QString &title, const QString &text, const QString &cause)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    if (!cause.isEmpty())
        box.setInformativeText(cause);
    box.exec();
}
} // namespace

namespace TAVMessages {

void warning(const QString &title, const QString &text, const QString &cause)
{
    show(QMessageBox::Warning, title, text, cause);
}

void information(const QString &title, const QString &text, const QString &cause)
{
    show(QMessageBox::Information, title, text, cause);
}

bool question(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::NoButton);
    return box.exec() == QMessageBox::Yes;
}

} // namespace TAVMessages
