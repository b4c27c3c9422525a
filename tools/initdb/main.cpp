// SPDX-License-Identifier: MIT
// quarnel-initdb PATH: makes an empty TS.mdb at PATH unless a file is there already.
// quarnel-initdb --demo QUERYPORT PATH: makes a new one at PATH listing the demo servers.
#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {
// The path from the bytes the system gave: a folder whose name is not UTF-8
// is still that folder.
QString pathFromBytes(const QByteArray& raw) {
    const qsizetype slash = raw.lastIndexOf('/');
    if (slash < 0) {
        return QFile::decodeName(raw);
    }
    return mod_DB::reachableFolder(raw.left(std::max<qsizetype>(slash, 1))) + QLatin1Char('/') +
           QFile::decodeName(raw.mid(slash + 1));
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARNEL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Makes an empty TS.mdb (both tables) at the path, where no file is yet; an "
        "existing file is never touched. Quarnel reads TS.mdb from its own folder."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Also list the demo servers of quarnel-querysim on <queryport>."),
        QStringLiteral("queryport"));
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("path"), QStringLiteral("where to make TS.mdb"));
    parser.process(app); // --help, --version and unknown options end here
    if (parser.positionalArguments().size() != 1) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    bool portOk = false;
    const uint queryPort = parser.value(demo).toUInt(&portOk);
    if (parser.isSet(demo) && (!portOk || queryPort == 0 || queryPort > 65533)) {
        std::fprintf(stderr, "quarnel-initdb: --demo needs a query port from 1 to 65533\n");
        return 2;
    }
    // The argument's own bytes, not the text the parser made of them.
    const QString typed = parser.positionalArguments().constFirst();
    QByteArray raw = QFile::encodeName(typed);
    for (int i = argc - 1; i > 0; --i) {
        if (QFile::decodeName(argv[i]) == typed) {
            raw = argv[i];
            break;
        }
    }
    const QString path = pathFromBytes(raw);
    const auto made = initdb::createEmptyDatabase(path);
    Status status = made ? success() : Status(made.failure());
    if (made && parser.isSet(demo)) {
        status = *made == initdb::Made::New
                     ? initdb::addDemoServers(path, static_cast<quint16>(queryPort))
                     : Status(Failure(QStringLiteral("the demo needs a new file")));
    }
    if (!status) {
        std::fprintf(stderr, "quarnel-initdb: %s\n", qPrintable(status.error()));
        return 1;
    }
    std::printf(*made == initdb::Made::New ? "made an empty %s\n" : "kept the existing %s\n",
                qPrintable(path));
    return 0;
}
