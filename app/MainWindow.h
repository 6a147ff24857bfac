#pragma once

#include <QFrame>
#include <QList>
#include <QMainWindow>

class QLabel;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
struct TAVRegisterDeclaration;

// A column of module buttons.
class ButtonExt : public QFrame
{
    Q_OBJECT
public:
    explicit ButtonExt(QWidget *parent = nullptr);
    void addButton(QToolButton *button);
    QList<QToolButton *> buttons() const { return m_buttons; }

private:
    QList<QToolButton *> m_buttons;
    QVBoxLayout *m_layout;
};

// The program's window after sign-in: module palette, one tab per module,
// the maker's logo while no tab is open.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    QTabWidget *tabs() const { return m_tabs; }
    QStackedWidget *pages() const { return m_stack; }
    ButtonExt *palette() const { return m_palette; }
    // Closed through "Wyloguj": the login dialog comes back.
    bool loggedOut() const { return m_loggedOut; }

public Q_SLOTS:
    void ewidencjaMagazyny();
    void ewidencjaMiejscaUzytkowania();
    void ewidencjaPracownicy();
    void ewidencjaKategorieNarzedzi();
    void orvaloa();
    void ewidencjaNaprawyPrzeglady();
    void ewidencjaPrzesunieciaMM();
    void ewidencjaPrzypisaneNarzedziaPracownikom();
    void ewidencjaUzytkownikow();
    void uprawnieniaAdministrator();
    void closeTab(int index);
    void tabChanged(int index);
    void changePassword();
    void oProgramie();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QToolButton *moduleButton(const QString &label, const QString &iconName, int iconSize = 32);
    void buildMenus(bool admin);
    void buildStatusBar(bool admin);
    // Brings the module's tab forward, opening it the first time.
    void openModule(const TAVRegisterDeclaration &reg);
    bool showExisting(const QString &title);
    void addModuleTab(QWidget *widget, const QString &title);

    ButtonExt *m_palette = nullptr;
    QTabWidget *m_tabs = nullptr;
    QLabel *m_logo = nullptr;
    QStackedWidget *m_stack = nullptr;
    bool m_loggedOut = false;
};
