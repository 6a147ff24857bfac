#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class OProgramie;
}

// The about box: program and schema versions, the maker, the licence terms
// and the legal notes shipped next to the executable.
class OProgramie : public QDialog
{
    Q_OBJECT

public:
    explicit OProgramie(QWidget *parent = nullptr);
    ~OProgramie() override;

    // The documents the two tabs show.
    static QString licencePath();
    static QString legalNotesPath();

private:
    std::unique_ptr<Ui::OProgramie> ui;
};
