// kavrin-make-pictures DIR: writes the pictures that the program loads from its own directory,
// "title.bmp" (progress screen) and "setup.bmp" (radio setup screen), as 24-bit BMP files.
// Runs at build time, so it needs no display: without a platform it takes the offscreen one.
#include "shell/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitUsage = 2;

// The BMP writer stores 32-bit images as 24 bits per pixel; RGB32 has no alpha to lose.
bool writeBmp(const QImage& image, const QString& path) {
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    if (!opaque.save(path, "BMP")) {
        std::fprintf(stderr, "kavrin-make-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: kavrin-make-pictures DIR\n"
                             "Writes DIR/title.bmp and DIR/setup.bmp.\n");
        return kExitUsage;
    }
    const QDir directory(arguments.at(1));
    if (!directory.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kavrin-make-pictures: cannot create %s\n",
                     qPrintable(arguments.at(1)));
        return kExitWriteFailed;
    }
    const bool written =
        writeBmp(kavrin::shell::titlePicture(), directory.filePath(QStringLiteral("title.bmp"))) &&
        writeBmp(kavrin::shell::setupPicture(), directory.filePath(QStringLiteral("setup.bmp")));
    return written ? kExitOk : kExitWriteFailed;
}
