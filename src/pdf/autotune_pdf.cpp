// Automatic alignment's results on paper.
#include "pdf/autotune_pdf.h"

#include "data/autotune_run.h"
#include "pdf/pdf_document.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <array>

namespace kavrin {
namespace {

constexpr int kResolution = 300;
constexpr double kMarginMm = 12;
constexpr double kTextPointSize = 9; // shrunk when the table would not fit across the page
constexpr double kCellPaddingPoints = 6;

const QString kDocumentTitle = QStringLiteral("Kavrin Automatic Alignment");

const QColor kFailFill(255, 214, 214);

QString fromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QFont sheetFont(double pointSize, bool bold = false) {
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

using Row = std::array<QString, kResultColumns.size()>;

Row headerRow() {
    Row row;
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = QString::fromLatin1(kResultColumns[i]);
    }
    return row;
}

Row cellsOf(const pointResult& result) {
    const auto cells = resultCells(result);
    Row row;
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = fromLatin1(cells[i]);
    }
    return row;
}

} // namespace

bool paintAutotuneResults(QPagedPaintDevice& device, const autotuneSheet& sheet) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const double dpi = device.logicalDpiX();
    const auto points = [dpi](double value) { return value * dpi / 72.0; };
    const QRectF page(0, 0, device.width(), device.height());

    std::vector<Row> rows;
    rows.reserve(sheet.results.size());
    for (const auto& result : sheet.results) {
        rows.push_back(cellsOf(result));
    }
    const Row header = headerRow();

    // The columns as wide as their widest cell; the whole table shrinks alike when it is wider
    // than the page.
    double size = kTextPointSize;
    std::array<double, kResultColumns.size()> widths{};
    const auto measure = [&](double pointSize) {
        const QFontMetricsF plain(sheetFont(pointSize), &device);
        const QFontMetricsF bold(sheetFont(pointSize, true), &device);
        for (std::size_t c = 0; c < widths.size(); ++c) {
            widths[c] = bold.horizontalAdvance(header[c]);
            for (const auto& row : rows) {
                widths[c] = std::max(widths[c], bold.horizontalAdvance(row[c]));
            }
            widths[c] += points(kCellPaddingPoints);
        }
        double total = 0;
        for (const double width : widths) {
            total += width;
        }
        return total;
    };
    if (const double total = measure(size); total > page.width()) {
        size *= page.width() / total;
        measure(size);
    }
    const QFont plainFont = sheetFont(size);
    const QFont boldFont = sheetFont(size, true);
    const QFontMetricsF metrics(boldFont, &device);
    const double lineHeight = metrics.lineSpacing() * 1.3;

    double y = 0;
    const auto drawRow = [&](const Row& row, bool bold, bool failed) {
        if (failed) {
            painter.fillRect(QRectF(0, y, page.width(), lineHeight), kFailFill);
        }
        double x = 0;
        for (std::size_t c = 0; c < row.size(); ++c) {
            painter.setFont(bold || (failed && c == kResultColumn) ? boldFont : plainFont);
            painter.drawText(QRectF(x, y, widths[c], lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             row[c]);
            x += widths[c];
        }
        y += lineHeight;
    };

    painter.setPen(Qt::black);
    painter.setFont(sheetFont(14, true));
    const QFontMetricsF titleMetrics(painter.font(), &device);
    painter.drawText(QPointF(0, titleMetrics.ascent()), kDocumentTitle);
    y = titleMetrics.lineSpacing() * 1.4;
    painter.setFont(sheetFont(10));
    const QFontMetricsF lineMetrics(painter.font(), &device);
    const QStringList lines{
        QStringLiteral("Radio: serial %1, model %2")
            .arg(fromLatin1(sheet.record.serialNo()), fromLatin1(sheet.record.modelNo()).trimmed()),
        QStringLiteral("Printed: %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
        QStringLiteral("Run: %1").arg(sheet.outcome)};
    for (const auto& line : lines) {
        painter.drawText(QPointF(0, y + lineMetrics.ascent()), line);
        y += lineMetrics.lineSpacing();
    }
    y += lineMetrics.lineSpacing();

    drawRow(header, true, false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (y + lineHeight > page.height()) {
            device.newPage();
            y = 0;
            drawRow(header, true, false);
        }
        drawRow(rows[i], false, sheet.results[i].verdict == pointVerdict::Fail);
    }
    return painter.end();
}

QString writeAutotuneResultsPdf(const autotuneSheet& sheet, const QString& path,
                                const QPageSize& pageSize) {
    // Eleven columns and a screen's full title fit across a landscape page.
    return writePdfDocument(
        path, pageSize, pdfDocument{kDocumentTitle, QPageLayout::Landscape, kResolution, kMarginMm},
        [&sheet](QPdfWriter& writer) { return paintAutotuneResults(writer, sheet); });
}

} // namespace kavrin
