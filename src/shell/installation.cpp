// Finding and checking the application's shipped files.
#include "shell/installation.h"

#include "data/program_folder.h"
#include "shell/application.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

namespace kavrin::shell {

QString programDirectory() {
    return QDir(programDataFolder(QDir(QCoreApplication::applicationDirPath()).filesystemPath()))
        .path();
}

std::vector<InstalledFile> checkInstallation(const QString& programDir) {
    enum class Kind { File, Picture, Folder };
    struct Expected {
        const char* what;
        QString relativePath;
        Kind kind;
    };
    const QDir folder(programDir);
    const Expected expected[] = {
        {"help", QString(kHelpBundleName) + "/index.htm", Kind::File},
        {"title picture", QStringLiteral("title.bmp"), Kind::Picture},
        {"setup picture", QStringLiteral("setup.bmp"), Kind::Picture},
        {"instrument profiles", QStringLiteral("instruments"), Kind::Folder},
        {"limits", QStringLiteral("limits/default.ini"), Kind::File},
    };
    std::vector<InstalledFile> files;
    for (const auto& item : expected) {
        const QString path = folder.filePath(item.relativePath);
        const QFileInfo info(path);
        bool found = false;
        switch (item.kind) {
        case Kind::File:
            found = info.isFile() && info.isReadable();
            break;
        case Kind::Picture:
            found = !QImage(path).isNull();
            break;
        case Kind::Folder:
            found = info.isDir() && !QDir(path).isEmpty(QDir::Files);
            break;
        }
        files.push_back({QString::fromLatin1(item.what), path, found});
    }
    return files;
}

} // namespace kavrin::shell
