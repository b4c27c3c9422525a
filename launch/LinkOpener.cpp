// SPDX-License-Identifier: MIT
#include "launch/LinkOpener.h"

#include <QProcess>
#include <QStandardPaths>

XdgOpener::XdgOpener(QString opener, QString mime)
    : m_opener(std::move(opener)), m_mime(std::move(mime)) {}

void XdgOpener::open(const QString& /*verb*/, const QString& link, Done done) {
    const QString mime = QStandardPaths::findExecutable(m_mime);
    const QString scheme = link.section(QLatin1Char(':'), 0, 0);
    // Only the client's scheme is asked about first: a web page also opens
    // without a registered handler, through $BROWSER or x-www-browser.
    if (mime.isEmpty() || scheme != QLatin1String("teamspeak")) {
        launch(link, done);
        return;
    }
    auto* query = new QProcess(this);
    query->setProgram(mime);
    query->setArguments({QStringLiteral("query"), QStringLiteral("default"),
                         QStringLiteral("x-scheme-handler/") + scheme});
    query->setStandardErrorFile(QProcess::nullDevice());
    connect(query, &QProcess::finished, this, [this, query, link, scheme, done] {
        const bool registered = !query->readAllStandardOutput().trimmed().isEmpty();
        query->deleteLater();
        if (registered) {
            launch(link, done);
        } else {
            done(Failure(QStringLiteral("no program is registered for %1:// links").arg(scheme)));
        }
    });
    connect(query, &QProcess::errorOccurred, this, [this, query, link, done](auto error) {
        if (error == QProcess::FailedToStart) {
            query->deleteLater();
            launch(link, done);
        }
    });
    query->start();
}

void XdgOpener::launch(const QString& link, const Done& done) {
    const QString program = QStandardPaths::findExecutable(m_opener);
    if (program.isEmpty()) {
        done(Failure(QStringLiteral("%1 was not found").arg(m_opener)));
        return;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments({link});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached()) {
        done(success());
    } else {
        done(Failure(QStringLiteral("%1 could not be started").arg(m_opener)));
    }
}
