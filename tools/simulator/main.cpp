// SPDX-License-Identifier: MIT
// quarnel-querysim: a query port stand-in on 127.0.0.1 for trying Quarnel
// without a real voice server.
//
//   quarnel-querysim [--port N] [--players FILE] [--silent] [--greeting-only]
//                    [--delay MS] [--chunk BYTES] [--chunk-delay MS] [--no-trailing-tab]
//   quarnel-querysim --demo [--port N]
//
// FILE: one player a line, "voiceport<TAB>nick<TAB>loginname<TAB>flags" ('#' starts a comment).
// --demo: virtual servers 8767 (players, some away), 8768 (empty) and 8769 (Latin-1 names)
// on --port, a silent port on --port + 1; --port + 2 stays closed (refused).
#include "tools/simulator/QuerySimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

bool loadPlayers(sim::QuerySimulator& simulator, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    QMap<quint16, QList<sim::Player>> servers;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 4) {
            std::fprintf(stderr, "skipped: %s\n", line.constData());
            continue;
        }
        servers[static_cast<quint16>(fields[0].toUInt())]
            << sim::Player{fields[1], fields[2], fields[3].toInt()};
    }
    for (auto it = servers.cbegin(); it != servers.cend(); ++it) {
        simulator.addServer(it.key(), it.value());
    }
    return true;
}

void demo(sim::QuerySimulator& simulator) {
    simulator.addServer(8767, {{"Flauschis-Freundin 110", "Flauschis-Freundin", 0},
                               {"Kommandant", "boss", 1},
                               {"Kaffeepause", "afk", 8},
                               {"Stummer Gast", "guest", 16},
                               {"Aufnahme & weg", "rec", 72}});
    simulator.addServer(8768, {});
    simulator.addServer(8769,
                        {{"J\xf6rg M\xfcller", "joerg", 0}, {"Ren\xe9\x20\x80uro", "rene", 40}});
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Query port simulator for Quarnel"));
    parser.addHelpOption();
    parser.addOptions(
        {{QStringLiteral("port"), QStringLiteral("Port to listen on."), QStringLiteral("N"),
          QStringLiteral("51234")},
         {QStringLiteral("players"), QStringLiteral("Players file."), QStringLiteral("FILE")},
         {QStringLiteral("demo"), QStringLiteral("Built-in demo servers.")},
         {QStringLiteral("silent"), QStringLiteral("Accept and never answer.")},
         {QStringLiteral("greeting-only"), QStringLiteral("Greet, then never answer.")},
         {QStringLiteral("delay"), QStringLiteral("Delay before every answer."),
          QStringLiteral("MS")},
         {QStringLiteral("chunk"), QStringLiteral("Cut answers into pieces."),
          QStringLiteral("BYTES")},
         {QStringLiteral("chunk-delay"), QStringLiteral("Delay between pieces."),
          QStringLiteral("MS")},
         {QStringLiteral("no-trailing-tab"), QStringLiteral("Rows without the final TAB.")}});
    parser.process(app);

    sim::QuerySimulator simulator;
    sim::Behaviour behaviour;
    if (parser.isSet(QStringLiteral("silent"))) {
        behaviour.mode = sim::Behaviour::Mode::Silent;
    } else if (parser.isSet(QStringLiteral("greeting-only"))) {
        behaviour.mode = sim::Behaviour::Mode::GreetingOnly;
    }
    behaviour.replyDelayMs = parser.value(QStringLiteral("delay")).toInt();
    behaviour.chunkBytes = parser.value(QStringLiteral("chunk")).toInt();
    behaviour.chunkDelayMs = parser.value(QStringLiteral("chunk-delay")).toInt();
    behaviour.trailingTab = !parser.isSet(QStringLiteral("no-trailing-tab"));
    const auto port = static_cast<quint16>(parser.value(QStringLiteral("port")).toUInt());

    if (parser.isSet(QStringLiteral("demo"))) {
        demo(simulator);
        sim::Behaviour silent;
        silent.mode = sim::Behaviour::Mode::Silent;
        if (simulator.listen(silent, static_cast<quint16>(port + 1)) == 0) {
            std::fprintf(stderr, "cannot listen on %u\n", port + 1U);
            return 1;
        }
    }
    if (parser.isSet(QStringLiteral("players")) &&
        !loadPlayers(simulator, parser.value(QStringLiteral("players")))) {
        return 1;
    }
    const quint16 listening = simulator.listen(behaviour, port);
    if (listening == 0) {
        std::fprintf(stderr, "cannot listen on %u\n", static_cast<unsigned>(port));
        return 1;
    }
    std::printf("query port simulator listening on 127.0.0.1:%u\n",
                static_cast<unsigned>(listening));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
