// The frame every PDF of Kavrin is written in.
#include "pdf/pdf_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>

namespace kavrin {

QString writePdfDocument(const QString& path, const QPageSize& pageSize,
                         const pdfDocument& document,
                         const std::function<bool(QPdfWriter&)>& paint) {
    const auto failed = [&path](const QString& reason) {
        return QStringLiteral("%1 could not be written: %2")
            .arg(QDir::toNativeSeparators(path), reason);
    };
    // Without a QGuiApplication there is no font database, and painting text would crash.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return failed(QStringLiteral("fonts are not available without a graphical application"));
    }
    if (!pageSize.isValid()) {
        return failed(QStringLiteral("the page size is not valid"));
    }
    // The PDF goes to a temporary file beside the target and replaces it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failed(file.errorString());
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(document.resolution);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Kavrin"));
        const QMarginsF margins(document.marginMm, document.marginMm, document.marginMm,
                                document.marginMm);
        if (!writer.setPageLayout(
                QPageLayout(pageSize, document.orientation, margins, QPageLayout::Millimeter))) {
            return failed(QStringLiteral("the page layout was refused"));
        }
        if (!paint(writer)) {
            return failed(QStringLiteral("the PDF could not be finished"));
        }
    }
    if (!file.commit()) {
        return failed(file.errorString());
    }
    return {};
}

} // namespace kavrin
