// Writing one PDF document: the checks, the writer's layout and a file that replaces the target
// only once it is complete. What goes on the pages is the caller's.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <functional>

namespace kavrin {

struct pdfDocument {
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int resolution = 300; // dots per inch of the painter's coordinates
    double marginMm = 15;
};

// Empty on success, else "PATH could not be written: REASON"; paint returns false when it could
// not finish. Needs a QGuiApplication (fonts), and says so instead of crashing without one.
QString writePdfDocument(const QString& path, const QPageSize& pageSize,
                         const pdfDocument& document,
                         const std::function<bool(QPdfWriter&)>& paint);

} // namespace kavrin
