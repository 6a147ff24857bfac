#include "TabelaNarzedziaDialog.h"
#include "ui_TabelaNarzedziaDialog.h"

#include "ListaWyboruCommands.h"
#include "Factories.h"
#include "NarzedziaModel.h"
#include "TAVDataWidget.h"
#include "TAVEwidencja.h"
#include "TAVFormat.h"
#include "TAVMessages.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QIntValidator>
#include <QRegularExpressionValidator>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>

namespace {
const QString kKod = QStringLiteral("nrz_kod");
const QString kNazwa = QStringLiteral("nrz_nazwa");
const QString kStn = QStringLiteral("nrz_fk_stn");
const QString kWartosc = QStringLiteral("nrz_wartosc");
const QString kPrzeglad = QStringLiteral("nrz_przeglad");
// Whole złoty or with grosze after a dot or a comma, thousands grouped as
// shown ("1 250,50") or not ("1250.5").
const QRegularExpression kValue(
        QStringLiteral("^(\\d{1,10}|\\d{1,3}([ \\x{00A0}\\x{202F}]\\d{3}){1,3})([.,]\\d{0,2})?$"));
const QDate kNoDate(1900, 1, 1);

bool isNone(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}
} // namespace

TabelaNarzedziaDialog::TabelaNarzedziaDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaNarzedziaDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);

    // A tool without a date shows "brak" rather than a date nobody set.
    ui->dtPrzeglad->setMinimumDate(kNoDate);
    ui->dtPrzeglad->setMaximumDate(QDate(2999, 12, 31));
    ui->dtPrzeglad->setSpecialValueText(QStringLiteral("brak"));
    ui->dtPrzeglad->setDate(kNoDate);
    ui->dtPrzeglad->calendarWidget()->installEventFilter(this);
    ui->leWartosc->setValidator(new QRegularExpressionValidator(kValue, ui->leWartosc));

    bind(ui->leKod, kKod);
    bind(ui->leNazwa, kNazwa);
    // A location of the former warehouse is no place in another one.
    const auto clearLocation = [this] { ui->lwFkLkl->setKey(QVariant()); };
    bindPick(ui->lwFkMgz, QStringLiteral("nrz_fk_mgz"), new MagazynyListaWyboruCommand)
            .title(QStringLiteral("Wybierz magazyn docelowy"))
            // A manager creates tools only in the warehouses he runs.
            .parameter(QStringLiteral("checkPermissionMgz"), true)
            .onChosen(clearLocation)
            .onCleared(clearLocation);
    m_location = &bindPick(ui->lwFkLkl, QStringLiteral("nrz_fk_lkl"), new LokalizacjeListaWyboruCommand)
                          .title(QStringLiteral("Wybierz lokalizację"))
                          .prepare([this](TAVListaWyboruCommand &, TAVPickBinding::Pair &start) {
                              const QVariant warehouse = ui->lwFkMgz->key();
                              if (isNone(warehouse)) {
                                  QMessageBox::information(this, QStringLiteral("Lokalizacja"),
                                                           QStringLiteral("Najpierw wybierz magazyn."));
                                  return false;
                              }
                              start = {QStringLiteral("lkl_fk_mgz"), warehouse.toInt()};
                              return true;
                          });
    bindPick(ui->lwFkKtrNrz, QStringLiteral("nrz_fk_ktr_nrz"), new KategorieNarzedziListaWyboruCommand)
            .title(QStringLiteral("Wybierz kategorię narzędzia"));
    bind(ui->cbFkStn, kStn);
    bind(ui->ckZlikwidowano, QStringLiteral("nrz_zlikwidowano"));
    bind(ui->leNrEwidencyjny, QStringLiteral("nrz_nr_ewidencyjny"));
    bind(ui->leNrSeryjny, QStringLiteral("nrz_nr_seryjny"));
    bind(ui->leKodKreskowy, QStringLiteral("nrz_kod_kreskowy"));
    bind(ui->txUwagi, QStringLiteral("nrz_uwagi"));
    bind(ui->dtPrzeglad, kPrzeglad);
    ui->lePrzegladMiesiace->setValidator(new QIntValidator(1, 240, ui->lePrzegladMiesiace));
    bind(ui->lePrzegladMiesiace, QStringLiteral("nrz_przeglad_miesiace"));
    bind(ui->lbImage, QStringLiteral("nrz_zdjecie"));
    bind(ui->ckSkladane, QStringLiteral("nrz_skladane"));
    loadRow();

    if (index.isValid() && model) {
        m_storedStn = model->value(index.row(), kStn);
        m_storedWartosc = model->value(index.row(), kWartosc);
        m_storedPrzeglad = model->value(index.row(), kPrzeglad);
    }
    if (!isNone(m_storedWartosc))
        ui->leWartosc->setText(TAVFormat::money(m_storedWartosc.toDouble()));

    qDebug() << "TabelaNarzedziaDialog::loadPictureFromRecordHelper( const QVariant& _val )";
    qDebug() << "   Res load:" << (ui->lbImage->photoSize().isValid() ? "true" : "false");
    qDebug() << "   Pixmap size:" << ui->lbImage->photoSize();

    connect(ui->btSelectPhoto, &QPushButton::clicked, this, &TabelaNarzedziaDialog::selectPhoto);
    connect(ui->btDelPhoto, &QPushButton::clicked, this, &TabelaNarzedziaDialog::deletePhoto);
    connect(ui->tbPrzegladX, &QToolButton::clicked, this, [this] { ui->dtPrzeglad->setDate(kNoDate); });
    // A caption's mnemonic reaches the pick field through its find button.
    for (TAVListaWyboru *pick : {ui->lwFkMgz, ui->lwFkLkl, ui->lwFkKtrNrz})
        pick->setFocusProxy(pick->findChild<QWidget *>(QStringLiteral("tbFind")));
    ui->gbSkladane->hide();

    // The warehouse is chosen only while the tool is created; later a
    // transfer moves it.
    const bool creating = ui->leKod->text().contains(NarzedziaModel::kKodPlaceholder);
    if (!creating)
        ui->lwFkMgz->setEnabled(false);
    static const QRegularExpression digits(QStringLiteral("\\d"));
    if (creating)
        ui->leKod->setText(ui->leKod->text().remove(digits));
    if (ui->leNazwa->text().contains(NarzedziaModel::kNazwaPlaceholder))
        ui->leNazwa->setText(ui->leNazwa->text().remove(digits));
    if (!creating && index.isValid())
        showAssembly();

    adjustSize();
    fixSize();
}

TabelaNarzedziaDialog::~TabelaNarzedziaDialog() = default;

void TabelaNarzedziaDialog::showAssembly()
{
    const int row = index().row();
    const QVariant key = model()->value(row, QStringLiteral("nrz_id"));
    const QVariant main = model()->value(row, QStringLiteral("nrz_fk_nrz"));
    ui->gbSkladane->show();
    if (!isNone(main)) {
        // A part shows whose part it is; its own parts are the main tool's business.
        QSqlQuery query;
        query.prepare(QStringLiteral("SELECT nrz_kod FROM narzedzia WHERE nrz_id = :id"));
        query.bindValue(QStringLiteral(":id"), main.toInt());
        if (query.exec() && query.next())
            ui->leFkNrz->setText(query.value(0).toString());
        return;
    }
    ui->laFkNrz->hide();
    ui->leFkNrz->hide();
    m_skladane = new TAVEwidencja(modelNameOf<NarzedziaSkladaneModel>(), QString(), QString(), ui->gbSkladane);
    const QString filter = QStringLiteral("nrz_fk_nrz = %1").arg(key.toLongLong());
    m_skladane->setFixedFilter(filter);
    m_skladane->getModel()->setFilter(filter);
    if (m_skladane->searchAction())
        m_skladane->searchAction()->setVisible(false);
    m_skladane->setMinimumHeight(200);
    ui->skladaneGrid->addWidget(m_skladane, 2, 0, 1, 2);
    m_skladane->selectFirstRow();
}

QString TabelaNarzedziaDialog::valueText() const
{
    QString text = ui->leWartosc->text().trimmed();
    text.remove(QLatin1Char(' ')).remove(QChar(0x00A0)).remove(QChar(0x202F));
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QSqlRecord TabelaNarzedziaDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    // The state the row already has is no change.
    const QVariant stn = ui->cbFkStn->currentData();
    if (rec.indexOf(kStn) >= 0 && stn.isValid() && !isNone(m_storedStn) && stn.toInt() == m_storedStn.toInt())
        rec.setValue(kStn, QVariant());

    if (rec.indexOf(kWartosc) >= 0) {
        const QString text = valueText();
        QVariant value;
        if (text.isEmpty()) {
            if (!isNone(m_storedWartosc))
                value = QVariant(QMetaType::fromType<double>());
        } else {
            const double number = text.toDouble();
            if (isNone(m_storedWartosc) || qRound64(number * 100) != qRound64(m_storedWartosc.toDouble() * 100))
                value = number;
        }
        rec.setValue(kWartosc, value);
    }

    if (rec.indexOf(kPrzeglad) >= 0 && ui->dtPrzeglad->date() == kNoDate)
        rec.setValue(kPrzeglad, isNone(m_storedPrzeglad) ? QVariant() : QVariant(QMetaType::fromType<QDate>()));
    return rec;
}

void TabelaNarzedziaDialog::addChecks(ValidationMessages &messages)
{
    const QString text = ui->leWartosc->text().trimmed();
    if (!text.isEmpty() && !kValue.match(text).hasMatch())
        messages.add(QStringLiteral("Pole <b>%1</b> musi być liczbą z najwyżej dwoma miejscami po przecinku, "
                                    "np. 1250 lub 1250,50.")
                             .arg(captionOf(kWartosc)),
                     ui->leWartosc);
}

bool TabelaNarzedziaDialog::validateModel()
{
    if (!TAVDialog::validateModel())
        return false;
    const struct {
        QLineEdit *field;
        const QString &placeholder;
        const char *text;
    } placeholders[] = {
        {ui->leKod, NarzedziaModel::kKodPlaceholder, "Wypełnij pole <b>Kod</b> inną wartością."},
        {ui->leNazwa, NarzedziaModel::kNazwaPlaceholder, "Wypełnij pole <b>Nazwa</b> inną wartością."},
    };
    for (const auto &p : placeholders) {
        if (p.field->text().contains(p.placeholder)) {
            QMessageBox::information(this, QStringLiteral("Brakujące dane"), QString::fromUtf8(p.text));
            p.field->setFocus();
            return false;
        }
    }
    // A bar code names a product: two identical tools may carry the same
    // one, but a typing slip should not pass unnoticed.
    const QString barcode = ui->leKodKreskowy->text().trimmed();
    if (!barcode.isEmpty() && dataWidget()->isChanged(QStringLiteral("nrz_kod_kreskowy"))) {
        QSqlQuery query;
        query.prepare(QStringLiteral("SELECT nrz_kod || ' ' || nrz_nazwa FROM narzedzia WHERE nrz_kod_kreskowy = ? "
                                     "AND nrz_id IS DISTINCT FROM ? ORDER BY nrz_kod LIMIT 1"));
        query.addBindValue(barcode);
        query.addBindValue(index().isValid() ? model()->value(index().row(), QStringLiteral("nrz_id"))
                                             : QVariant(QMetaType::fromType<int>()));
        if (query.exec() && query.next())
            TAVMessages::warning(QStringLiteral("Kod kreskowy"),
                                 QStringLiteral("Narzędzie %1 ma już kod kreskowy „%2”. To narzędzie zostanie zapisane "
                                                "z tym samym kodem.")
                                         .arg(query.value(0).toString(), barcode));
    }
    return true;
}

void TabelaNarzedziaDialog::chooseLkl()
{
    m_location->choose();
}

void TabelaNarzedziaDialog::selectPhoto()
{
    QString start = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    QFileDialog dialog(this, QStringLiteral("Wybierz zdjęcie"), start);
    dialog.setObjectName(QStringLiteral("fdZdjecie"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Obrazy (*.jpg *.jpeg *.JPG *.JPEG *.png *.PNG *.bmp *.gif *.webp *.tif *.tiff)"),
                           QStringLiteral("Wszystkie pliki (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    loadPhotoFile(dialog.selectedFiles().first());
}

QImage TabelaNarzedziaDialog::readPhoto(const QString &path, QString *error)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        *error = QStringLiteral("Wybrany plik nie jest obrazem w obsługiwanym formacie (np. JPEG, PNG, BMP). "
                                "Wybierz plik ze zdjęciem.");
        return QImage();
    }
    // Decoded straight at the stored size: a photo of tens of megapixels
    // never lands in memory whole.
    const QSize size = reader.size();
    if (size.isValid() && !size.isEmpty()) {
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize shown = turned ? size.transposed() : size;
        if (shown.width() > TAVPhotoLabel::kMaxWidth || shown.height() > TAVPhotoLabel::kMaxHeight) {
            const QSize target = shown.scaled(TAVPhotoLabel::kMaxWidth, TAVPhotoLabel::kMaxHeight, Qt::KeepAspectRatio)
                                         .expandedTo(QSize(1, 1));
            reader.setScaledSize(turned ? target.transposed() : target);
        }
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("Nie udało się odczytać zdjęcia z pliku — plik może być uszkodzony "
                                "lub niekompletny.");
        qDebug() << "TabelaNarzedziaDialog::readPhoto( const QString& path, QString* error )";
        qDebug() << "   error:" << reader.errorString();
    }
    return image;
}

bool TabelaNarzedziaDialog::loadPhotoFile(const QString &path)
{
    QImage image;
    QString error;
    // Decoding runs beside the event loop; a slow file shows a busy bar
    // meanwhile, a usual photo is done before anyone would notice.
    QThread *worker = QThread::create([&] { image = readPhoto(path, &error); });
    worker->start();
    if (!worker->wait(QDeadlineTimer(300))) {
        QEventLoop loop;
        connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
        QProgressDialog progress(QStringLiteral("Wczytywanie zdjęcia…"), QString(), 0, 0, this);
        progress.setWindowTitle(QStringLiteral("Zdjęcie"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setCancelButton(nullptr);
        progress.setMinimumDuration(200);
        setEnabled(false);
        if (!worker->isFinished())
            loop.exec();
        setEnabled(true);
    }
    worker->wait();
    delete worker;
    if (image.isNull()) {
        QMessageBox::warning(this, QStringLiteral("Zdjęcie"), error);
        return false;
    }
    ui->lbImage->setImage(image);
    qDebug() << "TabelaNarzedziaDialog::selectPhoto()";
    qDebug() << "   Pixmap size:" << ui->lbImage->photoSize();
    return true;
}

void TabelaNarzedziaDialog::deletePhoto()
{
    // The stored photo goes too, once the dialog is saved.
    ui->lbImage->clearPhoto();
}

bool TabelaNarzedziaDialog::eventFilter(QObject *watched, QEvent *event)
{
    // A tool without a date opens the calendar at today, not in 1900.
    if (watched == ui->dtPrzeglad->calendarWidget() && event->type() == QEvent::Show
        && ui->dtPrzeglad->date() == kNoDate) {
        const QDate today = QDate::currentDate();
        ui->dtPrzeglad->calendarWidget()->setCurrentPage(today.year(), today.month());
    }
    return TAVDialog::eventFilter(watched, event);
}
