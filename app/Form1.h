// SPDX-License-Identifier: MIT
#pragma once

#include "app/GridModel.h"
#include "launch/LinkOpener.h"
#include "query/Refresh.h"
#include "store/Result.h"
#include "store/ServerGrid.h"

#include <QWidget>
#include <functional>
#include <memory>

class FlexGrid;
class Form2;
class Frm_AddSrv;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class PlayerListBox;
class QMenu;
class QProgressBar;
class QTimer;
class QToolButton;

namespace query {
class PlayerList;
struct ExchangeResult;
} // namespace query

// The main window. Controls carry their old names as object names; handlers
// stay thin and hand the work to the store, query and launch code.
class Form1 : public QWidget, private query::RefreshSource {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up before the window is shown; an error means nothing may be shown.
    Status Form_Load(const QString& programFolder);
    void Form_Unload();
    void fDefWidth();
    // Empties the three login boxes and fills them with the server's stored
    // settings while the file still holds the server as the list shows it;
    // false when it no longer does (the user is told, the list reloaded).
    bool fSetUD(const Server& server);

    [[nodiscard]] ServerGrid& grid() { return *m_grid; }
    [[nodiscard]] GridModel& model() { return *m_model; }
    // The timeout the refresh uses: the box's text as of the last finished edit.
    [[nodiscard]] const QString& timeout() const { return m_timeout; }
    [[nodiscard]] query::Refresh& refresh() { return *m_refresh; }
    // How "QUIT" and closing end the program; tests replace it.
    std::function<void()> endProgram;
    // Where links go; tests put a recorder here.
    void setLinkOpener(std::unique_ptr<LinkOpener> opener);

  public Q_SLOTS:
    // The buttons, by caption.
    void Command1_Click(); // "QUIT"
    void Command2_Click(); // "Refresh"
    void Command3_Click(); // "Delete Server"
    void Command4_Click(); // "Add Server"
    void Command5_Click(); // "Connect 2 Server"
    void Command6_Click(); // "Save TS User settings"
    void Command7_Click(); // "Edit"
    // The popup menu fSw over the grid.
    void fAddSrvFromMenue_Click();  // "Add a new server": as Command4
    void fEditSrvFromMenue_Click(); // "Edit this server": as Command7
    void fDelSrvFromMenue_Click();  // "Delete this server": as Command3
    // The rest.
    void Image1_Click();      // the logo: the homepage
    void MSFlexGrid1_Click(); // a server row picked: its login settings and players
    // The right button over the grid: the popup menu.
    void MSFlexGrid1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift,
                               QPoint position);
    void Timer1_Timer(); // once, after start-up: a refresh

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct Buttons;
    // Makes every control at its place; then connects them to what they do.
    Buttons layOut();
    void wire(const Buttons& buttons);
    // The window no larger than the screen's free area, and on it.
    void fitScreen();
    // The picked server; for a row no action may touch, tells the user why not.
    std::optional<Server> pickedServerOrSay();
    // Whenever the pick moves, by any road, the boxes and the player list
    // follow it: they never show one server beside another's pick.
    void followPick();
    void forgetShown();
    void listPlayers(const Server& server);
    void showListed(const query::ExchangeResult& result);
    // A finished edit of the timeout box counts; keystrokes on the way do not.
    void commitTimeout();
    void refreshProgress(int row, int rows);
    void refreshEnded();
    [[nodiscard]] UserData typedLogin() const;
    void clearLogin();
    // What the refresh reads: the list as it is now, the last finished timeout.
    [[nodiscard]] int lastRow() const override;
    [[nodiscard]] const ListedServer* serverOn(int row) const override;
    [[nodiscard]] QString timeoutText() const override;
    [[nodiscard]] bool waitBeforeConnect() const override;
    // Tells the user when the desktop did not take a link.
    LinkOpener::Done reportFailure(const QString& failure);

    // Children of the window, made before the controls that show them.
    ServerGrid* m_grid;
    GridModel* m_model;
    FlexGrid* MSFlexGrid1 = nullptr;
    QToolButton* Image1 = nullptr;
    PlayerListBox* LPlayer = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QComboBox* Combo1 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* fSw = nullptr;
    QToolButton* m_refreshButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_timeout;
    // The server whose settings the boxes hold and whose players are listed.
    std::optional<Server> m_shown;
    bool m_fitted = false;
    query::Refresh* m_refresh = nullptr;
    query::PlayerList* m_playerList = nullptr;
    Frm_AddSrv* m_addDialog = nullptr;
    Form2* m_editDialog = nullptr;
    std::unique_ptr<LinkOpener> m_linkOpener;
};
