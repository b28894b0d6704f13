// The report document and view.
#include "shell/report_view.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPrinter>

namespace kavrin::shell {

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
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(8 * QFontMetricsF(font()).horizontalAdvance(' '));
}

void CPelionTunerView::showDocument(const CPelionTunerDoc& document) {
    setPlainText(document.text());
    this->document()->setModified(false);
}

void CPelionTunerView::printTo(QPrinter* printer) const {
    print(printer);
}

} // namespace kavrin::shell
