#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class Database;

// A program folder in a temporary directory with an empty TS.mdb in it.
class TempProgramFolder {
  public:
    TempProgramFolder();
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString dbPath() const;
    // Runs SQL straight on the file (not through the program's layer).
    void exec(const QString& sql) const;
    // Adds a server row; returns its ID.
    qint64 addServer(const QString& name, const QString& ip, const QString& port,
                     const QString& tcpPort) const;
    [[nodiscard]] QStringList rows(const QString& sql) const;

  private:
    QTemporaryDir m_dir;
};

// Presses a button of the next modal message box that opens, and records its texts.
struct MessageBoxAnswer {
    QString title;
    QString text;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool seen = false;
};
std::shared_ptr<MessageBoxAnswer> answerNextMessageBox(QMessageBox::StandardButton press);
// Drops answers no box has taken (a test that expected no box at all).
void forgetPendingAnswers();

class FlexGrid;
// Header row and one row per server (ID, name, IP, Port, TCPPort), Player "X".
void fillGrid(FlexGrid& grid, const QList<QStringList>& servers);
// A loopback port on which nothing listens.
quint16 closedPort();
