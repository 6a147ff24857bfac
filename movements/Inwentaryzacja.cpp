#include "Inwentaryzacja.h"
#include "ui_InwentaryzacjaOtworzDialog.h"
#include "ui_KorektyInwentaryzacjiDialog.h"

#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "Movement.h"
#include "OVPermissions.h"
#include "OrvReports.h"
#include "TAVDb.h"
#include "TAVListaWyboru.h"
#include "TAVMessages.h"
#include "TAVRegister.h"
#include "TAVSession.h"
#include "TAVTransaction.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>

namespace {
const QString kTitle = QStringLiteral("Inwentaryzacja");
} // namespace

InwentaryzacjeModel::InwentaryzacjeModel(QObject *parent) : TAVModel(parent)
{
    setContextClearsActions(true);
    setScanColumns({});
    // The counts follow every scan, from whichever workstation.
    addDependency(QStringLiteral("inwentaryzacje_skany"), QStringLiteral("ins_fk_inw"));
}

void InwentaryzacjeModel::setNames()
{
    setTableName(QStringLiteral("inwentaryzacje"));
    setViewName(QStringLiteral("v_inwentaryzacje"));
    setSort(QStringLiteral("inw_id"), Qt::DescendingOrder);
}

void InwentaryzacjeModel::setHeaders()
{
    setHeader(QStringLiteral("inw_id"), QStringLiteral("Nr"));
    setHeader(QStringLiteral("mgz_symbol"), QStringLiteral("Magazyn"));
    setHeader(QStringLiteral("mgz_nazwa"), QStringLiteral("Nazwa mag."), QStringLiteral("Nazwa magazynu"));
    setHeader(QStringLiteral("inw_zakres"), QStringLiteral("Zakres"), QStringLiteral("Liczone lokalizacje"));
    setHeader(QStringLiteral("inw_opis"), QStringLiteral("Opis"));
    setHeader(QStringLiteral("inw_status"), QStringLiteral("Status"));
    setHeader(QStringLiteral("inw_postep"), QStringLiteral("Postęp"),
              QStringLiteral("Znalezione z oczekiwanych na stanie magazynu"));
    setHeader(QStringLiteral("inw_oczekiwane"), QStringLiteral("Oczekiwane"), QStringLiteral("Narzędzia na stanie przy otwarciu"));
    setHeader(QStringLiteral("inw_poza_magazynem"), QStringLiteral("Poza magazynem"),
              QStringLiteral("Narzędzia wydane, w drodze lub w naprawie przy otwarciu"));
    setHeader(QStringLiteral("inw_znalezione"), QStringLiteral("Znalezione"));
    setHeader(QStringLiteral("inw_brakuje"), QStringLiteral("Brakuje"));
    setHeader(QStringLiteral("k_znalezione"), QStringLiteral("Sk. znalezione"), QStringLiteral("Skany: znalezione"));
    setHeader(QStringLiteral("k_inna_lokalizacja"), QStringLiteral("Sk. inna lokalizacja"),
              QStringLiteral("Skany: w innej lokalizacji tego magazynu"));
    setHeader(QStringLiteral("k_poza_magazynem"), QStringLiteral("Sk. poza magazynem"),
              QStringLiteral("Skany: w ewidencji poza magazynem"));
    setHeader(QStringLiteral("k_inny_magazyn"), QStringLiteral("Sk. inny magazyn"), QStringLiteral("Skany: narzędzia innego magazynu"));
    setHeader(QStringLiteral("k_zlikwidowane"), QStringLiteral("Sk. zlikwidowane"), QStringLiteral("Skany: narzędzia zlikwidowane"));
    setHeader(QStringLiteral("k_nieznany"), QStringLiteral("Sk. nieznany kod"), QStringLiteral("Skany: nieznane kody"));
    setHeader(QStringLiteral("k_powtorny"), QStringLiteral("Sk. powtórne"), QStringLiteral("Skany: powtórne"));
    setHeader(QStringLiteral("inw_skanujacy"), QStringLiteral("Skanowali"));
    setHeader(QStringLiteral("inw_otwarto"), QStringLiteral("Otwarto"));
    setHeader(QStringLiteral("inw_otworzyl"), QStringLiteral("Otworzył"));
    setHeader(QStringLiteral("inw_zamknieto"), QStringLiteral("Zamknięto"));
    setHeader(QStringLiteral("inw_zamknal"), QStringLiteral("Zamknął"));
    setAuditHeaders();
    hideColumns({QStringLiteral("inw_fk_mgz"), QStringLiteral("inw_lokalizacje"), QStringLiteral("inw_zamknieta"),
                 QStringLiteral("inw_fk_uzt_otworzyl"), QStringLiteral("inw_fk_uzt_zamknal")});
}

void InwentaryzacjeModel::createActions()
{
    addAction(QStringLiteral("InwentaryzacjaOtworz"), QStringLiteral("Otwórz inwentaryzację"), QString(), QString(), false);
    addAction(QStringLiteral("InwentaryzacjaZamknij"), QStringLiteral("Zamknij inwentaryzację"));
    addAction(QStringLiteral("InwentaryzacjaProtokol"), QStringLiteral("Protokół inwentaryzacji"));
    addAction(QStringLiteral("InwentaryzacjaKorekty"), QStringLiteral("Korekty po inwentaryzacji"));
}

void InwentaryzacjeModel::createColumnsOrder()
{
    for (const char *column : {"inw_id", "mgz_symbol", "inw_zakres", "inw_status", "inw_postep", "inw_brakuje", "inw_opis",
                               "inw_otwarto", "inw_zamknieto"})
        addColumnOrder(QLatin1String(column), 0);
}

void InwentaryzacjeModel::createSearchFields()
{
    addSearchFields({QStringLiteral("mgz_symbol"), QStringLiteral("inw_opis"), QStringLiteral("inw_zakres")});
    addSearchChoice(QStringLiteral("status"), QStringLiteral("Status"),
                    {{QStringLiteral("wszystkie"), QString()},
                     {QStringLiteral("otwarte"), QStringLiteral("NOT inw_zamknieta")},
                     {QStringLiteral("zamknięte"), QStringLiteral("inw_zamknieta")}});
}

void InwentaryzacjeModel::createColumnDelegates()
{
    TAVTableModel::createColumnDelegates();
    addColumnDelegate(QStringLiteral("inw_postep"), new TAVItemDelegate(nullptr, new PostepPaintStrategy));
}

InwentaryzacjeSkanyModel::InwentaryzacjeSkanyModel(QObject *parent) : TAVModel(parent)
{
    // The field records what is scanned; it looks nothing up.
    setScanColumns({QStringLiteral("ins_kod")});
}

void InwentaryzacjeSkanyModel::setNames()
{
    setTableName(QStringLiteral("inwentaryzacje_skany"));
    setViewName(QStringLiteral("v_inwentaryzacje_skany"));
    setSort(QStringLiteral("ins_id"), Qt::DescendingOrder);
}

void InwentaryzacjeSkanyModel::setHeaders()
{
    setHeader(QStringLiteral("ins_id"), QStringLiteral("Lp."));
    setHeader(QStringLiteral("ins_czas"), QStringLiteral("Czas"));
    setHeader(QStringLiteral("ins_kod"), QStringLiteral("Zeskanowany kod"));
    setHeader(QStringLiteral("nrz_kod"), QStringLiteral("Kod narzędzia"));
    setHeader(QStringLiteral("nrz_nazwa"), QStringLiteral("Narzędzie"));
    setHeader(QStringLiteral("ins_klasa_nazwa"), QStringLiteral("Wynik"));
    setHeader(QStringLiteral("ins_opis"), QStringLiteral("Opis"));
    setHeader(QStringLiteral("lkl_nazwa"), QStringLiteral("Lokalizacja skanowania"));
    setHeader(QStringLiteral("ins_uzytkownik"), QStringLiteral("Skanował"));
    setHeader(QStringLiteral("ins_stanowisko"), QStringLiteral("Stanowisko"));
    hideColumns({QStringLiteral("ins_fk_inw"), QStringLiteral("ins_fk_nrz"), QStringLiteral("ins_klasa"),
                 QStringLiteral("ins_oczekiwane"), QStringLiteral("ins_fk_lkl"), QStringLiteral("ins_fk_uzt")});
}

void InwentaryzacjeSkanyModel::createActions() {}

void InwentaryzacjeSkanyModel::createColumnsOrder()
{
    for (const char *column : {"ins_id", "ins_czas", "ins_kod", "ins_klasa_nazwa", "nrz_kod", "nrz_nazwa", "ins_opis",
                               "lkl_nazwa", "ins_uzytkownik"})
        addColumnOrder(QLatin1String(column), 0);
}

void InwentaryzacjeSkanyModel::createSearchFields()
{
    addSearchFields({QStringLiteral("ins_kod"), QStringLiteral("nrz_nazwa"), QStringLiteral("ins_uzytkownik")});
    QList<QPair<QString, QString>> classes{{QStringLiteral("wszystkie"), QString()}};
    for (const char *klasa : {"znalezione", "inna_lokalizacja", "poza_magazynem", "inny_magazyn", "zlikwidowane", "nieznany", "powtorny"})
        classes.append({SkanPaintStrategy::name(QLatin1String(klasa)), QStringLiteral("ins_klasa = '%1'").arg(QLatin1String(klasa))});
    addSearchChoice(QStringLiteral("wynik"), QStringLiteral("Wynik"), classes);
}

void InwentaryzacjeSkanyModel::createRowDelegate()
{
    setRowDelegate(new TAVItemDelegate(nullptr, new SkanPaintStrategy));
}

QWidget *InwentaryzacjeSkanyModel::toolBarWidget(QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(4, 0, 4, 0);
    auto *label = new QLabel(QStringLiteral("&Lokalizacja:"), box);
    m_location = new QComboBox(box);
    m_location->setObjectName(QStringLiteral("cbLokalizacjaSkanowania"));
    m_location->setToolTip(QStringLiteral("Gdzie skanujesz: narzędzie z innej lokalizacji tego magazynu zostanie tak oznaczone"));
    m_location->setMinimumContentsLength(14);
    label->setBuddy(m_location);
    layout->addWidget(label);
    layout->addWidget(m_location);
    return box;
}

// The choice of locations follows the stocktake the tab shows.
void InwentaryzacjeSkanyModel::parentKeyChanged(int stocktake)
{
    if (!m_location || stocktake == m_locationsOf)
        return;
    m_locationsOf = stocktake;
    m_location->clear();
    m_location->addItem(QStringLiteral("(nie podano)"));
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT l.lkl_id, l.lkl_nazwa FROM lokalizacje l JOIN inwentaryzacje i "
                                                    "ON i.inw_fk_mgz = l.lkl_fk_mgz WHERE i.inw_id = $1 ORDER BY l.lkl_nazwa"),
                                     {stocktake}, &error);
    for (int i = 0; r && i < PQntuples(r.get()); ++i)
        m_location->addItem(TAVDb::cellText(r, i, 1), int(TAVDb::cellNumber(r, i, 0)));
}

TAVTableModel::ScanRecord InwentaryzacjeSkanyModel::recordScan(const QString &code, int parentKey, QWidget *parent)
{
    ScanRecord record;
    record.recorded = true;
    if (parentKey <= 0) {
        record.text = QStringLiteral("Zaznacz inwentaryzację, do której skanujesz.");
        record.fine = false;
        return record;
    }
    TAVDbError error;
    TAVDb::ResultPtr tools = TAVDb::exec(QStringLiteral("SELECT nrz_id, nrz_kod, nrz_nazwa, mgz_symbol FROM "
                                                        "f_inwentaryzacja_kandydaci($1)"),
                                         {code}, &error);
    if (!tools) {
        record.text = TAVDb::causeSentence(error);
        record.fine = false;
        return record;
    }
    int chosen = 0;
    if (PQntuples(tools.get()) > 1) {
        // One bar code on several products: the keeper says which one is in hand.
        QStringList items;
        for (int i = 0; i < PQntuples(tools.get()); ++i)
            items << QStringLiteral("%1 – %2 (%3)").arg(TAVDb::cellText(tools, i, 1), TAVDb::cellText(tools, i, 2), TAVDb::cellText(tools, i, 3));
        bool ok = false;
        const QString item = QInputDialog::getItem(parent, QStringLiteral("Kod „%1” ma kilka narzędzi").arg(code),
                                                   QStringLiteral("Które narzędzie zeskanowano?"), items, 0, false, &ok);
        if (!ok) {
            record.text = QStringLiteral("Kod „%1”: nie wybrano narzędzia, skanu nie zapisano.").arg(code);
            record.fine = false;
            return record;
        }
        chosen = int(items.indexOf(item));
    }
    const bool known = PQntuples(tools.get()) > 0;
    const QVariant location = m_location ? m_location->currentData() : QVariant();
    TAVDb::ResultPtr scan = TAVDb::exec(QStringLiteral("SELECT ins_id, f_inwentaryzacja_klasa(ins_klasa), ins_klasa, ins_opis "
                                                       "FROM f_inwentaryzacja_skanuj($1, $2, $3, $4)"),
                                        {parentKey, code, location.isValid() ? location : QVariant(QMetaType::fromType<int>()),
                                         known ? QVariant(int(TAVDb::cellNumber(tools, chosen, 0))) : QVariant(QMetaType::fromType<int>())},
                                        &error);
    if (!scan) {
        record.text = TAVDb::causeSentence(error);
        record.fine = false;
        return record;
    }
    const QString klasa = TAVDb::cellText(scan, 0, 2), opis = TAVDb::cellText(scan, 0, 3);
    record.key = TAVDb::cellNumber(scan, 0, 0);
    record.fine = klasa == QLatin1String("znalezione") || klasa == QLatin1String("inna_lokalizacja");
    record.text = QStringLiteral("%1: %2").arg(TAVDb::cellText(scan, 0, 1), known ? QStringLiteral("%1 – %2").arg(TAVDb::cellText(tools, chosen, 1),
                                                                                                      TAVDb::cellText(tools, chosen, 2))
                                                                          : code);
    if (!opis.isEmpty())
        record.text += QStringLiteral(" (%1)").arg(opis);
    return record;
}

InwentaryzacjeOczekiwaneModel::InwentaryzacjeOczekiwaneModel(QObject *parent) : TAVModel(parent)
{
    setScanColumns({});
    addDependency(QStringLiteral("inwentaryzacje_skany"), QStringLiteral("ins_fk_inw"));
}

void InwentaryzacjeOczekiwaneModel::setNames()
{
    setTableName(QStringLiteral("inwentaryzacje_oczekiwane"));
    setViewName(QStringLiteral("v_inwentaryzacje_oczekiwane"));
}

void InwentaryzacjeOczekiwaneModel::setHeaders()
{
    setHeader(QStringLiteral("ino_id"), QStringLiteral("ID"));
    setHeader(QStringLiteral("nrz_kod"), QStringLiteral("Kod"));
    setHeader(QStringLiteral("nrz_nazwa"), QStringLiteral("Narzędzie"));
    setHeader(QStringLiteral("nrz_nr_ewidencyjny"), QStringLiteral("Numer ewidencyjny"));
    setHeader(QStringLiteral("lkl_nazwa"), QStringLiteral("Lokalizacja w ewidencji"));
    setHeader(QStringLiteral("ino_na_stanie"), QStringLiteral("Na stanie"));
    setHeader(QStringLiteral("ino_gdzie"), QStringLiteral("Poza magazynem"));
    setHeader(QStringLiteral("ino_wartosc"), QStringLiteral("Wartość"));
    setHeader(QStringLiteral("ino_wynik"), QStringLiteral("Wynik"));
    hideColumns({QStringLiteral("ino_fk_inw"), QStringLiteral("ino_fk_nrz"), QStringLiteral("ino_fk_lkl"),
                 QStringLiteral("ino_brak")});
}

void InwentaryzacjeOczekiwaneModel::createActions() {}

void InwentaryzacjeOczekiwaneModel::createColumnsOrder()
{
    for (const char *column : {"nrz_kod", "nrz_nazwa", "ino_wynik", "lkl_nazwa", "ino_na_stanie", "ino_gdzie",
                               "nrz_nr_ewidencyjny", "ino_wartosc"})
        addColumnOrder(QLatin1String(column), 0);
}

void InwentaryzacjeOczekiwaneModel::createSearchFields()
{
    addSearchFields({QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa"), QStringLiteral("lkl_nazwa")});
    addSearchChoice(QStringLiteral("wynik"), QStringLiteral("Wynik"),
                    {{QStringLiteral("wszystkie"), QString()},
                     {QStringLiteral("brakujące"), QStringLiteral("ino_brak")},
                     {QStringLiteral("znalezione"), QStringLiteral("ino_na_stanie AND NOT ino_brak")},
                     {QStringLiteral("poza magazynem"), QStringLiteral("NOT ino_na_stanie")}});
}

QString SkanPaintStrategy::name(const QString &klasa)
{
    // As the database's f_inwentaryzacja_klasa words them.
    static const QHash<QString, QString> names{
            {QStringLiteral("znalezione"), QStringLiteral("znalezione")},
            {QStringLiteral("inna_lokalizacja"), QStringLiteral("inna lokalizacja")},
            {QStringLiteral("poza_magazynem"), QStringLiteral("w ewidencji poza magazynem")},
            {QStringLiteral("inny_magazyn"), QStringLiteral("inny magazyn")},
            {QStringLiteral("zlikwidowane"), QStringLiteral("zlikwidowane")},
            {QStringLiteral("nieznany"), QStringLiteral("nieznany kod")},
            {QStringLiteral("powtorny"), QStringLiteral("powtórny skan")}};
    return names.value(klasa, klasa);
}

QColor SkanPaintStrategy::colour(const QString &klasa)
{
    static const QHash<QString, QColor> colours{
            {QStringLiteral("znalezione"), QColor(0xd9, 0xf2, 0xd0)},      {QStringLiteral("inna_lokalizacja"), QColor(0xff, 0xf3, 0xb8)},
            {QStringLiteral("poza_magazynem"), QColor(0xff, 0xd8, 0xa8)},  {QStringLiteral("inny_magazyn"), QColor(0xcf, 0xe3, 0xff)},
            {QStringLiteral("zlikwidowane"), QColor(0xd6, 0xd6, 0xd6)},    {QStringLiteral("nieznany"), QColor(0xff, 0xc4, 0xc4)},
            {QStringLiteral("powtorny"), QColor(0xee, 0xee, 0xee)}};
    return colours.value(klasa);
}

void SkanPaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QColor c = colour(rowValue(index, QStringLiteral("ins_klasa")).toString());
    if (c.isValid() && !(option.state & QStyle::State_Selected))
        painter->fillRect(option.rect, c);
}

void PostepPaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int expected = rowValue(index, QStringLiteral("inw_oczekiwane")).toInt();
    const int found = rowValue(index, QStringLiteral("inw_znalezione")).toInt();
    if (expected <= 0)
        return;
    QRect bar = option.rect.adjusted(1, 2, -1, -2);
    bar.setWidth(int(bar.width() * qMin(1.0, double(found) / expected)));
    painter->fillRect(bar, found >= expected ? QColor(0x9c, 0xd8, 0x8c) : QColor(0xc4, 0xe6, 0xb8));
}

InwentaryzacjaOtworzDialog::InwentaryzacjaOtworzDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::InwentaryzacjaOtworzDialog)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->lwFkMgz, &TAVListaWyboru::clicked, this, &InwentaryzacjaOtworzDialog::chooseWarehouse);
    ui->lwFkMgz->setDisplayQuery(QStringLiteral("SELECT mgz_symbol || ' – ' || mgz_nazwa FROM magazyny WHERE mgz_id = :id"));
}

InwentaryzacjaOtworzDialog::~InwentaryzacjaOtworzDialog() = default;

void InwentaryzacjaOtworzDialog::chooseWarehouse()
{
    std::unique_ptr<TAVTableModel> caller(SFModels::instance()->create(modelNameOf<InwentaryzacjeModel>(), QString()));
    MagazynyListaWyboruCommand pick;
    pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz magazyn do inwentaryzacji"));
    // A manager counts his own warehouses.
    pick.setParameter(QStringLiteral("checkPermissionMgz"), true);
    QPair<QString, int> chosen(QStringLiteral("mgz_id"), 0);
    if (!pick.operacja(caller.get(), QModelIndex(), &chosen) || chosen.second <= 0)
        return;
    m_warehouse = chosen.second;
    ui->lwFkMgz->setKey(m_warehouse);
    ui->lwLokalizacje->clear();
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT l.lkl_id, l.lkl_nazwa, (SELECT count(*) FROM narzedzia n WHERE "
                                                    "n.nrz_fk_lkl = l.lkl_id AND NOT n.nrz_zlikwidowano) FROM lokalizacje l "
                                                    "WHERE l.lkl_fk_mgz = $1 ORDER BY l.lkl_nazwa"),
                                     {m_warehouse}, &error);
    for (int i = 0; r && i < PQntuples(r.get()); ++i) {
        auto *item = new QListWidgetItem(QStringLiteral("%1 (narzędzi: %2)").arg(TAVDb::cellText(r, i, 1), TAVDb::cellText(r, i, 2)), ui->lwLokalizacje);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, int(TAVDb::cellNumber(r, i, 0)));
    }
}

QList<int> InwentaryzacjaOtworzDialog::locations() const
{
    QList<int> ids;
    for (int i = 0; i < ui->lwLokalizacje->count(); ++i) {
        if (ui->lwLokalizacje->item(i)->checkState() == Qt::Checked)
            ids << ui->lwLokalizacje->item(i)->data(Qt::UserRole).toInt();
    }
    return ids;
}

QString InwentaryzacjaOtworzDialog::description() const
{
    return ui->leOpis->text().trimmed();
}

void InwentaryzacjaOtworzDialog::accept()
{
    if (m_warehouse <= 0) {
        TAVMessages::warning(windowTitle(), QStringLiteral("Wybierz magazyn do inwentaryzacji."));
        return;
    }
    QDialog::accept();
}

KorektyInwentaryzacjiDialog::KorektyInwentaryzacjiDialog(int stocktake, QWidget *parent)
    : QDialog(parent), ui(new Ui::KorektyInwentaryzacjiDialog), m_stocktake(stocktake)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->pbZaznaczone, &QPushButton::clicked, this, [this] { carryOut(true); });
    connect(ui->pbWszystkie, &QPushButton::clicked, this, [this] { carryOut(false); });
    TAVDbError error;
    // Only what still holds: a tool moved meanwhile proposes nothing.
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral(
            "SELECT 'mm', n.nrz_id, n.nrz_kod || ' – ' || n.nrz_nazwa, n.nrz_fk_mgz, i.inw_fk_mgz, "
            "       format('Przesunięcie MM z %s do %s (wydanie; przyjęcie jak zwykle: MM+)', ms.mgz_symbol, md.mgz_symbol) "
            "  FROM inwentaryzacje_skany s JOIN inwentaryzacje i ON i.inw_id = s.ins_fk_inw "
            "  JOIN narzedzia n ON n.nrz_id = s.ins_fk_nrz JOIN magazyny ms ON ms.mgz_id = n.nrz_fk_mgz "
            "  JOIN magazyny md ON md.mgz_id = i.inw_fk_mgz "
            " WHERE s.ins_fk_inw = $1 AND s.ins_klasa = 'inny_magazyn' AND n.nrz_fk_mgz <> i.inw_fk_mgz "
            "   AND n.nrz_przyjete_na_stan AND NOT n.nrz_zlikwidowano "
            "UNION ALL "
            "SELECT 'lokalizacja', n.nrz_id, n.nrz_kod || ' – ' || n.nrz_nazwa, 0, s.ins_fk_lkl, "
            "       format('Lokalizacja: %s → %s', coalesce(lo.lkl_nazwa, 'brak'), ln.lkl_nazwa) "
            "  FROM inwentaryzacje_skany s JOIN inwentaryzacje i ON i.inw_id = s.ins_fk_inw "
            "  JOIN narzedzia n ON n.nrz_id = s.ins_fk_nrz JOIN lokalizacje ln ON ln.lkl_id = s.ins_fk_lkl "
            "  LEFT JOIN lokalizacje lo ON lo.lkl_id = n.nrz_fk_lkl "
            " WHERE s.ins_fk_inw = $1 AND s.ins_klasa = 'inna_lokalizacja' AND n.nrz_fk_mgz = i.inw_fk_mgz "
            "   AND n.nrz_fk_lkl IS DISTINCT FROM s.ins_fk_lkl AND NOT n.nrz_zlikwidowano "
            "UNION ALL "
            "SELECT 'kontrola', n.nrz_id, n.nrz_kod || ' – ' || n.nrz_nazwa, 0, 0, "
            "       'Stan „Do kontroli”: nie znaleziono przy inwentaryzacji' "
            "  FROM v_inwentaryzacje_oczekiwane e JOIN inwentaryzacje i ON i.inw_id = e.ino_fk_inw "
            "  JOIN narzedzia n ON n.nrz_id = e.ino_fk_nrz "
            " WHERE e.ino_fk_inw = $1 AND e.ino_brak AND n.nrz_fk_stn <> 3 AND n.nrz_przyjete_na_stan "
            "   AND NOT n.nrz_zlikwidowano AND n.nrz_fk_mgz = i.inw_fk_mgz "
            "ORDER BY 1 DESC, 3"),
            {stocktake}, &error);
    const int rows = r ? PQntuples(r.get()) : 0;
    ui->twKorekty->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        m_proposals.append({TAVDb::cellText(r, i, 0), TAVDb::cellNumber(r, i, 1), int(TAVDb::cellNumber(r, i, 3)), int(TAVDb::cellNumber(r, i, 4))});
        auto *tool = new QTableWidgetItem(TAVDb::cellText(r, i, 2));
        tool->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tool->setCheckState(Qt::Checked);
        ui->twKorekty->setItem(i, 0, tool);
        ui->twKorekty->setItem(i, 1, new QTableWidgetItem(TAVDb::cellText(r, i, 5)));
        ui->twKorekty->setItem(i, 2, new QTableWidgetItem);
    }
    ui->twKorekty->resizeColumnsToContents();
    // The proposal's words wrap rather than push the result out of sight.
    ui->twKorekty->setColumnWidth(0, qMin(ui->twKorekty->columnWidth(0), 300));
    ui->twKorekty->setColumnWidth(1, qMin(ui->twKorekty->columnWidth(1), 300));
    ui->twKorekty->setWordWrap(true);
    ui->twKorekty->resizeRowsToContents();
    ui->laOpis->setText(rows == 0 ? QStringLiteral("Inwentaryzacja nr %1 nie wymaga korekt.").arg(stocktake)
                                  : QStringLiteral("Korekty po inwentaryzacji nr %1: %2. Każda jest zwykłą zmianą narzędzia "
                                                   "według zasad ewidencji; żadne narzędzie nie jest likwidowane "
                                                   "automatycznie. Odznacz te, których nie chcesz wykonać.")
                                            .arg(stocktake)
                                            .arg(rows));
    ui->pbZaznaczone->setEnabled(rows > 0);
    ui->pbWszystkie->setEnabled(rows > 0);
}

KorektyInwentaryzacjiDialog::~KorektyInwentaryzacjiDialog() = default;

int KorektyInwentaryzacjiDialog::proposals() const
{
    return int(m_proposals.size());
}

void KorektyInwentaryzacjiDialog::carryOut(bool onlySelected)
{
    for (int i = 0; i < m_proposals.size(); ++i) {
        Proposal &p = m_proposals[i];
        QTableWidgetItem *tool = ui->twKorekty->item(i, 0);
        if (p.done || (onlySelected && tool->checkState() != Qt::Checked))
            continue;
        QString cause;
        p.done = apply(p, &cause);
        ui->twKorekty->item(i, 2)->setText(p.done ? QStringLiteral("wykonano") : QStringLiteral("nie wykonano: ") + cause);
        ui->twKorekty->item(i, 2)->setForeground(p.done ? QColor(0x1b, 0x6e, 0x20) : QColor(0xc0, 0, 0));
        if (p.done) {
            tool->setCheckState(Qt::Unchecked);
            tool->setFlags(Qt::ItemIsEnabled);
        }
    }
}

bool KorektyInwentaryzacjiDialog::apply(const Proposal &p, QString *cause) const
{
    if (p.kind == QLatin1String("lokalizacja"))
        return Movement::writeTool(p.tool, {{QStringLiteral("nrz_fk_lkl"), p.to}}, cause);
    if (p.kind == QLatin1String("kontrola"))
        return Movement::writeTool(p.tool, {{QStringLiteral("nrz_fk_stn"), 3}}, cause);
    // The ordinary transfer's issue: the tool off its warehouse's stock and on its way here.
    TAVTransaction transaction;
    if (!transaction.ok()) {
        *cause = TAVDb::causeSentence(transaction.error());
        return false;
    }
    if (!Movement::lockedOnStock(p.tool, true)) {
        *cause = QStringLiteral("narzędzie nie jest już na stanie swojego magazynu.");
        return false;
    }
    TAVDbError error;
    bool ok = Movement::writeTool(p.tool, {{QStringLiteral("nrz_przyjete_na_stan"), false}}, cause);
    if (ok) {
        const QVariant user = Movement::currentUser();
        ok = TAVDb::exec(QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, "
                                        "psnmm_fk_uzt_src, psnmm_uwagi_wydanie, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                                        "VALUES ($1, $2, $3, $4, $5, $4, $4)"),
                         {p.tool, p.from, p.to, user, QStringLiteral("Korekta po inwentaryzacji nr %1").arg(m_stocktake)}, &error)
             != nullptr;
        if (!ok)
            *cause = TAVDb::causeSentence(error);
    }
    if (ok && !transaction.commit()) {
        *cause = TAVDb::causeSentence(transaction.error());
        ok = false;
    }
    if (!ok)
        transaction.rollback();
    else
        TAVChangeBus::instance()->announceTable(QStringLiteral("przesuniecia_mm"));
    return ok;
}

InwentaryzacjaCommand::InwentaryzacjaCommand(const QString &name, Act act, TAVPermissionPolicy *policy)
    : TAVCommand(policy), m_act(act)
{
    setName(name);
}

void InwentaryzacjaCommand::printRecord(int stocktake)
{
    ParameterList params;
    params.append(QStringLiteral("TAV_ID"), stocktake);
    OrvReports::printReport(nullptr, QStringLiteral("inwentaryzacja_protokol"), params, {}, OrvReports::OutputMode::Preview);
}

bool InwentaryzacjaCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model)
        return false;
    TAVDbError error;
    if (m_act == Act::Open) {
        InwentaryzacjaOtworzDialog dialog;
        if (dialog.exec() != QDialog::Accepted)
            return false;
        QStringList ids;
        for (int id : dialog.locations())
            ids << QString::number(id);
        TAVDb::ResultPtr opened = TAVDb::exec(QStringLiteral("SELECT f_inwentaryzacja_otworz($1, $2::integer[], $3)"),
                                              {dialog.warehouse(), QStringLiteral("{%1}").arg(ids.join(QLatin1Char(','))),
                                               dialog.description()},
                                              &error);
        TAVDb::ResultPtr r = opened ? TAVDb::exec(QStringLiteral("SELECT inw_id, mgz_symbol, inw_oczekiwane, inw_poza_magazynem "
                                                                 "FROM v_inwentaryzacje WHERE inw_id = $1"),
                                                  {int(TAVDb::cellNumber(opened, 0, 0))}, &error)
                                    : TAVDb::ResultPtr(nullptr, PQclear);
        if (!r || PQntuples(r.get()) == 0) {
            TAVMessages::warning(kTitle, QStringLiteral("Nie otwarto inwentaryzacji."), TAVDb::causeSentence(error));
            return false;
        }
        _model->select();
        TAVMessages::information(kTitle, QStringLiteral("Otwarto inwentaryzację nr %1 magazynu %2: oczekiwanych narzędzi na "
                                                        "stanie %3, poza magazynem %4. Kody skanuj na karcie „Skany”.")
                                                 .arg(TAVDb::cellText(r, 0, 0), TAVDb::cellText(r, 0, 1), TAVDb::cellText(r, 0, 2), TAVDb::cellText(r, 0, 3)));
        return true;
    }
    if (!_modelIndex.isValid())
        return false;
    const int stocktake = _model->value(_modelIndex.row(), QStringLiteral("inw_id")).toInt();
    const bool closed = _model->value(_modelIndex.row(), QStringLiteral("inw_zamknieta")).toBool();
    switch (m_act) {
    case Act::Record:
        printRecord(stocktake);
        return false;
    case Act::Corrections: {
        if (!closed) {
            TAVMessages::information(kTitle, QStringLiteral("Korekty są dostępne po zamknięciu inwentaryzacji."));
            return false;
        }
        KorektyInwentaryzacjiDialog dialog(stocktake);
        dialog.exec();
        return true;
    }
    case Act::Close: {
        if (closed) {
            TAVMessages::information(kTitle, QStringLiteral("Inwentaryzacja nr %1 jest już zamknięta.").arg(stocktake));
            return false;
        }
        TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT inw_znalezione, inw_oczekiwane, inw_brakuje FROM v_inwentaryzacje "
                                                        "WHERE inw_id = $1"),
                                         {stocktake}, &error);
        if (!r || PQntuples(r.get()) == 0)
            return false;
        if (!TAVMessages::question(kTitle, QStringLiteral("Zamknąć inwentaryzację nr %1? Znaleziono %2 z %3 narzędzi, brakuje %4. "
                                                          "Zamknięta inwentaryzacja nie przyjmie skanów ani zmian.")
                                                   .arg(stocktake)
                                                   .arg(TAVDb::cellText(r, 0, 0), TAVDb::cellText(r, 0, 1), TAVDb::cellText(r, 0, 2))))
            return false;
        if (!TAVDb::exec(QStringLiteral("SELECT f_inwentaryzacja_zamknij($1)"), {stocktake}, &error)) {
            TAVMessages::warning(kTitle, QStringLiteral("Nie zamknięto inwentaryzacji."), TAVDb::causeSentence(error));
            return false;
        }
        _model->refreshRows({stocktake});
        if (TAVMessages::question(kTitle, QStringLiteral("Inwentaryzacja nr %1 jest zamknięta. Wydrukować protokół "
                                                         "inwentaryzacji?").arg(stocktake)))
            printRecord(stocktake);
        KorektyInwentaryzacjiDialog corrections(stocktake);
        if (corrections.proposals() > 0
            && TAVMessages::question(kTitle, QStringLiteral("Inwentaryzacja proponuje korekty (%1). Przejrzeć je teraz?")
                                                     .arg(corrections.proposals())))
            corrections.exec();
        return true;
    }
    case Act::Open:
        break;
    }
    return false;
}

void declareInwentaryzacje()
{
    TAVRegisterDeclaration r;
    r.commands = [] {
        SFCommands *f = SFCommands::instance();
        const auto managers = [] { return new OVPermissionUprMgz({QStringLiteral("inw_fk_mgz")}); };
        // Opening: whoever manages a warehouse; the list offers only those.
        f->registerCommand(new InwentaryzacjaCommand(QStringLiteral("InwentaryzacjaOtworz"), InwentaryzacjaCommand::Act::Open,
                                                     new OVPermissionNoRestriction));
        f->registerCommand(new InwentaryzacjaCommand(QStringLiteral("InwentaryzacjaZamknij"), InwentaryzacjaCommand::Act::Close,
                                                     managers()));
        f->registerCommand(new InwentaryzacjaCommand(QStringLiteral("InwentaryzacjaProtokol"),
                                                     InwentaryzacjaCommand::Act::Record, new OVPermissionNoRestriction));
        f->registerCommand(new InwentaryzacjaCommand(QStringLiteral("InwentaryzacjaKorekty"),
                                                     InwentaryzacjaCommand::Act::Corrections, managers()));
    };
    r.module = TAVModuleDeclaration{QStringLiteral("Inwentaryzacja"), QStringLiteral("inwentaryzacja"), 58, false,
                                 QStringLiteral("Inwentaryzacja"), QString(), {}};
    r.helpSection = QStringLiteral("inwentaryzacja");
    TAVRegisters::declare<InwentaryzacjeModel>(std::move(r));

    TAVRegisterDeclaration scans;
    scans.tabs = {{&InwentaryzacjeModel::staticMetaObject, QStringLiteral("Skany"), QString(), QStringLiteral("ins_fk_inw"), 10}};
    scans.helpSection = QStringLiteral("inwentaryzacja");
    TAVRegisters::declare<InwentaryzacjeSkanyModel>(std::move(scans));

    TAVRegisterDeclaration expected;
    expected.tabs = {{&InwentaryzacjeModel::staticMetaObject, QStringLiteral("Oczekiwane"), QString(),
                      QStringLiteral("ino_fk_inw"), 20}};
    expected.helpSection = QStringLiteral("inwentaryzacja");
    TAVRegisters::declare<InwentaryzacjeOczekiwaneModel>(std::move(expected));
}
