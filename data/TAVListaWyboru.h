#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>

class QLineEdit;
class QToolButton;

// Pick field: shows the caption of the chosen row and keeps its key. It does
// not open any list itself; the owning dialog answers clicked() and
// clickedClear().
class TAVListaWyboru : public QWidget
{
    Q_OBJECT

public:
    explicit TAVListaWyboru(QWidget *parent = nullptr);

    QString text() const;
    QVariant data() const;

Q_SIGNALS:
    void clicked(bool checked = false);
    void clickedClear();
    void textChanged(QString _text);
    void dataChanged(QVariant _data);

public Q_SLOTS:
    void clear();
    void setText(QString _text);
    void setData(QVariant _data);
    void showList();

private:
    QToolButton *m_find = nullptr;
    QToolButton *m_clear = nullptr;
    QLineEdit *m_line = nullptr;
    QVariant m_data;
    // Nothing to clear until a caption has been put in the line.
    bool m_textSet = false;
};
