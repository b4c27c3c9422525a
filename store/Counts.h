// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

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
