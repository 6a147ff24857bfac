#include "TerminyNotice.h"

#include "MainWindow.h"
#include "OVApplication.h"
#include "TAVDb.h"
#include "TAVEwidencja.h"
#include "TAVUiState.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

namespace {
const QString kKey = QStringLiteral("stanowisko/przypominaj_o_terminach");

// The register just opened, searched with one of its ready choices.
void showFiltered(MainWindow *window, const QString &choice)
{
    auto *view = qobject_cast<TAVEwidencja *>(window->tabs()->currentWidget());
    if (!view)
        return;
    for (QComboBox *combo : view->findChildren<QComboBox *>()) {
        const int at = combo->findText(choice);
        if (at >= 0) {
            combo->setCurrentIndex(at);
            view->makeSearch();
            return;
        }
    }
}

qint64 count(const QString &sql, const QString &warehouses)
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(sql, {warehouses.isEmpty() ? QVariant() : QVariant(warehouses)}, &error);
    return r && PQntuples(r.get()) > 0 ? QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() : 0;
}
} // namespace

TerminyNotice::TerminyNotice(MainWindow *window) : QObject(window), m_window(window)
{
    // Once an hour is enough to notice that a new day has begun.
    m_timer.setInterval(60 * 60 * 1000);
    connect(&m_timer, &QTimer::timeout, this, &TerminyNotice::daily);
    m_timer.start();
}

bool TerminyNotice::enabled()
{
    return TAVUiState::settings().value(kKey, true).toBool();
}

void TerminyNotice::setEnabled(bool on)
{
    TAVUiState::settings().setValue(kKey, on);
}

void TerminyNotice::daily()
{
    if (m_shown != QDate::currentDate())
        showNow();
}

bool TerminyNotice::showNow()
{
    m_shown = QDate::currentDate();
    if (!enabled())
        return false;
    OVApplication *app = OVApplication::instance();
    // An administrator sees every warehouse; a user who runs none, nothing.
    QString warehouses;
    if (!app->isAdmin()) {
        QStringList ids;
        for (qint32 id : app->managedWarehouses())
            ids << QString::number(id);
        if (ids.isEmpty())
            return false;
        warehouses = QLatin1Char('{') + ids.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    const QString mine = QStringLiteral("($1::integer[] IS NULL OR %1 = ANY($1::integer[]))");
    const qint64 returns = count(QStringLiteral("SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status "
                                                "AND pnp_planowany_zwrot < current_date AND ")
                                         + mine.arg(QStringLiteral("pnp_fk_mgz")),
                                 warehouses);
    const qint64 inspections = count(QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_przeglad < current_date "
                                                    "AND NOT nrz_zlikwidowano AND ")
                                             + mine.arg(QStringLiteral("nrz_fk_mgz")),
                                     warehouses);
    if (returns == 0 && inspections == 0)
        return false;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Terminy"),
                    QStringLiteral("W Twoich magazynach:<br>narzędzia po terminie zwrotu: <b>%1</b><br>"
                                   "narzędzia po terminie przeglądu: <b>%2</b>")
                            .arg(returns)
                            .arg(inspections),
                    QMessageBox::NoButton, m_window);
    QPushButton *showReturns = box.addButton(QStringLiteral("Pokaż &zwroty"), QMessageBox::ActionRole);
    QPushButton *showInspections = box.addButton(QStringLiteral("Pokaż &przeglądy"), QMessageBox::ActionRole);
    box.addButton(QStringLiteral("Za&mknij"), QMessageBox::RejectRole);
    showReturns->setEnabled(returns > 0);
    showInspections->setEnabled(inspections > 0);
    box.exec();
    if (box.clickedButton() == showReturns) {
        m_window->ewidencjaPrzypisaneNarzedziaPracownikom();
        showFiltered(m_window, QStringLiteral("po terminie"));
    } else if (box.clickedButton() == showInspections) {
        m_window->orvaloa();
        showFiltered(m_window, QStringLiteral("po terminie"));
    }
    return true;
}
