#pragma once

#include <QDialog>

class FlexGrid;
class QLineEdit;
class QPushButton;

// "Add a Server": modeless, owned by the main window, hidden (not destroyed)
// by its buttons, so it keeps what was typed while it stays open.
class Frm_AddSrv : public QDialog {
    Q_OBJECT
  public:
    Frm_AddSrv(FlexGrid& grid, QWidget* owner);

    QLineEdit* Text1;      // Servername
    QLineEdit* Text2;      // IP
    QLineEdit* Text3;      // Port
    QLineEdit* Text4;      // TCP Port
    QPushButton* Command1; // CANCEL
    QPushButton* Command2; // ADD TO LIST

    void Command1_Click();
    void Command2_Click();

    // Closed from its frame or with Escape: it opens fresh the next time.
    void reject() override;

  private:
    void reset();
    FlexGrid& m_grid;
};

// "Change Server data": filled from the selected server; SID carries its ID.
class Form2 : public QDialog {
    Q_OBJECT
  public:
    Form2(FlexGrid& grid, QWidget* owner);

    QLineEdit* Sname;
    QLineEdit* SIP;
    QLineEdit* SPort;
    QLineEdit* STCP;
    QLineEdit* SID;        // never shown
    QPushButton* Command1; // SAVE CHANGES
    QPushButton* Command2; // CANCEL

    void Command1_Click();
    void Command2_Click();

  private:
    FlexGrid& m_grid;
};
