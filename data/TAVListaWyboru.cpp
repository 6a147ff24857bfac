#include "TAVListaWyboru.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
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

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_line);
    layout->addWidget(m_clear);
    layout->addWidget(m_find);

    connect(m_clear, &QToolButton::clicked, this, &TAVListaWyboru::clear);
    connect(m_find, &QToolButton::clicked, this, &TAVListaWyboru::showList);
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
