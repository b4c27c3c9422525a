// SPDX-License-Identifier: MIT
#pragma once

#include "store/Rows.h"

#include <QDialog>

class GridModel;
class QLineEdit;
class QPushButton;

// "Add a Server": modeless, owned by the main window, hidden (not destroyed)
// by its buttons, so it keeps what was typed while it stays open.
class Frm_AddSrv : public QDialog {
    Q_OBJECT
  public:
    Frm_AddSrv(GridModel& model, QWidget* owner);
    void Command1_Click(); // CANCEL
    void Command2_Click(); // ADD TO LIST
    // Closed from its frame or with Escape: it opens fresh the next time.
    void reject() override;

  private:
    void reset();
    GridModel& m_model;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
};

// "Change Server data": filled from the selected server; SID carries its ID.
class Form2 : public QDialog {
    Q_OBJECT
  public:
    Form2(GridModel& model, QWidget* owner);
    // Shows the dialog filled with the server (nulls as empty texts). Saving
    // writes only while the stored row still holds these fields.
    void fill(const Server& server);
    void Command1_Click(); // SAVE CHANGES
    void Command2_Click(); // CANCEL

  private:
    GridModel& m_model;
    QLineEdit* Sname;
    QLineEdit* SIP;
    QLineEdit* SPort;
    QLineEdit* STCP;
    QLineEdit* SID; // never shown
    Server m_filledFrom;
};
