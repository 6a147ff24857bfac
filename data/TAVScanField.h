#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTimer;

// The scan field of a register's toolbar: a bar-code scanner (or a hand)
// types a code and Enter, the register looks it up, and the line below says
// what came of it. A "not found" stays only until the next keystroke or for
// a few seconds; a "found" stays.
class TAVScanField : public QWidget
{
    Q_OBJECT

public:
    explicit TAVScanField(QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    QLabel *status() const { return m_status; }
    // The code typed, trimmed; the field is emptied for the next one.
    QString takeCode();
    void showResult(const QString &text, bool found);
    void focusField();

private:
    QLineEdit *m_field = nullptr;
    QLabel *m_status = nullptr;
    QTimer *m_fade = nullptr;
};
