#include "TAVDialog.h"

#include "TAVDataWidget.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QDebug>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>
#include <QVBoxLayout>

#include <exception>

TAVDialog::TAVDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : QDialog(parent), m_model(model), m_index(index)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_dataWidget = new TAVDataWidget(model, this);
    m_dataWidget->hide();
    if (model)
        m_validator = TAVValidatorManager::instance()->validator(model->tableName());
}

TAVDialog::~TAVDialog() = default;

void TAVDialog::bind(QWidget *widget, const QString &fieldName)
{
    try {
        m_dataWidget->addMapping(widget, fieldName);
    } catch (...) {
        qDebug() << "Some except";
    }
}

void TAVDialog::connectButtons(QDialogButtonBox *buttons)
{
    connect(buttons, &QDialogButtonBox::accepted, this, &TAVDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TAVDialog::reject);
}

QSqlRecord TAVDialog::getRecord()
{
    if (m_ewidencja) {
        TAVTableModel *m = m_ewidencja->getModel();
        const QModelIndex current = m_ewidencja->currentIndex();
        if (m && current.isValid())
            return m->record(current.row());
        return m ? m->emptyRecord() : QSqlRecord();
    }
    return m_dataWidget->getRecord();
}

void TAVDialog::fixSize()
{
    setFixedSize(size());
}

bool TAVDialog::validateModel()
{
    if (!m_validator)
        return true;
    m_validator->clearMessage();
    const QSqlRecord rec = m_dataWidget->getRecord();
    bool result = true;
    for (int i = 0; i < rec.count(); ++i) {
        const QString name = rec.fieldName(i);
        if (!m_dataWidget->hasMapping(name) || !m_dataWidget->isChanged(name))
            continue;
        auto *label = findChild<QLabel *>(QStringLiteral("la_") + name);
        QString caption;
        if (label) {
            QTextDocument doc;
            doc.setHtml(label->text());
            caption = doc.toPlainText().remove(QLatin1Char('*'));
        }
        if (!m_validator->validate(name, rec.value(i), caption)) {
            if (label && label->buddy())
                label->buddy()->setFocus();
            result = false;
        }
    }
    if (!result && m_showMessages) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Pola nie spełniają wymagań"),
                        m_validator->message(), QMessageBox::Ok, this);
        box.setTextFormat(Qt::RichText);
        box.exec();
    }
    return result;
}

void TAVDialog::accept()
{
    if (validateModel())
        QDialog::accept();
}

void TAVDialog::setEwidencja(TAVEwidencja *view)
{
    delete m_ewidencja;
    m_ewidencja = view;
    if (!view)
        return;
    m_model = view->getModel();
    view->setParent(this);
    if (!m_buttonBox) {
        m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
        connect(m_buttonBox, &QDialogButtonBox::accepted, this, &TAVDialog::accept);
        connect(m_buttonBox, &QDialogButtonBox::rejected, this, &TAVDialog::reject);
    }
    if (!layout())
        setLayout(new QVBoxLayout);
    layout()->addWidget(view);
    layout()->addWidget(m_buttonBox);
    adjustSize();
    fixSize();
}
