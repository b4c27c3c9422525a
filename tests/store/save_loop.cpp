// Helper for the crash-safety test: saves one server and its login settings
// over and over, each time all "A"s or all "B"s, until it is killed.
#include "launch/mod_Userdata.h"
#include "store/Database.h"
#include "store/ServerRecords.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        return 2;
    }
    try {
        auto db = Database::open(args[1]);
        for (int i = 0;; ++i) {
            const QString text(4000, QLatin1Char(i % 2 == 0 ? 'A' : 'B'));
            server_records::saveServer(*db, QStringLiteral("1"), {text, text, text, text});
            UserData settings;
            settings.Nickname = text;
            settings.LoginName = text;
            settings.Password = text;
            mod_Userdata::fSaveUserdata(*db, 1, settings);
            if (i == 0) {
                std::printf("saving\n");
                std::fflush(stdout);
            }
        }
    } catch (const DbError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
