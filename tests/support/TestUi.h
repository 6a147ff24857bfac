#pragma once

#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// What a user does with the real widgets: pick a row, type, press a
// button, click a toolbar command.
namespace TestUi {

inline QAction *action(TAVEwidencja &view, const QString &text) { return view.commandAction(text); }

// A command as a click on its toolbar button: only when the user could.
inline bool trigger(TAVEwidencja &view, const QString &text)
{
    QAction *a = view.commandAction(text);
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    return true;
}

inline int currentKey(TAVEwidencja &view)
{
    const QModelIndex c = view.currentIndex();
    return c.isValid() ? view.getModel()->value(c.row(), 0).toInt() : -1;
}

// Letters outside Latin-1 arrive as text-only key events, as from a
// keyboard with Polish letters.
inline void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(w, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

inline void setText(QWidget *dialog, const char *name, const QString &text)
{
    QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(name));
    QVERIFY2(w, name);
    if (auto *cb = qobject_cast<QComboBox *>(w))
        w = cb->lineEdit();
    if (auto *le = qobject_cast<QLineEdit *>(w))
        le->setText(text);
    else if (auto *te = qobject_cast<QPlainTextEdit *>(w))
        te->setPlainText(text);
    else
        QFAIL(name);
}

// Clears a line edit (or an editable combo) and types into it key by key.
inline void typeInto(QWidget *dialog, const char *name, const QString &text)
{
    QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(name));
    if (auto *cb = qobject_cast<QComboBox *>(w))
        w = cb->lineEdit();
    auto *le = qobject_cast<QLineEdit *>(w);
    QVERIFY2(le, name);
    le->clear();
    le->setFocus();
    typeText(le, text);
}

inline void press(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>();
    QVERIFY2(box && box->button(which), qPrintable(dialog->windowTitle()));
    box->button(which)->click();
}
inline void pressOk(QWidget *dialog) { press(dialog, QDialogButtonBox::Ok); }
inline void pressCancel(QWidget *dialog) { press(dialog, QDialogButtonBox::Cancel); }

// Answers a pick list: the row with this key, then OK.
inline std::function<void(QWidget *)> pickKey(int key, QString *title = nullptr)
{
    return [key, title](QWidget *w) {
        auto *d = qobject_cast<TAVDialog *>(w);
        QVERIFY2(d && d->ewidencja(), "not a pick list");
        if (title)
            *title = d->windowTitle();
        QVERIFY(d->ewidencja()->selectKey(key));
        pressOk(d);
    };
}

inline QLineEdit *searchInput(TAVEwidencja &view, const QString &column)
{
    for (auto *le : view.searchPanel()->findChildren<QLineEdit *>()) {
        if (le->property("searchFieldName").toString() == column)
            return le;
    }
    return nullptr;
}

// Types into the search field and presses Return, opening the panel first.
inline void search(TAVEwidencja &view, const QString &column, const QString &text)
{
    if (!view.isSearchBarVisible())
        QTest::keyClick(&view, Qt::Key_F3);
    QLineEdit *input = searchInput(view, column);
    QVERIFY2(input, qPrintable(column));
    input->setText(text);
    QTest::keyClick(input, Qt::Key_Return);
}

} // namespace TestUi

// Fails the test when the command is missing or disabled.
#define TRIGGER(view, text) \
    QVERIFY2(TestUi::trigger((view), QStringLiteral(text)), "command " text " missing or disabled")
