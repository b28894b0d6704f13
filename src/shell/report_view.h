// The tuning report window: its document (the file's raw text) and its read-only view, which
// prints and previews through Qt Print Support.
#pragma once

#include <QPlainTextEdit>
#include <QString>

class QPrinter;

namespace kavrin::shell {

inline constexpr const char* kReportAccessibleName = "Tuning report";

// The document of a report window: the raw text of the file it was opened from. Nothing ever
// changes or saves it.
class CPelionTunerDoc {
public:
    bool open(const QString& path);
    const QString& text() const { return text_; }
    const QString& path() const { return path_; }
    QString title() const;

private:
    QString path_;
    QString text_;
};

// A read-only text window without line wrapping, as the report is laid out in columns; a window
// narrower than the report scrolls sideways.
class CPelionTunerView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CPelionTunerView(QWidget* parent = nullptr);
    void showDocument(const CPelionTunerDoc& document);
    void printTo(QPrinter* printer) const;

    // The width that shows the report's longest line whole, and the height of all its lines:
    // the MDI area opens the window at this size, cut to what it has room for.
    QSize sizeHint() const override;

private:
    int textWidth_ = 0;
};

} // namespace kavrin::shell
