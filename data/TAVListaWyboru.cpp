#include "TAVListaWyboru.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlQuery>
#include <QToolButton>

TAVListaWyboru::TAVListaWyboru(QWidget *parent)
    : QWidget(parent),
      m_find(new QToolButton(this)),
      m_clear(new QToolButton(this)),
      m_line(new QLineEdit(this))
{
    m_find->setObjectName(QStringLiteral("tbFind"));
    m_find->setText(QStringLiteral("S"));
    m_find->setIcon(QIcon(QStringLiteral(":/tavlistawyboru/find")));

    m_clear->setObjectName(QStringLiteral("tbClear"));
    m_clear->setText(QStringLiteral("X"));
    m_clear->setIcon(QIcon(QStringLiteral(":/tavlistawyboru/clear")));

    // The caption comes only from the pick list, never from the keyboard.
    m_line->setObjectName(QStringLiteral("leText"));
    m_line->setEnabled(false);

    // Tab stops once at the field; its buttons answer the mouse and the
    // field's keys.
    m_find->setFocusPolicy(Qt::NoFocus);
    m_clear->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    m_find->setToolTip(QStringLiteral("Wybierz z listy [F4]"));
    m_clear->setToolTip(QStringLiteral("Wyczyść [Delete]"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_line);
    layout->addWidget(m_clear);
    layout->addWidget(m_find);

    connect(m_clear, &QToolButton::clicked, this, &TAVListaWyboru::clear);
    connect(m_find, &QToolButton::clicked, this, &TAVListaWyboru::showList);
}

void TAVListaWyboru::keyPressEvent(QKeyEvent *event)
{
    const bool open = event->key() == Qt::Key_F4 || event->key() == Qt::Key_Space
            || (event->key() == Qt::Key_Down && event->modifiers() & Qt::AltModifier);
    if (open && m_find->isEnabled()) {
        m_find->click();
        return;
    }
    if (event->key() == Qt::Key_Delete && m_clear->isEnabled()) {
        m_clear->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString TAVListaWyboru::text() const { return m_line->text(); }

QVariant TAVListaWyboru::data() const { return m_data; }

void TAVListaWyboru::clear()
{
    if (!m_textSet || !m_data.isValid())
        return;
    m_line->clear();
    m_data = QVariant();
    emit clickedClear();
}

void TAVListaWyboru::setText(QString _text)
{
    m_textSet = true;
    if (m_line->text() != _text)
        m_line->setText(_text);
}

void TAVListaWyboru::setData(QVariant _data)
{
    if (m_data != _data)
        m_data = _data;
}

void TAVListaWyboru::showList()
{
    emit clicked(m_find->isChecked());
}

QVariant TAVListaWyboru::key() const
{
    if (m_data.isValid() && !m_data.isNull() && m_data.toLongLong() != 0)
        return QVariant(m_data.toInt());
    return QVariant(QMetaType::fromType<int>());
}

void TAVListaWyboru::setKey(const QVariant &key)
{
    const bool none = !key.isValid() || key.isNull() || key.toLongLong() == 0;
    setData(none ? QVariant() : QVariant(key.toInt()));
    const QString caption = none ? QString() : captionOf(key);
    setText(caption);
    if (none)
        m_textSet = false;
}

QString TAVListaWyboru::captionOf(const QVariant &key) const
{
    if (m_displayQuery.isEmpty() || !key.isValid() || key.isNull())
        return QString();
    QSqlQuery query;
    if (!query.prepare(m_displayQuery))
        return QString();
    // Whatever the placeholder is called (":nrz_id", ":mgz_id"), it is the key.
    query.bindValue(0, key.toInt());
    if (query.exec() && query.next())
        return query.value(0).toString();
    return QString();
}
