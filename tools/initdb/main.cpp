// SPDX-License-Identifier: MIT
// quarnel-initdb PATH: makes an empty TS.mdb at PATH unless a file is there already.
// quarnel-initdb --demo QUERYPORT PATH: makes a new one at PATH listing the demo servers.
#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {
constexpr auto kUsage =
    "usage: quarnel-initdb PATH/TS.mdb\n"
    "       quarnel-initdb --demo QUERYPORT PATH/TS.mdb\n"
    "Makes an empty TS.mdb (both tables) at the path, where no file is yet;\n"
    "an existing file is never touched. Quarnel reads TS.mdb from its own folder.\n"
    "--demo also lists the demo servers of quarnel-querysim on QUERYPORT.\n";
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QLatin1String("--help"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool demo = args.size() == 4 && args[1] == QLatin1String("--demo");
    // An option it does not know is no file name.
    if ((!demo && args.size() != 2) || args.last().startsWith(QLatin1Char('-'))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // The path from its bytes: a folder whose name is not UTF-8 is still that folder.
    const QByteArray raw(argv[argc - 1]);
    const qsizetype slash = raw.lastIndexOf('/');
    const QString path = slash < 0
                             ? QFile::decodeName(raw)
                             : mod_DB::reachableFolder(raw.left(std::max<qsizetype>(slash, 1))) +
                                   QLatin1Char('/') + QFile::decodeName(raw.mid(slash + 1));
    const Result<bool> made = initdb::createEmptyDatabase(path);
    Status status = made ? success() : Status(made.failure());
    if (demo && made) {
        status = *made ? initdb::addDemoServers(path, static_cast<quint16>(args[2].toUInt()))
                       : Status(Failure(QStringLiteral("the demo needs a new file")));
    } else if (made && *made) {
        std::printf("made an empty %s\n", qPrintable(path));
    }
    if (!status) {
        std::fprintf(stderr, "quarnel-initdb: %s\n", qPrintable(status.error()));
        return 1;
    }
    return 0;
}
