// SPDX-License-Identifier: MIT
#include "app/Startup.h"

#include "app/Form1.h"
#include "app/MessageBox.h"
#include "store/mod_DB.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
// The engine's number for a file it cannot open at all.
constexpr int kCannotOpen = 14;

// A path as a shell takes it back.
QString quoted(const QString& path) {
    QString inner = path;
    return QLatin1Char('\'') + inner.replace(QLatin1String("'"), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

// What the user can do about a file that did not open; empty when the
// engine's own words say it (a damaged file, a missing table).
QString openingHint(const QString& folder, const Status& opened) {
    const QString path = mod_DB::databasePath(folder);
    const QFileInfo file(path);
    if (file.isSymLink() && !file.exists()) {
        // Making "TS.mdb" again would keep the link: the file it names is missing.
        return QStringLiteral("%1 is a link to %2, which does not exist. Make that file with\n%3 "
                              "%2\nor remove the link.")
            .arg(quoted(path), quoted(file.symLinkTarget()),
                 quoted(folder + QStringLiteral("/quarnel-initdb")));
    }
    if (!file.exists()) {
        // "." is the program's folder made the working one: its name is no text.
        const bool here = folder == QLatin1String(".");
        return QStringLiteral("There is no TS.mdb in %1. To make an empty one, run%2:\n%3 %4")
            .arg(here ? QDir::currentPath() : folder,
                 here ? QStringLiteral(" in that folder") : QString(),
                 quoted(folder + QStringLiteral("/quarnel-initdb")), quoted(path));
    }
    if (opened.code() == kCannotOpen) {
        return QStringLiteral("TS.mdb is there, but it cannot be opened for reading and writing: "
                              "check that it is a file and that you may read and write it "
                              "(ls -l %1).")
            .arg(quoted(path));
    }
    return {};
}
} // namespace

int startQuarnel(const QString& programFolder) {
    QApplication::setApplicationName(QStringLiteral("Quarnel"));
    Form1 form;
    if (const Status loaded = form.Form_Load(programFolder); !loaded) {
        const QString hint = openingHint(programFolder, loaded);
        const QString text = QStringLiteral("Quarnel cannot start: ") + loaded.error() +
                             (hint.isEmpty() ? QString() : QStringLiteral("\n\n") + hint);
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        MessageBox::showError(nullptr, text);
        return 1;
    }
    form.show();
    return QApplication::exec();
}

namespace {
// The program's own folder from the bytes the system gives, whatever they are.
QString programFolder() {
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) {
        return QCoreApplication::applicationDirPath();
    }
    const QByteArray exe(buffer.data(), length);
    return mod_DB::reachableFolder(exe.left(std::max<qsizetype>(exe.lastIndexOf('/'), 1)));
}
} // namespace

void runQuarnel(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int status = startQuarnel(programFolder());
    (void)std::fflush(nullptr);
    std::_Exit(status);
}
