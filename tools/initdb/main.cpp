// quarnel-initdb PATH: makes an empty TS.mdb at PATH unless a file is there already.
// quarnel-initdb --demo QUERYPORT PATH: makes a new one at PATH listing the demo servers.
#include "tools/initdb/EmptyDatabase.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QString error;
    if (args.size() == 4 && args[1] == QLatin1String("--demo")) {
        const bool made = initdb::createEmptyDatabase(args[3], &error) == initdb::Outcome::Created;
        if (!made ||
            !initdb::addDemoServers(args[3], static_cast<quint16>(args[2].toUInt()), &error)) {
            std::fprintf(stderr, "quarnel-initdb: %s\n",
                         made ? qPrintable(error)
                              : "the demo needs a new file, not an existing one");
            return 1;
        }
        return 0;
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quarnel-initdb PATH/TS.mdb | --demo QUERYPORT PATH/TS.mdb\n");
        return 2;
    }
    switch (initdb::createEmptyDatabase(args[1], &error)) {
    case initdb::Outcome::Created:
        std::printf("made an empty %s\n", qPrintable(args[1]));
        return 0;
    case initdb::Outcome::AlreadyThere:
        return 0;
    case initdb::Outcome::Failed:
        break;
    }
    std::fprintf(stderr, "quarnel-initdb: %s\n", qPrintable(error));
    return 1;
}
