#include "app/StartupError.h"

#include "store/Database.h"

#include <QMessageBox>
#include <QString>
#include <cstdio>

QString startupErrorText(const DbError& error) {
    return QStringLiteral("Quarnel cannot start: %1").arg(error.message());
}

void reportStartupError(const DbError& error) {
    const QString text = startupErrorText(error);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quarnel"), text, QMessageBox::Ok);
    box.exec();
}
