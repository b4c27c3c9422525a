#include "launch/LinkOpener.h"

#include <QProcess>
#include <QStandardPaths>

XdgOpener::XdgOpener(QString program) : m_program(std::move(program)) {}

void XdgOpener::open(const QString& /*verb*/, const QString& link, Done done) {
    const QString program = QStandardPaths::findExecutable(m_program);
    if (program.isEmpty()) {
        done(false, QStringLiteral("%1 was not found").arg(m_program));
        return;
    }
    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments({link});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    auto reported = std::make_shared<bool>(false);
    const auto report = [done, reported](bool ok, const QString& why) {
        if (!*reported) {
            *reported = true;
            done(ok, why);
        }
    };
    connect(process, &QProcess::finished, this,
            [process, report](int code, QProcess::ExitStatus status) {
                const QString why =
                    QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
                report(status == QProcess::NormalExit && code == 0, why);
                process->deleteLater();
            });
    connect(process, &QProcess::errorOccurred, this,
            [process, report](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    report(false, process->errorString());
                    process->deleteLater();
                }
            });
    process->start();
}
