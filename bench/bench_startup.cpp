// SPDX-License-Identifier: MIT
// Start-up cost with many stored servers: fLoadServerList alone, and the whole
// start-up up to the window shown. Prints milliseconds (median of five runs).
#include "app/Form1.h"
#include "store/ServerGrid.h"
#include "store/mod_DB.h"
#include "store/mod_DBWork.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void fill(const QString& path, int servers) {
    QList<Server> list;
    for (int i = 0; i < servers; ++i) {
        list << Server{0, QStringLiteral("Server number %1").arg(i),
                       QStringLiteral("10.0.%1.%2").arg(i / 256).arg(i % 256),
                       QStringLiteral("8767"), QStringLiteral("51234")};
    }
    if (const Status filled = mod_DB::appendToFile(path, list); !filled) {
        qFatal("%s", qPrintable(filled.error()));
    }
}

template <typename F> double medianMs(F&& run) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::printf("%-8s %18s %26s\n", "servers", "fLoadServerList ms", "start-up to window shown ms");
    for (const int servers : {100, 1000, 10000}) {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/TS.mdb");
        (void)initdb::createEmptyDatabase(path);
        fill(path, servers);
        if (const Status opened = mod_DB::fDBConnect(true, dir.path()); !opened) {
            qFatal("%s", qPrintable(opened.error()));
        }
        ServerGrid grid;
        const double load = medianMs([&] { (void)mod_DBWork::fLoadServerList(grid); });
        (void)mod_DB::fDBConnect(false, {});
        const double startup = medianMs([&] {
            Form1 form;
            (void)form.Form_Load(dir.path());
            form.show();
            QApplication::processEvents();
            form.Form_Unload();
        });
        std::printf("%-8d %18.2f %26.2f\n", servers, load, startup);
    }
    return 0;
}
