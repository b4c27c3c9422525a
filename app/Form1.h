#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class FlexGrid;
class Form2;
class Frm_AddSrv;
class LinkOpener;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace query {
class Refresh;
class PlayerList;
} // namespace query

// The main window. Controls carry their old names; handlers stay thin and hand
// the work to the store, query and launch code.
class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up before the window is shown. Throws DbError when the database
    // cannot be opened or read; nothing is shown then.
    void Form_Load();
    void Form_Load(const QString& programFolder);
    void Form_Unload();

    void fDefWidth();
    // Empties the three login boxes and fills them with the server's stored settings.
    void fSetUD(qint32 lngServer);

    // Controls, by name.
    FlexGrid* MSFlexGrid1 = nullptr;
    QToolButton* Command1 = nullptr; // QUIT
    QToolButton* Command2 = nullptr; // Refresh
    QToolButton* Command3 = nullptr; // Delete Server
    QToolButton* Command4 = nullptr; // Add Server
    QToolButton* Command5 = nullptr; // Connect 2 Server
    QPushButton* Command6 = nullptr; // Save TS User settings
    QToolButton* Command7 = nullptr; // Edit
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QListWidget* LPlayer = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QComboBox* Combo1 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* fSw = nullptr;
    QAction* fAddSrvFromMenue = nullptr;
    QAction* fEditSrvFromMenue = nullptr;
    QAction* fDelSrvFromMenue = nullptr;

    // The dialogs, made on first use.
    [[nodiscard]] Frm_AddSrv* addDialog() const { return m_addDialog; }
    [[nodiscard]] Form2* editDialog() const { return m_editDialog; }
    [[nodiscard]] query::Refresh* refresh() const { return m_refresh; }
    [[nodiscard]] query::PlayerList* playerList() const { return m_playerList; }

    // How "QUIT" ends the program; tests replace it.
    std::function<void()> endProgram;
    // Where links go; tests put a recorder here.
    void setLinkOpener(std::unique_ptr<LinkOpener> opener);

  public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Image1_Click();
    void Timer1_Timer();
    void MSFlexGrid1_Click();
    void MSFlexGrid1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift,
                               QPoint position);
    void fAddSrvFromMenue_Click() { Command4_Click(); }
    void fEditSrvFromMenue_Click() { Command7_Click(); }
    void fDelSrvFromMenue_Click() { Command3_Click(); }

  Q_SIGNALS:
    // The popup menu is about to be shown at this global position.
    void popupRequested(QPoint globalPosition);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildShortcuts();
    void openLink(const QString& verb, const QString& link, const QString& failure);

    bool m_unloaded = false;
    query::Refresh* m_refresh = nullptr;
    query::PlayerList* m_playerList = nullptr;
    Frm_AddSrv* m_addDialog = nullptr;
    Form2* m_editDialog = nullptr;
    std::unique_ptr<LinkOpener> m_linkOpener;
};
