#pragma once

#include "query/Exchange.h"

#include <QObject>
#include <QPointer>
#include <functional>

class FlexGrid;
class QListWidget;

namespace query {

class QueryConnection;

// What the player list needs of the main window.
struct PlayerListWindow {
    FlexGrid* grid = nullptr;
    QListWidget* list = nullptr;
    std::function<bool()> minimisedOrMaximised;
    std::function<void(qint32)> fSetUD;
};

// Lists the players of the clicked server: 100 ms pauses, at most 10 in all
// three waits together, whatever the timeout box says.
class PlayerList : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPause = 100;

    explicit PlayerList(PlayerListWindow window, QObject* parent = nullptr);
    ~PlayerList() override;
    PlayerList(const PlayerList&) = delete;
    PlayerList& operator=(const PlayerList&) = delete;

    // The click on a server row: ends a list still running and starts this one.
    void MSFlexGrid1_Click();
    void closeConnection();
    [[nodiscard]] bool running() const;

  Q_SIGNALS:
    void finished(const query::Result& result);

  private:
    void onDone(const Result& result);

    PlayerListWindow m_window;
    QPointer<QueryConnection> m_connection;
};

} // namespace query
