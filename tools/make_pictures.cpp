// kavrin-make-pictures DIR: writes the pictures that the program loads from its own directory,
// "title.bmp" (progress screen) and "setup.bmp" (radio setup screen), as 24-bit BMP files.
// kavrin-make-pictures --icons DIR: writes the application icon for the desktop's icon theme,
// DIR/NxN/apps/kavrin.png in the usual sizes.
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

// The sizes desktops look for in the hicolor theme.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool writeIcons(const QDir& directory) {
    for (const int size : kIconSizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = directory.filePath(folder + QStringLiteral("/kavrin.png"));
        if (!directory.mkpath(folder) ||
            !kavrin::shell::applicationIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "kavrin-make-pictures: cannot write %s\n", qPrintable(path));
            return false;
        }
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
    const bool icons = arguments.size() == 3 && arguments.at(1) == QStringLiteral("--icons");
    if (arguments.size() != 2 && !icons) {
        std::fprintf(stderr, "usage: kavrin-make-pictures DIR\n"
                             "       kavrin-make-pictures --icons DIR\n"
                             "Writes DIR/title.bmp and DIR/setup.bmp, or the application icon as\n"
                             "DIR/NxN/apps/kavrin.png.\n");
        return kExitUsage;
    }
    const QDir directory(arguments.back());
    if (!directory.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kavrin-make-pictures: cannot create %s\n",
                     qPrintable(arguments.back()));
        return kExitWriteFailed;
    }
    if (icons) {
        return writeIcons(directory) ? kExitOk : kExitWriteFailed;
    }
    const bool written =
        writeBmp(kavrin::shell::titlePicture(), directory.filePath(QStringLiteral("title.bmp"))) &&
        writeBmp(kavrin::shell::setupPicture(), directory.filePath(QStringLiteral("setup.bmp")));
    return written ? kExitOk : kExitWriteFailed;
}
