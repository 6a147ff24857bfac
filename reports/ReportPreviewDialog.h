#pragma once

#include "ParameterList.h"

#include <QDialog>
#include <QSqlDatabase>
#include <QTimer>

#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace OrvReports {
class ReportEngine;
struct ReportDefinition;
}

// "Podgląd wydruku": shows the first page as soon as it is laid out and
// lays the rest out while the user reads; prints or saves from there.
class ReportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    ReportPreviewDialog(const OrvReports::ReportDefinition &def, const ParameterList &params,
                        const QSqlDatabase &db, QWidget *parent = nullptr);
    ~ReportPreviewDialog() override;

    QString errorText() const { return m_error; }
    int currentPage() const { return m_page; }
    int pagesReady() const;
    bool layoutFinished() const;

    void showPage(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class PageView;

    void layoutMore();
    void updateControls();
    bool finishLayout();
    void printPages();
    void savePdf();
    void fail(const QString &message);

    std::unique_ptr<OrvReports::ReportEngine> m_engine;
    QTimer m_timer;
    int m_page = -1;
    QString m_error;
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_countLabel = nullptr;
    QComboBox *m_zoom = nullptr;
    QToolButton *m_prev = nullptr;
    QToolButton *m_next = nullptr;
};
