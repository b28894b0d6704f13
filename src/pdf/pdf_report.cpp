// The tuning report as a PDF: the text report page by page in a fixed-width font, then one chart
// of softpot against frequency per alignment type the radio supports. Drawn with QPainter alone,
// so that it needs fonts (a QGuiApplication) but no widgets.
#include "pdf/pdf_report.h"

#include "data/report.h"
#include "pdf/pdf_document.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kavrin {
namespace {

constexpr int kResolution = 300; // dots per inch of the painter's coordinates
constexpr double kMarginMm = 15;
constexpr double kTextPointSize = 9; // shrunk when the widest line would not fit
constexpr qsizetype kTabWidth = 8;   // the text report is laid out for 8-column tab stops
constexpr int kChartsPerPage = 3;    // big enough to read each point's value, A4 and Letter alike
constexpr double kChartGapPoints = 18;
constexpr int kTargetTicks = 6;

const QString kDocumentTitle = QStringLiteral("Kavrin Tuning Report");
const QString kNoPointsNote = QStringLiteral("No points in use");

struct ChartPoint {
    double mhz;
    std::uint32_t softpot;
};

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text report's lines with their tabs turned into spaces, as QPainter has no tab stops of
// its own outside a layout; CR LF ends every line, the last included.
std::vector<QString> reportLines(const radioRecord& record) {
    const std::string text = reportText(record);
    std::vector<QString> lines;
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos;
         start = end + 2, end = text.find("\r\n", start)) {
        // Identity fields come from the radio's bytes: Latin-1 shows any of them.
        const QString raw =
            QString::fromLatin1(text.data() + start, static_cast<qsizetype>(end - start));
        QString line;
        for (const QChar c : raw) {
            if (c == u'\t') {
                line += QString(kTabWidth - line.size() % kTabWidth, u' ');
            } else {
                line += c;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// The points a type's chart shows, in the order of their frequencies.
std::vector<ChartPoint> chartPoints(const radioRecord& record, const AlignmentTypeInfo& type) {
    std::vector<ChartPoint> points;
    for (std::size_t i = 0; i < kPointCount; ++i) {
        if (type.middlePointOnly && i != kMiddlePoint) {
            continue;
        }
        if (record.getCell(pointCell(type.points, i)) == 0) {
            continue;
        }
        points.push_back(
            {record.pointFrequency(type.points, i), record.getCell(softpotCell(type, i))});
    }
    std::ranges::stable_sort(points, {}, &ChartPoint::mhz);
    return points;
}

bool charted(const radioRecord& record, const AlignmentTypeInfo& type) {
    return record.isSupported(type.family) &&
           (!type.middlePointOnly || record.codeplugLayout() != 0);
}

// 1, 2 or 5 times a power of ten, near span / kTargetTicks.
double tickStep(double span) {
    const double raw = span / kTargetTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    if (normalised < 1.5) {
        return magnitude;
    }
    if (normalised < 3) {
        return 2 * magnitude;
    }
    if (normalised < 7) {
        return 5 * magnitude;
    }
    return 10 * magnitude;
}

class reportPainter {
public:
    reportPainter(QPdfWriter& writer, QPainter& painter)
        : writer_(writer), painter_(painter), page_(0, 0, writer.width(), writer.height()) {}

    void drawText(const std::vector<QString>& lines) {
        QFont font(QStringLiteral("monospace"));
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
        font.setPointSizeF(kTextPointSize);
        double widest = 0;
        {
            const QFontMetricsF metrics(font, &writer_);
            for (const auto& line : lines) {
                widest = std::max(widest, metrics.horizontalAdvance(line));
            }
        }
        // A long model number must not run off the page: the whole text shrinks alike, keeping
        // the report's columns.
        if (widest > page_.width()) {
            font.setPointSizeF(kTextPointSize * page_.width() / widest);
        }
        const QFontMetricsF metrics(font, &writer_);
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        double y = 0;
        for (const auto& line : lines) {
            if (y + metrics.lineSpacing() > page_.height()) {
                newPage();
                y = 0;
            }
            if (!line.trimmed().isEmpty()) {
                painter_.drawText(QPointF(0, y + metrics.ascent()), line);
            }
            y += metrics.lineSpacing();
        }
    }

    void drawCharts(const radioRecord& record) {
        const double gap = points(kChartGapPoints);
        const double height = (page_.height() - gap * (kChartsPerPage - 1)) / kChartsPerPage;
        int slot = 0;
        for (const auto& type : kAlignmentTypes) {
            if (!charted(record, type)) {
                continue;
            }
            if (slot % kChartsPerPage == 0) {
                newPage();
            }
            const int row = slot % kChartsPerPage;
            drawChart(QRectF(0, row * (height + gap), page_.width(), height), fromView(type.title),
                      chartPoints(record, type));
            ++slot;
        }
    }

private:
    // Printer points (1/72 inch) in the painter's units.
    static double points(double value) { return value * kResolution / 72.0; }

    void newPage() { writer_.newPage(); }

    static QFont sansFont(double pointSize, bool bold = false) {
        QFont font(QStringLiteral("sans-serif"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(pointSize);
        font.setBold(bold);
        return font;
    }

    void drawChart(const QRectF& area, const QString& title, const std::vector<ChartPoint>& data) {
        const QFont titleFont = sansFont(11, true);
        const QFont labelFont = sansFont(8);
        const QFont axisFont = sansFont(9);
        const QFontMetricsF titleMetrics(titleFont, &writer_);
        const QFontMetricsF labelMetrics(labelFont, &writer_);
        const QFontMetricsF axisMetrics(axisFont, &writer_);

        painter_.setPen(Qt::black);
        painter_.setFont(titleFont);
        painter_.drawText(QPointF(area.left(), area.top() + titleMetrics.ascent()), title);
        const double titleHeight = titleMetrics.lineSpacing() * 1.5;

        if (data.empty()) {
            painter_.setFont(axisFont);
            painter_.drawText(area.adjusted(0, titleHeight, 0, 0), Qt::AlignCenter, kNoPointsNote);
            painter_.setPen(QPen(Qt::lightGray, points(0.75)));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(area.adjusted(0, titleHeight, 0, 0));
            return;
        }

        // The softpot range, widened only by a value that lies outside it.
        const auto highest = std::ranges::max(data, {}, &ChartPoint::softpot).softpot;
        const double yStep = tickStep(std::max<double>(kMaxSoftpot, highest));
        const double yTop = highest <= kMaxSoftpot
                                ? kMaxSoftpot
                                : std::ceil(static_cast<double>(highest) / yStep) * yStep;

        // A lone point (every KTD type) sits in the middle of a 2 MHz window.
        const double low = data.front().mhz;
        const double high = data.back().mhz;
        const double pad = high - low < 1e-9 ? 1.0 : (high - low) * 0.06;
        const double xLeft = low - pad;
        const double xRight = high + pad;

        const double yLabelWidth =
            labelMetrics.horizontalAdvance(QString::number(yTop, 'g', 10)) + points(4);
        const double left = axisMetrics.lineSpacing() + points(4) + yLabelWidth;
        const double bottom = labelMetrics.lineSpacing() + axisMetrics.lineSpacing() + points(6);
        const QRectF plot = area.adjusted(left, titleHeight, -points(8), -bottom);

        const auto xOf = [&](double mhz) {
            return plot.left() + (mhz - xLeft) / (xRight - xLeft) * plot.width();
        };
        const auto yOf = [&](double softpot) {
            return plot.bottom() - softpot / yTop * plot.height();
        };

        // Grid and softpot ticks.
        painter_.setFont(labelFont);
        const QPen gridPen(QColor(210, 210, 210), points(0.5));
        for (double tick = 0; tick <= yTop + 1e-9; tick += yStep) {
            const double y = yOf(tick);
            painter_.setPen(gridPen);
            painter_.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            painter_.setPen(Qt::black);
            painter_.drawText(QRectF(plot.left() - yLabelWidth, y - labelMetrics.height() / 2,
                                     yLabelWidth - points(3), labelMetrics.height()),
                              Qt::AlignRight | Qt::AlignVCenter, QString::number(tick, 'g', 10));
        }

        // Frequency ticks at the points themselves, as those are the frequencies tuned; a label
        // that would overlap its neighbour is left out.
        double lastLabelRight = -1e300;
        for (const auto& point : data) {
            const double x = xOf(point.mhz);
            painter_.setPen(gridPen);
            painter_.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            const QString label = QString::number(point.mhz, 'g', 10);
            const double width = labelMetrics.horizontalAdvance(label);
            if (x - width / 2 > lastLabelRight + points(2)) {
                painter_.setPen(Qt::black);
                painter_.drawText(
                    QPointF(x - width / 2, plot.bottom() + points(2) + labelMetrics.ascent()),
                    label);
                lastLabelRight = x + width / 2;
            }
        }

        // Axes.
        painter_.setPen(QPen(Qt::black, points(0.75)));
        painter_.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter_.drawLine(plot.bottomLeft(), plot.topLeft());

        // Axis titles.
        painter_.setFont(axisFont);
        painter_.drawText(QRectF(plot.left(), area.bottom() - axisMetrics.lineSpacing(),
                                 plot.width(), axisMetrics.lineSpacing()),
                          Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("Frequency (MHz)"));
        painter_.save();
        painter_.translate(area.left(), plot.center().y());
        painter_.rotate(-90);
        painter_.drawText(QRectF(-plot.height() / 2, 0, plot.height(), axisMetrics.lineSpacing()),
                          Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Softpot"));
        painter_.restore();

        // The series, each point with its value, as the technician compares numbers.
        QPolygonF line;
        for (const auto& point : data) {
            line << QPointF(xOf(point.mhz), yOf(point.softpot));
        }
        const QColor seriesColour(31, 90, 166);
        painter_.setPen(QPen(seriesColour, points(1.25)));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawPolyline(line);
        painter_.setBrush(seriesColour);
        painter_.setFont(labelFont);
        const double radius = points(2.25);
        for (std::size_t i = 0; i < data.size(); ++i) {
            const QPointF at = line[static_cast<qsizetype>(i)];
            painter_.setPen(QPen(seriesColour, points(0.5)));
            painter_.drawEllipse(at, radius, radius);
            painter_.setPen(Qt::black);
            const QString value = QString::number(data[i].softpot);
            painter_.drawText(QPointF(at.x() - labelMetrics.horizontalAdvance(value) / 2,
                                      at.y() - radius - points(2)),
                              value);
        }
        painter_.setBrush(Qt::NoBrush);
    }

    QPdfWriter& writer_;
    QPainter& painter_;
    QRectF page_;
};

} // namespace

QString writePdfReport(const radioRecord& record, const QString& path, const QPageSize& pageSize) {
    return writePdfDocument(
        path, pageSize, pdfDocument{kDocumentTitle, QPageLayout::Portrait, kResolution, kMarginMm},
        [&record](QPdfWriter& writer) {
            QPainter painter;
            if (!painter.begin(&writer)) {
                return false;
            }
            reportPainter report(writer, painter);
            report.drawText(reportLines(record));
            report.drawCharts(record);
            return painter.end();
        });
}

} // namespace kavrin
