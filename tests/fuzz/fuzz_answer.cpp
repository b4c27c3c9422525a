// libFuzzer target: whatever a server sends, split however TCP likes, must
// never crash the exchange or the reading of the answer.
#include "query/Answer.h"
#include "query/Exchange.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

void readAnswer(const QString& text) {
    const QStringList pieces = answer::cutLines(text);
    const int count = answer::playerCount(pieces);
    for (int k = 1; k <= count && k < pieces.size(); ++k) {
        if (const auto player = answer::parsePlayerLine(pieces[k])) {
            (void)answer::playerEntry(*player);
            (void)answer::flagNames(player->flags);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // First byte: rules and piece size; the rest is what the server sends.
    const uint8_t control = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    const qsizetype piece = 1 + (control >> 2);
    query::ExchangeRules rules;
    rules.counterPerWait = (control & 1U) != 0;
    rules.voicePortAsNumber = (control & 2U) != 0;
    rules.pauseLength = [] { return std::optional<int>(1); };
    query::Exchange exchange(rules);
    exchange.start(QStringLiteral("h"), QStringLiteral("51234"), QStringLiteral("8767"), false);
    for (qsizetype at = 0; at < bytes.size() && !exchange.finished(); at += piece) {
        exchange.dataArrived(bytes.mid(at, piece));
        if ((bytes.at(at) & 0x40) != 0) {
            exchange.pauseElapsed();
        }
    }
    while (!exchange.finished()) {
        exchange.pauseElapsed();
    }
    readAnswer(exchange.result().answer);
    readAnswer(answer::decode(bytes));
    return 0;
}
