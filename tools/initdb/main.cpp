// quarnel-initdb PATH: makes an empty TS.mdb at PATH unless a file is there already.
// quarnel-initdb --demo QUERYPORT PATH: makes a new one at PATH listing the demo servers.
#include "tools/initdb/EmptyDatabase.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool demo = args.size() == 4 && args[1] == QLatin1String("--demo");
    if (!demo && args.size() != 2) {
        std::fprintf(stderr, "usage: quarnel-initdb PATH/TS.mdb | --demo QUERYPORT PATH/TS.mdb\n");
        return 2;
    }
    const QString& path = args.last();
    const Result<bool> made = initdb::createEmptyDatabase(path);
    Status status = made ? success() : Status::failure(made.error());
    if (demo && made) {
        status = *made ? initdb::addDemoServers(path, static_cast<quint16>(args[2].toUInt()))
                       : Status::failure(QStringLiteral("the demo needs a new file"));
    } else if (made && *made) {
        std::printf("made an empty %s\n", qPrintable(path));
    }
    if (!status) {
        std::fprintf(stderr, "quarnel-initdb: %s\n", qPrintable(status.error()));
        return 1;
    }
    return 0;
}
