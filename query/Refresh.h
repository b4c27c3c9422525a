// SPDX-License-Identifier: MIT
#pragma once

#include "query/Exchange.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QTimer;

namespace query {

class QueryConnection;

// The pause of one try: a tenth of the timeout text, which must be a whole
// number from 0 to 32767 in digits (no fraction, no separator); nullopt
// otherwise (docs/query-rules.md).
std::optional<int> refreshPause(const QString& timeoutText);

// What a refresh reads from the list it walks and from whoever started it,
// each time it needs it: the rows as they are at that moment (a reload's
// included), the timeout text, and whether to wait before connecting.
class RefreshSource {
  public:
    virtual ~RefreshSource() = default;
    [[nodiscard]] virtual int lastRow() const = 0;
    // nullptr past the last row.
    [[nodiscard]] virtual const ListedServer* serverOn(int row) const = 0;
    [[nodiscard]] virtual QString timeoutText() const = 0;
    [[nodiscard]] virtual bool waitBeforeConnect() const = 0;
};

// Asks every server of the rows it is given, one after the other, for its
// player count and reports each as it was asked; it never writes into the
// list. It walks the rows there were at its start, each as it is when its
// turn comes (docs/query-rules.md). Rows whose ID does not name them alone are
// skipped. A timeout text that is no usable number ends the whole refresh.
class Refresh : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<Moment()>;
    // `source` outlives the refresh.
    explicit Refresh(const RefreshSource& source, QObject* parent = nullptr);

    // Starts a refresh; does nothing while one is running.
    void start();
    void stop();
    [[nodiscard]] bool running() const { return m_running; }
    // Where the time of each report comes from; tests set their own.
    void setClock(Clock clock) { m_clock = std::move(clock); }

  Q_SIGNALS:
    // Each report says which server as it was asked, when, and what came of it.
    void asking(const Server& server);
    // Row `row` of `rows` is next (skipped rows count too).
    void progress(int row, int rows);
    void counted(const Server& server, Moment when, int players);
    // The server gave no count, and why.
    void notCounted(const Server& server, Moment when, const NotCounted& why);
    // The timeout text is no usable number: the refresh ends, no server is to blame.
    void timeoutUnusable(const QString& timeoutText);
    void finished();

  private:
    void next();
    void nextSoon();
    void onDone(const ExchangeResult& result);
    void end();

    const RefreshSource& m_source;
    Clock m_clock = steadyNow;
    bool m_running = false;
    int m_row = 0;
    int m_lastRow = 0;
    Server m_server; // the one being asked
    QPointer<QueryConnection> m_connection;
    QTimer* m_nextRow; // the next row is asked from the event loop
};

} // namespace query
