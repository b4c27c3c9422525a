// SPDX-License-Identifier: MIT
// quarnel-icons ICON.svg FOLDER SIZE...: draws the program icon as
// FOLDER/SIZExSIZE/apps/quarnel.png for each size, the layout of a hicolor
// icon theme. Run at build time.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // no desktop is needed to draw
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: quarnel-icons ICON.svg FOLDER SIZE...\n", stderr);
        return 2;
    }
    for (const QString& size : args.mid(3)) {
        const int pixels = size.toInt();
        QImageReader reader(args[1]);
        reader.setScaledSize(QSize(pixels, pixels));
        const QImage image = reader.read();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2], size);
        if (image.isNull() || !QDir().mkpath(folder) ||
            !image.save(folder + QStringLiteral("/quarnel.png"))) {
            std::fprintf(stderr, "quarnel-icons: cannot draw %s into %s: %s\n", qPrintable(args[1]),
                         qPrintable(folder), qPrintable(reader.errorString()));
            return 1;
        }
    }
    return 0;
}
