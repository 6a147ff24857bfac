#pragma once

#include "TAVDialog.h"

#include <QImage>
#include <QVariant>

#include <memory>

namespace Ui {
class TabelaNarzedziaDialog;
}
class TAVEwidencja;
class TAVPickBinding;

// One tool: codes, warehouse (only while the tool is being created),
// location within that warehouse, category, state, value, inspection date,
// photo and, for a tool that exists, its assembled sub-tools.
class TabelaNarzedziaDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaNarzedziaDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TabelaNarzedziaDialog() override;

    QSqlRecord getRecord() override;
    // The register of sub-tools, or null (a new tool, or a tool that is
    // itself part of another).
    TAVEwidencja *skladane() const { return m_skladane; }
    // Reads a picture file, decoded at most at the photo's size; a null
    // image and a Polish reason when it is no picture or is damaged.
    static QImage readPhoto(const QString &path, QString *error);

public Q_SLOTS:
    bool validateModel() override;
    // Opens the location list, as a click on the field does.
    void chooseLkl();
    void selectPhoto();
    void deletePhoto();
    // Puts the picture of a file into the photo field; false (with the
    // reason shown) when the file cannot be used.
    bool loadPhotoFile(const QString &path);

protected:
    void addChecks(ValidationMessages &messages) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showAssembly();
    QString valueText() const;

    std::unique_ptr<Ui::TabelaNarzedziaDialog> ui;
    TAVEwidencja *m_skladane = nullptr;
    TAVPickBinding *m_location = nullptr;
    // What the row held when loaded: the record leaves out what did not change.
    QVariant m_storedStn;
    QVariant m_storedWartosc;
    QVariant m_storedPrzeglad;
};
