// The application object's services around the session: the schema version
// check, the update check and the help.
#include "OVApplication.h"

#include "ChangePasswordDialog.h"
#include "LogInDbSettingsDialog.h"
#include "LogInDialog.h"
#include "MainWindow.h"
#include "OProgramie.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVRegister.h"
#include "TAVTableModel.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QXmlStreamReader>

#ifndef ORVALO_UPDATE_URL
#define ORVALO_UPDATE_URL "https://www.tav.com.pl/orvalo_update.html"
#endif

namespace {

const char *const kVersionSignature = "OVApplication::checkDatabaseVersion( QString& message )";

QString updateTitle()
{
    return QStringLiteral("Sprawdzanie aktualizacji");
}

void showBox(QMessageBox::Icon icon, const QString &text, Qt::TextFormat format)
{
    QMessageBox box(icon, updateTitle(), text, QMessageBox::Ok);
    box.setTextFormat(format);
    box.exec();
}

} // namespace

bool OVApplication::checkDatabaseVersion(QString &message)
{
    QSqlQuery query(QSqlDatabase::database());
    // A standby only reads: the program writes with every command.
    if (query.exec(QStringLiteral("SELECT pg_is_in_recovery()")) && query.next() && query.value(0).toBool()) {
        message = QStringLiteral("Serwer bazy danych %1 jest serwerem zapasowym (tylko do odczytu). Program pracuje tylko "
                                 "z serwerem głównym: sprawdź profil połączenia. Nastąpi zamknięcie programu.")
                          .arg(currentServer());
        return false;
    }
    if (!query.exec(QStringLiteral("SELECT * FROM zmiany_schematu_bazy  ORDER BY zsb_id DESC LIMIT 1"))
        || !query.next()) {
        qDebug() << kVersionSignature;
        qDebug() << "   no schema version:" << query.lastError().text();
        message = QStringLiteral("Nie można odczytać wersji bazy danych. Nastąpi zamknięcie programu.");
        return false;
    }

    const QSqlRecord row = query.record();
    const int majorField = row.indexOf(QStringLiteral("zsb_major_release_number"));
    const int minorField = row.indexOf(QStringLiteral("zsb_minor_release_number"));
    const int pointField = row.indexOf(QStringLiteral("zsb_point_release_number"));
    const QStringList expected = expectedSchemaVersion().split(QLatin1Char('.'), Qt::KeepEmptyParts);
    bool majorOk = false;
    bool minorOk = false;
    const int expectedMajor = expected.value(0).toInt(&majorOk, 10);
    const int expectedMinor = expected.value(1).toInt(&minorOk, 10);
    if (expected.size() != 3 || majorField < 0 || minorField < 0 || pointField < 0 || !majorOk || !minorOk) {
        qDebug() << kVersionSignature;
        qDebug() << "   columns of zmiany_schematu_bazy:" << row.count();
        message = QStringLiteral("Formaty wersji bazy danych nie zgadzają się. Nastąpi zamknięcie programu.");
        return false;
    }

    const int major = query.value(majorField).toInt();
    const int minor = query.value(minorField).toInt();
    const int point = query.value(pointField).toInt();
    // A newer point of the same release only adds to the schema, so older
    // programs keep working with it; an older point lacks what this program
    // reads and writes.
    bool pointOk = false;
    const int expectedPoint = expected.value(2).toInt(&pointOk, 10);
    qDebug() << kVersionSignature;
    qDebug() << "   database schema:" << QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(point);
    const QString upgrade = QStringLiteral(" Administrator musi uruchomić na serwerze bazy danych skrypt upgrade.sh.");
    const QString end = QStringLiteral(" Nastąpi zamknięcie programu.");
    if (major > expectedMajor)
        message = QStringLiteral("Baza danych w nowszej wersji. Należy zaktualizować program.") + end;
    else if (major < expectedMajor)
        message = QStringLiteral("Baza danych w starej wersji. Należy zaktualizować program.") + upgrade + end;
    else if (minor > expectedMinor)
        message = QStringLiteral("Nowsza baza danych. Należy zaktualizować program.") + end;
    else if (minor < expectedMinor || (pointOk && point < expectedPoint))
        message = QStringLiteral("Baza danych wymaga aktualizacji.") + upgrade + end;
    else
        return true;
    return false;
}

QUrl OVApplication::updateUrl() const
{
    return m_updateUrl.isEmpty() ? QUrl(QString::fromUtf8(ORVALO_UPDATE_URL)) : m_updateUrl;
}

void OVApplication::checkForUpdate()
{
    // Each check has its own manager, so two checks started one after the
    // other each report their own answer.
    auto *manager = new QNetworkAccessManager(this);
    connect(manager, &QNetworkAccessManager::finished, this, &OVApplication::checkForUpdateFinished);
    QNetworkRequest request(updateUrl());
    request.setTransferTimeout(m_updateTimeout);
    manager->get(request);
}

void OVApplication::checkForUpdateFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    reply->manager()->deleteLater();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || status.toInt() != 200) {
        qDebug() << "OVApplication::checkForUpdateFinished( QNetworkReply* reply )";
        qDebug() << "   status:" << status.toInt() << "error:" << reply->errorString();
        showBox(QMessageBox::Information,
                QStringLiteral("Nie można w tej chwili przeprowadzić sprawdzenia aktualizacji. Proszę spróbować "
                               "ponownie za jakiś czas."),
                Qt::PlainText);
        return;
    }

    QXmlStreamReader xml(reply->readAll());
    QString message;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("newer_version")) {
            if (xml.readElementText() == version()) {
                message = QStringLiteral("Posiadasz aktualną wersję programu.");
                break;
            }
            message = QStringLiteral("Jest dostępna aktualizacja programu na stronie producenta.\n");
        } else if (xml.name() == QLatin1String("url")) {
            // The address is shown as rich text: markup from the network stays text.
            message += QStringLiteral(" Program do pobrania pod adresem <b>") + xml.readElementText().toHtmlEscaped()
                    + QStringLiteral("</b>");
        }
    }

    if (!xml.hasError()) {
        showBox(QMessageBox::NoIcon, message, Qt::RichText);
        return;
    }
    showBox(QMessageBox::Information,
            QStringLiteral("Wystąpił problem z odczytem aktualizacji. Proszę spróbować ponownie za jakiś czas. "
                           "Jeśli sytuacja będzie się powtarzała proszę ją zgłosić.\n\n")
                    + QStringLiteral("Szczegóły błędu: %1 | l: %2 | c: %3 | o: %4")
                              .arg(xml.errorString())
                              .arg(xml.lineNumber())
                              .arg(xml.columnNumber())
                              .arg(xml.characterOffset()),
            Qt::PlainText);
}

QString OVApplication::helpFilePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/pomoc/orv_pomoc.html");
}

void OVApplication::openHelp()
{
    openHelpAt(QString());
}

void OVApplication::openHelpAt(const QString &section)
{
    // fromLocalFile gives file:///C:/... on Windows and file:///opt/... here,
    // where "file:///" glued to the path would give four slashes.
    QUrl url = QUrl::fromLocalFile(helpFilePath());
    if (!section.isEmpty())
        url.setFragment(section);
    qDebug() << "OVApplication::openHelp()";
    qDebug() << "   help path:" << url.toString();
    if (!QDesktopServices::openUrl(url))
        showHelpViewer(url);
}

void OVApplication::showHelpViewer(const QUrl &url)
{
    delete m_helpViewer;
    auto *viewer = new QDialog(nullptr, Qt::Window);
    m_helpViewer = viewer;
    viewer->setObjectName(QStringLiteral("pomocPodglad"));
    viewer->setWindowTitle(QStringLiteral("Pomoc – Orvalo"));
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    // Over a modal dialog the manual must take the input itself to be read.
    if (activeModalWidget())
        viewer->setWindowModality(Qt::ApplicationModal);
    auto *browser = new QTextBrowser(viewer);
    browser->setObjectName(QStringLiteral("tbPomocTekst"));
    browser->setOpenExternalLinks(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, viewer);
    connect(buttons, &QDialogButtonBox::rejected, viewer, &QDialog::reject);
    auto *layout = new QVBoxLayout(viewer);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    if (QFile::exists(url.toLocalFile()))
        browser->setSource(url);
    else
        browser->setPlainText(QStringLiteral("Nie znaleziono podręcznika: %1").arg(QDir::toNativeSeparators(url.toLocalFile())));
    const QRect area = viewer->screen() ? viewer->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    viewer->resize(qMin(960, area.width() * 9 / 10), area.height() * 8 / 10);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

QString OVApplication::helpSectionFor(QWidget *window)
{
    if (!window)
        return QString();
    const auto sectionOf = [](const QString &modelName) {
        const TAVRegisterDeclaration *reg = TAVRegisters::find(modelName);
        return reg ? reg->helpSection : QString();
    };
    if (auto *dialog = qobject_cast<TAVDialog *>(window)) {
        if (dialog->ewidencja())
            return QStringLiteral("listy-wyboru");
        return dialog->model() ? sectionOf(QString::fromLatin1(dialog->model()->metaObject()->className())) : QString();
    }
    // The register holding the focus, else the main window's current tab.
    for (QWidget *w = focusWidget(); w && w->window() == window; w = w->parentWidget()) {
        if (auto *view = qobject_cast<TAVEwidencja *>(w))
            return sectionOf(view->modelName());
    }
    if (auto *main = qobject_cast<MainWindow *>(window)) {
        if (auto *view = qobject_cast<TAVEwidencja *>(main->tabs()->currentWidget()))
            return sectionOf(view->modelName());
        return QStringLiteral("okno-glowne");
    }
    if (qobject_cast<LogInDialog *>(window))
        return QStringLiteral("logowanie");
    if (qobject_cast<LogInDbSettingsDialog *>(window))
        return QStringLiteral("profile");
    if (qobject_cast<ChangePasswordDialog *>(window))
        return QStringLiteral("konto");
    if (qobject_cast<OProgramie *>(window))
        return QStringLiteral("pomoc");
    return QString();
}

bool OVApplication::helpKey(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1
        || !watched->isWidgetType())
        return false;
    QWidget *window = static_cast<QWidget *>(watched)->window();
    if (window == m_helpViewer)
        return false;
    openHelpAt(helpSectionFor(window));
    return true;
}

bool OVApplication::notify(QObject *receiver, QEvent *event)
{
    // F1 anywhere: the manual at the section of the window in use.
    if (event->type() == QEvent::KeyPress && helpKey(receiver, event))
        return true;
    return QApplication::notify(receiver, event);
}
