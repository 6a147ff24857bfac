#pragma once

#include "TAVCommand.h"
#include "TAVItemDelegate.h"
#include "TAVTableModel.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class QComboBox;

namespace Ui {
class InwentaryzacjaOtworzDialog;
class KorektyInwentaryzacjiDialog;
}

// Stocktakes of warehouses: how far the count has got, the count of each
// class of scan, open or closed.
class InwentaryzacjeModel : public TAVModel<InwentaryzacjeModel>
{
    Q_OBJECT
public:
    explicit InwentaryzacjeModel(QObject *parent = nullptr);
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
    void createColumnDelegates() override;
};

// The scans of a stocktake (its "Skany" tab). The scan field records each
// code, classified by the database, at the location chosen beside it.
class InwentaryzacjeSkanyModel : public TAVModel<InwentaryzacjeSkanyModel>
{
    Q_OBJECT
public:
    explicit InwentaryzacjeSkanyModel(QObject *parent = nullptr);
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
    void createRowDelegate() override;
    ScanRecord recordScan(const QString &code, int parentKey, QWidget *parent) override;
    QWidget *toolBarWidget(QWidget *parent) override;
    // The locations of the stocktake's warehouse in the choice beside the field.
    void parentKeyChanged(int stocktake) override;

private:
    QPointer<QComboBox> m_location;
    int m_locationsOf = 0;
};

// The tools the register expected at the opening, with what the count
// made of each (its "Oczekiwane" tab).
class InwentaryzacjeOczekiwaneModel : public TAVModel<InwentaryzacjeOczekiwaneModel>
{
    Q_OBJECT
public:
    explicit InwentaryzacjeOczekiwaneModel(QObject *parent = nullptr);
    void setNames() override;
    void setHeaders() override;
    void createActions() override;
    void createColumnsOrder() override;
    void createSearchFields() override;
};

// The class of a scan as its row's colour.
class SkanPaintStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    using TAVItemDelegatePaintStrategy::TAVItemDelegatePaintStrategy;
    static QString name(const QString &klasa);
    static QColor colour(const QString &klasa);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// "found / expected" over a bar of the share found.
class PostepPaintStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    using TAVItemDelegatePaintStrategy::TAVItemDelegatePaintStrategy;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The warehouse, the locations counted (none: all) and a description.
class InwentaryzacjaOtworzDialog : public QDialog
{
    Q_OBJECT
public:
    explicit InwentaryzacjaOtworzDialog(QWidget *parent = nullptr);
    ~InwentaryzacjaOtworzDialog() override;
    int warehouse() const { return m_warehouse; }
    QList<int> locations() const;
    QString description() const;
    void accept() override;

private:
    void chooseWarehouse();
    std::unique_ptr<Ui::InwentaryzacjaOtworzDialog> ui;
    int m_warehouse = 0;
};

// The corrections a closed stocktake proposes, each an ordinary change
// of a tool: a transfer from the warehouse it belongs to, its location,
// or "Do kontroli" for a missing one. Carried out one by one or together;
// each row says what came of it.
class KorektyInwentaryzacjiDialog : public QDialog
{
    Q_OBJECT
public:
    explicit KorektyInwentaryzacjiDialog(int stocktake, QWidget *parent = nullptr);
    ~KorektyInwentaryzacjiDialog() override;
    int proposals() const;

private:
    struct Proposal
    {
        QString kind;  // "mm", "lokalizacja", "kontrola"
        qint64 tool = 0;
        int from = 0;  // the tool's warehouse (mm)
        int to = 0;    // the stocktake's warehouse (mm) or the location found (lokalizacja)
        bool done = false;
    };
    void carryOut(bool onlySelected);
    bool apply(const Proposal &p, QString *cause) const;
    std::unique_ptr<Ui::KorektyInwentaryzacjiDialog> ui;
    QList<Proposal> m_proposals;
    int m_stocktake;
};

// "Otwórz inwentaryzację", "Zamknij inwentaryzację", "Protokół
// inwentaryzacji", "Korekty po inwentaryzacji".
class InwentaryzacjaCommand : public TAVCommand
{
    Q_OBJECT
public:
    enum class Act { Open, Close, Record, Corrections };
    InwentaryzacjaCommand(const QString &name, Act act, TAVPermissionPolicy *policy);
    static void printRecord(int stocktake);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    Act m_act;
};

void declareInwentaryzacje();
