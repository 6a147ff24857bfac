#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class MainWindow;
class TAVEwidencja;

// Takes the manual's pictures: opens real windows on the demo data (offscreen)
// and saves each as a PNG with a drawn title bar, so the pictures follow the
// program whatever the desktop.
class ShotCamera : public QObject
{
    Q_OBJECT

public:
    explicit ShotCamera(const QString &outputDir, QObject *parent = nullptr);
    ~ShotCamera() override;

    // Session user of the next pictures; false when the login is unknown.
    bool signIn(const QString &login);

    // The main window of the current shot, 1200 × 760, created on first use.
    MainWindow *mainWindow();
    // Clicks the module button with that icon name ("mgz2", "role", ...)
    // and returns the register of the tab it opened (or nullptr).
    TAVEwidencja *openModule(const QString &iconName);
    // Shows the dependent tab with that title under the register.
    void showRelative(TAVEwidencja *view, const QString &title);

    // Saves a shown window (its own top-level window when given a child).
    void save(QWidget *widget, const QString &name);

    // Handlers for the modal windows that the next trigger opens, in order:
    // each must close its window (saveAndClose() does). A modal window with
    // no handler left is closed: rejected, or its message box's default button.
    void onModal(std::function<void(QWidget *)> handler);
    // Handler that saves the modal window under that name and closes it.
    std::function<void(QWidget *)> saveAndClose(const QString &name);

    // Closes what the shot opened (main window and any window it made).
    void endShot();

    QStringList written() const { return m_written; }

private:
    void pollModal();
    static void closeModal(QWidget *modal);

    QString m_outputDir;
    std::unique_ptr<MainWindow> m_mainWindow;
    QTimer m_modalTimer;
    QList<std::function<void(QWidget *)>> m_handlers;
    QPointer<QWidget> m_currentModal;
    QStringList m_written;
};

// One entry of the list of pictures: its name (the PNG's base name, or the
// prefix of several), the session user it needs ("admin", "kierownik", or
// empty for windows shown before sign-in) and what to photograph.
struct Shot
{
    QString name;
    QString login;
    std::function<void(ShotCamera &)> take;
};

// Every picture of the manual; ShotList.cpp holds the list.
QList<Shot> shotList();
