// CMainFrame: the main window — the MDI area, the toolbar, the status bar with its message pane
// and indicators, the caption naming the active document, and dropped files.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QToolBar>

namespace kavrin::shell {

inline constexpr const char* kIdleText = "Ready";
inline constexpr const char* kMainCaption = "Kavrin";

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return mdiArea_; }
    QToolBar* toolBar() const { return toolBar_; }
    // The message pane, redrawn at once: the flows set it while they block the event loop.
    void setStatusText(const QString& text);
    QString statusText() const { return messagePane_->text(); }
    // What a drop of these files does; true when one was taken.
    bool dropUrls(const QList<QUrl>& urls);
    // "Kavrin", or "Kavrin - [title]" while a document window (the report) is active.
    QString caption() const;

signals:
    void fileDropped(const QString& path);
    // The window is closing: the open screen must end its tuning while the program still runs.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void activeWindowChanged(QMdiSubWindow* activated);
    void updateCaption();

    QMdiArea* mdiArea_;
    QToolBar* toolBar_;
    QLabel* messagePane_;
    QMetaObject::Connection titleWatch_;
};

} // namespace kavrin::shell
