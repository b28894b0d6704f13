// Finding the shipped limits file.
#include "instrument/limits_file.h"

#include "data/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kavrin {

QString shippedLimitsFile() {
    const QString beside =
        QDir(programDataFolder(QDir(QCoreApplication::applicationDirPath()).filesystemPath()))
            .filePath(QStringLiteral("limits/default.ini"));
    return QFileInfo::exists(beside) ? beside : QStringLiteral(KAVRIN_SOURCE_LIMITS_FILE);
}

} // namespace kavrin
