#include "TAVDialog.h"

#include "TAVDataWidget.h"
#include "TAVEwidencja.h"
#include "TAVFormat.h"
#include "TAVListaWyboru.h"
#include "TAVMessages.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVUiState.h"
#include "TAVValidator.h"

#include <QDateEdit>
#include <QDebug>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMetaProperty>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QVariantMap>

#include <algorithm>
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

TAVPickBinding &TAVDialog::bindPick(TAVListaWyboru *field, const QString &fieldName, TAVListaWyboruCommand *pickList,
                                    const QString &caption)
{
    bind(field, fieldName);
    m_picks << new TAVPickBinding(this, field, fieldName, pickList, caption);
    return *m_picks.last();
}

const TAVPickBinding *TAVDialog::selfCheckedPick(const QString &fieldName) const
{
    for (const TAVPickBinding *pick : m_picks) {
        if (pick->column() == fieldName && pick->checksItself())
            return pick;
    }
    return nullptr;
}

void TAVDialog::loadRow()
{
    if (m_index.isValid())
        m_dataWidget->setCurrentModelIndex(m_index);
    else if (m_model)
        m_dataWidget->loadRecord(m_model->defaultRecord());
    // A pick field the catalogue requires shows the mark like the others.
    for (const QString &field : m_dataWidget->mappedFields()) {
        auto *pick = qobject_cast<TAVListaWyboru *>(m_dataWidget->mappedWidget(field));
        auto *label = findChild<QLabel *>(QStringLiteral("la_") + field);
        const TAVColumnInfo *info = m_validator ? m_validator->columnInfo(field) : nullptr;
        if (pick && label && info && !info->nullable && !selfCheckedPick(field)
            && !label->text().contains(QLatin1Char('*')))
            label->setText(label->text() + QLatin1Char('*'));
    }
}

QSqlRecord TAVDialog::loadRow(const QSqlRecord &values)
{
    if (!values.isEmpty()) {
        m_dataWidget->loadRecord(values);
        return values;
    }
    loadRow();
    return m_index.isValid() && m_model ? m_model->record(m_index.row()) : QSqlRecord();
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
        const QModelIndexList rows = m_ewidencja->tableView()->selectionModel()->selectedRows();
        // Only a row the user sees chosen counts, not an earlier current one.
        if (m && !rows.isEmpty())
            return m->record(rows.first().row());
        return m ? m->emptyRecord() : QSqlRecord();
    }
    return m_dataWidget->getRecord();
}

void TAVDialog::fixSize()
{
    setFixedSize(size());
}

QString TAVDialog::captionOf(const QString &fieldName) const
{
    auto *label = findChild<QLabel *>(QStringLiteral("la_") + fieldName);
    if (!label)
        return QString();
    QTextDocument doc;
    doc.setHtml(label->text());
    QString caption = doc.toPlainText().remove(QLatin1Char('*'));
    caption.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption.trimmed();
}

void TAVDialog::addChecks(ValidationMessages &) {}

bool TAVDialog::validateModel()
{
    bool result = true;
    QString text;
    if (m_validator) {
        m_validator->clearMessage();
        QSqlRecord rec = m_dataWidget->getRecord();
        for (int i = 0; i < rec.count(); ++i) {
            const QString name = rec.fieldName(i);
            if (!m_dataWidget->hasMapping(name) || !m_dataWidget->isChanged(name) || selfCheckedPick(name))
                continue;
            auto *label = findChild<QLabel *>(QStringLiteral("la_") + name);
            if (!m_validator->validate(name, rec.value(i), captionOf(name))) {
                if (label && label->buddy())
                    label->buddy()->setFocus();
                result = false;
            }
        }
        // Rules over several columns (a location's name within its warehouse).
        // The stored row only where such a rule exists (the row may carry a photo).
        const auto sets = m_validator->uniqueSets();
        const QSqlRecord current =
                !sets.isEmpty() && m_index.isValid() && m_model ? m_model->record(m_index.row()) : QSqlRecord();
        for (const QStringList &columns : sets) {
            bool touched = false;
            QVariantMap values;
            for (const QString &column : columns) {
                touched = touched || (m_dataWidget->hasMapping(column) && m_dataWidget->isChanged(column));
                if (m_dataWidget->hasMapping(column) && rec.value(column).isValid())
                    values.insert(column, rec.value(column));
                else if (m_fixedValues.contains(column))
                    values.insert(column, m_fixedValues.value(column));
                else
                    values.insert(column, current.value(column));
            }
            if (!touched)
                continue;
            QStringList captions;
            for (const QString &column : columns) {
                const QString caption = captionOf(column);
                if (!caption.isEmpty())
                    captions << caption;
            }
            const QVariant key = current.isEmpty() ? QVariant() : current.value(m_model->primaryKeyName());
            if (!m_validator->validateUnique(columns, values, key, captions))
                result = false;
        }
    }
    // The dialog's own checks may ask the catalogue too: one report of all.
    ValidationMessages checks;
    for (const TAVPickBinding *pick : m_picks)
        pick->check(checks);
    addChecks(checks);
    if (m_validator)
        text = m_validator->message();
    if (!checks.isEmpty()) {
        result = false;
        if (!checks.text().isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("<br/>")) + checks.text();
    }
    if (!result && m_showMessages) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Pola nie spełniają wymagań"), text, QMessageBox::Ok,
                        this);
        box.setTextFormat(Qt::RichText);
        box.exec();
    }
    return result;
}

void TAVDialog::accept()
{
    if (m_ewidencja && !m_ewidencja->tableView()->selectionModel()->hasSelection())
        return;
    if (!validateModel())
        return;
    if (m_saveHandler && !m_saveHandler())
        return;
    QDialog::accept();
}

void TAVDialog::showEvent(QShowEvent *event)
{
    if (!m_stateTaken) {
        for (QDateEdit *date : findChildren<QDateEdit *>())
            date->setDisplayFormat(TAVFormat::dateFormat());
    }
    QDialog::showEvent(event);
    if (!m_stateTaken) {
        m_shownState = formState();
        m_stateTaken = true;
    }
}

QVariantList TAVDialog::formState() const
{
    // An embedded register's search fields are no part of the record.
    const QList<TAVEwidencja *> registers = findChildren<TAVEwidencja *>();
    QVariantList state;
    for (QWidget *w : findChildren<QWidget *>()) {
        const QMetaProperty p = w->metaObject()->userProperty();
        if (!p.isValid() || !p.isReadable() || w == m_dataWidget)
            continue;
        if (std::any_of(registers.begin(), registers.end(), [w](TAVEwidencja *r) { return r->isAncestorOf(w); }))
            continue;
        state << p.read(w);
    }
    return state;
}

void TAVDialog::reject()
{
    if (!m_ewidencja && m_stateTaken && isVisible() && formState() != m_shownState
        && !TAVMessages::question(windowTitle(), QStringLiteral("Odrzucić zmiany?")))
        return;
    QDialog::reject();
}

void TAVDialog::done(int result)
{
    if (m_ewidencja)
        TAVUiState::saveGeometry(this, QStringLiteral("wybor_") + m_ewidencja->modelName());
    QDialog::done(result);
}

void TAVDialog::updatePickButtons()
{
    if (!m_buttonBox || !m_ewidencja)
        return;
    const bool chosen = m_ewidencja->tableView()->selectionModel()->hasSelection();
    if (QPushButton *ok = m_buttonBox->button(QDialogButtonBox::Ok))
        ok->setEnabled(chosen);
}

void TAVDialog::setEwidencja(TAVEwidencja *view)
{
    delete m_ewidencja;
    m_ewidencja = view;
    if (!view)
        return;
    m_model = view->getModel();
    view->setParent(this);
    view->setPickMode(true);
    if (!m_buttonBox) {
        m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
        connect(m_buttonBox, &QDialogButtonBox::accepted, this, &TAVDialog::accept);
        connect(m_buttonBox, &QDialogButtonBox::rejected, this, &TAVDialog::reject);
    }
    if (!layout())
        setLayout(new QVBoxLayout);
    layout()->addWidget(view);
    layout()->addWidget(m_buttonBox);
    connect(view, &TAVEwidencja::rowActivated, this, &TAVDialog::accept);
    connect(view->tableView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TAVDialog::updatePickButtons);
    connect(view->getModel(), &QAbstractItemModel::modelReset, this, &TAVDialog::updatePickButtons);
    updatePickButtons();

    // Wide enough for the columns; the user's own size wins once there is one.
    QTableView *table = view->tableView();
    int width = table->verticalHeader()->sizeHint().width() + table->verticalScrollBar()->sizeHint().width()
            + 2 * table->frameWidth() + 40;
    for (int c = 0; c < table->model()->columnCount(); ++c) {
        if (!table->isColumnHidden(c))
            width += table->columnWidth(c);
    }
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(qBound(520, width, screen.width() * 9 / 10), qBound(360, screen.height() * 6 / 10, 620));
    setMinimumSize(360, 260);
    TAVUiState::restoreGeometry(this, QStringLiteral("wybor_") + view->modelName());
}
