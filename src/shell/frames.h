// The child frames of the main window's MDI area: the report window's frame, the frame of every
// screen, and the borderless frame of the progress screen.
#pragma once

#include <QMdiSubWindow>

namespace kavrin::shell {

// The frame of the report window; closing it tells the application the report is gone.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget* parent = nullptr);

signals:
    void reportClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The frame of every screen: alignment, serial number and radio setup.
class CCommonFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CCommonFrame(QWidget* parent = nullptr);

signals:
    // The user closed the frame; the screen inside is about to go.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The frame of the progress screen: no caption, no system menu, no sizing border.
class CCommonSplashFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CCommonSplashFrame(QWidget* parent = nullptr);
};

} // namespace kavrin::shell
