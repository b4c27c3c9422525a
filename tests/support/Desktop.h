// SPDX-License-Identifier: MIT
#pragma once

#include "launch/LinkOpener.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The real xdg-mime and xdg-open of a generic desktop, in private XDG
// folders. A stand-in client, registered for teamspeak:// when `registered`, writes its
// argument to "client", its streams to "streams" and, from a child that
// outlives it, "alive".
struct Desktop {
    explicit Desktop(bool registered) {
        const QByteArray at = QFile::encodeName(home.path());
        write("client.sh", "#!/bin/sh\nprintf '%s' \"$1\" > " + at +
                               "/client\nstreams=$(readlink " +
                               "/proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\necho \"$streams\" > " +
                               at + "/streams\n(sleep 0.3; echo ok > " + at + "/alive) &\n");
        if (registered) {
            write("data/applications/fake-ts.desktop",
                  "[Desktop Entry]\nType=Application\nName=Fake TS\nExec=" + at +
                      "/client.sh %u\nMimeType=x-scheme-handler/teamspeak;\n");
            write("config/mimeapps.list",
                  "[Default Applications]\nx-scheme-handler/teamspeak=fake-ts.desktop\n");
        }
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY"}) {
            qunsetenv(name);
        }
        qputenv("DISPLAY", ":0"); // a desktop is there, as far as xdg-open asks
        qputenv("XDG_DATA_HOME", at + "/data");
        qputenv("XDG_CONFIG_HOME", at + "/config");
        qputenv("XDG_DATA_DIRS", at + "/none");
        qputenv("XDG_CONFIG_DIRS", at + "/none");
    }
    void write(const QString& name, const QByteArray& text) const {
        QVERIFY(QDir(home.path()).mkpath(QFileInfo(name).path()));
        QFile f(home.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        f.setPermissions(QFileDevice::ReadOwner |
                         (text.startsWith("#!") ? QFileDevice::ExeOwner : QFileDevice::ReadOwner));
    }
    [[nodiscard]] QByteArray read(const QString& name) const {
        QFile f(home.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Hands the link over; `error` is what the opener reported (empty: taken).
    void open(const QString& link) {
        error = "-";
        opener = std::make_unique<XdgOpener>();
        opener->open("Open", link, [this](const Status& done) { error = done.error(); });
    }
    std::unique_ptr<XdgOpener> opener;
    QString error;
    QTemporaryDir home;
};
