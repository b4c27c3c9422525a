#pragma once

#include "query/Exchange.h"

#include <QObject>
#include <QPointer>
#include <functional>

class FlexGrid;

namespace query {

class QueryConnection;

// What the refresh needs of the main window.
struct RefreshWindow {
    FlexGrid* grid = nullptr;
    std::function<QString()> timeoutText; // read again before every pause
    std::function<bool()> minimisedOrMaximised;
    std::function<void()> clearLoginBoxes;
};

// The pause of one try: a tenth of the timeout text, which must be a whole
// number from 0 to 32767 (a fraction rounds half to even); nullopt otherwise.
std::optional<int> refreshPause(const QString& timeoutText);

// Asks every server in the grid, one after the other, for its player count and
// writes it into the Player column. A silent server keeps its cell; an
// unusable port or timeout ends the whole refresh.
class Refresh : public QObject {
    Q_OBJECT
  public:
    explicit Refresh(RefreshWindow window, QObject* parent = nullptr);
    ~Refresh() override;
    Refresh(const Refresh&) = delete;
    Refresh& operator=(const Refresh&) = delete;

    // Starts a refresh; does nothing while one is running.
    void start();
    void stop();
    [[nodiscard]] bool running() const { return m_running; }

  Q_SIGNALS:
    void serverDone(int row, const query::Result& result);
    void finished();

  private:
    void next();
    void onDone(const Result& result);
    void end();

    RefreshWindow m_window;
    bool m_running = false;
    int m_row = 0;
    int m_lastRow = 0;
    QString m_id;
    QPointer<QueryConnection> m_connection;
};

// What the Player cell's tooltip says about one server's last try.
QString playerCellTip(const Result& result, int count, const QString& when);

} // namespace query
