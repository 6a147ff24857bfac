#include "TAVScanField.h"

#include <QApplication>
#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {
const int kStatusMs = 5000;
}

TAVScanField::TAVScanField(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setVerticalSpacing(2);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("leSkanuj"));
    m_field->setPlaceholderText(QStringLiteral("kod, kod kreskowy, nr ewid. lub seryjny"));
    m_field->setToolTip(QStringLiteral("Zeskanuj lub wpisz kod i naciśnij Enter [Ctrl+K, F2]"));
    m_field->setClearButtonEnabled(true);
    m_field->setMinimumWidth(m_field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 26);
    auto *label = new QLabel(QStringLiteral("S&kanuj:"), this);
    label->setBuddy(m_field);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("laSkanuj"));
    m_fade = new QTimer(m_status);
    m_fade->setSingleShot(true);
    m_fade->setInterval(kStatusMs);
    connect(m_fade, &QTimer::timeout, m_status, &QLabel::clear);
    connect(m_field, &QLineEdit::textEdited, m_status, [this] {
        if (m_status->property("found") == false)
            m_status->clear();
    });
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_field, 0, 1);
    layout->addWidget(m_status, 1, 0, 1, 2);
}

QString TAVScanField::takeCode()
{
    const QString text = m_field->text().trimmed();
    // Ready for the next code whatever this one finds.
    m_field->clear();
    m_field->setFocus();
    return text;
}

void TAVScanField::showResult(const QString &text, bool found)
{
    qDebug() << "   result:" << text;
    m_status->setText(text);
    m_status->setProperty("found", found);
    found ? m_fade->stop() : m_fade->start();
    m_status->setStyleSheet(found ? QStringLiteral("color: #1b6e20;")
                                  : QStringLiteral("color: #c00000; font-weight: bold;"));
    if (!found)
        QApplication::beep();
}

void TAVScanField::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}
