// SPDX-License-Identifier: MIT
// libFuzzer target: whatever a server sends, cut however TCP likes and with
// pauses anywhere, must never crash the exchange or the reading of its answer.
#include "app/Words.h"
#include "query/Exchange.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // First byte: the caller's rules and the piece size; the rest is what the server sends.
    const bool refresh = (data[0] & 1U) != 0;
    const qsizetype piece = 1 + (data[0] >> 1);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    query::Exchange exchange(
        refresh ? query::ExchangeRules::refresh([] { return std::optional<int>(1); })
                : query::ExchangeRules::playerList(1));
    exchange.start({1, "S", "h", "8767", "51234"}, false);
    for (qsizetype at = 0; at < bytes.size() && !exchange.finished(); at += piece) {
        exchange.dataArrived(bytes.mid(at, piece));
        if ((bytes.at(at) & 0x40) != 0) {
            exchange.pauseElapsed();
        }
    }
    while (!exchange.finished()) {
        exchange.pauseElapsed();
    }
    for (const QString& text : {exchange.result().answer, answer::decode(bytes)}) {
        const QStringList pieces = answer::cutLines(text);
        for (int k = 1; k <= answer::playerCount(pieces); ++k) {
            if (const auto player = answer::parsePlayerLine(pieces[k])) {
                (void)words::playerEntry(*player);
                (void)words::flagNames(player->flags);
            }
        }
    }
    return 0;
}
