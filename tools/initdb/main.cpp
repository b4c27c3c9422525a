// quarnel-initdb PATH: makes an empty TS.mdb at PATH unless a file is there already.
#include "tools/initdb/EmptyDatabase.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quarnel-initdb PATH/TS.mdb\n");
        return 2;
    }
    QString error;
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
