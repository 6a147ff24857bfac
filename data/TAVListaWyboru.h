#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>

class QKeyEvent;
class QLineEdit;
class QToolButton;

// Pick field: shows the caption of the chosen row and keeps its key. It does
// not open any list itself; its binding in the dialog (TAVDialog::bindPick)
// answers clicked() and clickedClear().
class TAVListaWyboru : public QWidget
{
    Q_OBJECT
    // The key as the record editor binds it: a typed null when nothing is
    // chosen, so that an empty choice is written as NULL.
    Q_PROPERTY(QVariant key READ key WRITE setKey USER true)

public:
    explicit TAVListaWyboru(QWidget *parent = nullptr);

    QString text() const;
    QVariant data() const;

    QVariant key() const;
    // Sets the key and shows its caption, read with the display query.
    void setKey(const QVariant &key);
    // One query with the placeholder :id giving the caption of a key, for
    // example "SELECT mgz_symbol FROM magazyny WHERE mgz_id = :id".
    void setDisplayQuery(const QString &sql) { m_displayQuery = sql; }
    QString displayQuery() const { return m_displayQuery; }
    // The caption of a key through the display query (empty for none).
    QString captionOf(const QVariant &key) const;

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

protected:
    // The field itself takes the focus once: F4, Alt+Down or Space open the
    // list, Delete clears it.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QToolButton *m_find = nullptr;
    QToolButton *m_clear = nullptr;
    QLineEdit *m_line = nullptr;
    QVariant m_data;
    QString m_displayQuery;
    // Nothing to clear until a caption has been put in the line.
    bool m_textSet = false;
};
