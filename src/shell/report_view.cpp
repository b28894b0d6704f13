// The report document and view.
#include "shell/report_view.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace kavrin::shell {

namespace {

constexpr int kTabColumns = 8;

// The report's columns are made with tabs every eight characters of the fixed font.
qsizetype expandedLength(const QString& line) {
    qsizetype column = 0;
    for (const QChar c : line) {
        column = c == '\t' ? (column / kTabColumns + 1) * kTabColumns : column + 1;
    }
    return column;
}

} // namespace

bool CPelionTunerDoc::open(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    path_ = path;
    text_ = QString::fromLatin1(file.readAll());
    return true;
}

QString CPelionTunerDoc::title() const {
    return QFileInfo(path_).fileName();
}

CPelionTunerView::CPelionTunerView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(kTabColumns * QFontMetricsF(font()).horizontalAdvance(' '));
    setAccessibleName(kReportAccessibleName);
}

void CPelionTunerView::showDocument(const CPelionTunerDoc& document) {
    setPlainText(document.text());
    this->document()->setModified(false);
    // The view lays out only the lines it shows, so the longest line is measured here.
    qsizetype columns = 0;
    for (const auto& line : document.text().split('\n')) {
        columns = std::max(columns, expandedLength(line));
    }
    const QString longest(columns, QChar(' '));
    textWidth_ = fontMetrics().horizontalAdvance(longest);
    updateGeometry();
}

QSize CPelionTunerView::sizeHint() const {
    const auto margin = static_cast<int>(std::ceil(document()->documentMargin()));
    const int frame = 2 * frameWidth();
    // The caret stands after the last character and takes a pixel of its own.
    const int width =
        textWidth_ + 2 * margin + frame + verticalScrollBar()->sizeHint().width() + cursorWidth();
    const int lines = std::max(1, blockCount());
    const int height = lines * fontMetrics().lineSpacing() + 2 * margin + frame;
    return {width, height};
}

void CPelionTunerView::printTo(QPrinter* printer) const {
    print(printer);
}

} // namespace kavrin::shell
