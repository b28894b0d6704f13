// The help system: which help page belongs to the open screen, and the one help window that
// shows the pages of the help bundle (the folder "Kavrin.chm" beside the program).
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace kavrin::shell {

// The start page of the bundle, shown for an empty topic.
inline constexpr const char* kHelpStartPage = "index.htm";

// The topic of the screen whose id is `currentScreenId` (or of the history window, for
// kHistoryWindowId), as a path inside the bundle; empty for the start page (no screen, the radio
// setup screen, the report window, anything unknown).
QString helpTopic(int currentScreenId);

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows bundleDir/topic, or the start page for an empty topic, and brings the window to the
    // front. A page that does not exist shows a short note naming it.
    void showTopic(const QString& bundleDir, const QString& topic);
    QUrl currentSource() const;

private:
    void goHome();

    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
    QToolButton* home_;
    QString bundleDir_;
};

// The application's one help window, created on first use. It belongs to no other window and is
// destroyed while the QApplication is being destroyed, before Qt takes its widgets down.
CHelpWindow& helpWindow();

// F1 and "Using help": the page of the open screen.
void showHelp(const QString& bundleDir, int currentScreenId);

} // namespace kavrin::shell
