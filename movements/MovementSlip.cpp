#include "MovementSlip.h"

#include "OrvReports.h"
#include "TAVUiState.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QSettings>

namespace {
const QString kKey = QStringLiteral("stanowisko/pytaj_o_karte_wydania");
}

namespace MovementSlip {

bool asks()
{
    return TAVUiState::settings().value(kKey, true).toBool();
}

void setAsks(bool ask)
{
    TAVUiState::settings().setValue(kKey, ask);
}

void offer(int issueId)
{
    if (issueId <= 0 || !asks())
        return;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Karta wydania narzędzia"),
                    QStringLiteral("Czy wydrukować kartę informacyjną wydania narzędzia?"),
                    QMessageBox::Yes | QMessageBox::No);
    auto *dontAsk = new QCheckBox(QStringLiteral("&Nie pytaj więcej na tym stanowisku"), &box);
    box.setCheckBox(dontAsk);
    const bool print = box.exec() == QMessageBox::Yes;
    if (dontAsk->isChecked())
        setAsks(false);
    if (!print)
        return;
    OrvReports::initResources();
    ParameterList params;
    params.append(QStringLiteral("TAV_ID"), issueId);
    OrvReports::printReport(nullptr, QStringLiteral("przypisane_narzedzia_prc"), params, {},
                            OrvReports::OutputMode::Printer);
}

} // namespace MovementSlip
