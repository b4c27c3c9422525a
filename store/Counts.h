// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <ctime>

// When something happened, in ms on a clock that only goes forward and runs
// on while the machine sleeps: events are ordered and aged by it, never by
// the wall clock, which the user or the network may set back.
struct Moment {
    qint64 ms = 0;
    friend bool operator==(const Moment&, const Moment&) = default;
};
inline Moment steadyNow() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return {qint64{now.tv_sec} * 1000 + now.tv_nsec / 1000000};
}
// Both clocks read together, to show a moment as the time of day it was.
struct Now {
    QDateTime wall;
    Moment steady;
    static Now read() { return {QDateTime::currentDateTime(), steadyNow()}; }
};

// What came of asking a server for its players, as data: the refresh and the
// player list report it, the server list keeps it, the window puts it in words.
enum class Outcome {
    Answered,     // the whole answer to "PL" came
    TimedOut,     // a wait ran out of pauses
    Incomplete,   // the player list began but never reached its closing line
    Refused,      // connection refused
    HostNotFound, // the host name did not resolve
    Closed,       // the server closed the connection before answering
    SocketError,  // any other socket failure, named in the detail
    TooLarge,     // the server sent more than the answer limit
    BadQueryPort, // the server's query port text is no port number
    BadVoicePort, // its voice port text cannot go out (no number, or a line break)
    BadTimeout,   // the pause length is unusable, which concerns every server
    ServerError,  // the server refused the player list with an ERROR line
};

// Why the latest query of a server gave no count.
struct NotCounted {
    Outcome outcome = Outcome::TimedOut;
    // BadQueryPort, BadVoicePort: the port's text; ServerError: the server's
    // ERROR line; SocketError and the other socket failures: the socket's words.
    QString detail;
    QString port;        // ServerError: the voice port asked, when "sel" was refused
    qint64 waitedMs = 0; // TimedOut: the pause time of the wait that ran out
};
