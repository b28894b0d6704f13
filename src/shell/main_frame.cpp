// The main window.
#include "shell/main_frame.h"

#include "shell/frames.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>

namespace kavrin::shell {

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), mdiArea_(new QMdiArea(this)), toolBar_(new QToolBar(this)),
      messagePane_(new QLabel(kIdleText, this)) {
    setWindowTitle(kMainCaption);
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName("mdiArea");
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &CMainFrame::activeWindowChanged);

    toolBar_->setObjectName("toolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(22, 23));
    addToolBar(Qt::TopToolBarArea, toolBar_);

    messagePane_->setObjectName("messagePane");
    statusBar()->addWidget(messagePane_, 1);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(indicator, this);
        pane->setObjectName(indicator);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(pane);
    }
    setAcceptDrops(true);
}

// The windows in the area are closed while the base classes take the window down, and their
// activations must not reach a caption that is already gone.
CMainFrame::~CMainFrame() {
    disconnect(titleWatch_);
    disconnect(mdiArea_, nullptr, this, nullptr);
}

void CMainFrame::setStatusText(const QString& text) {
    messagePane_->setText(text);
    messagePane_->repaint();
}

QString CMainFrame::caption() const {
    // Only a document window is named: the screens are tools, and their frames carry their
    // own titles. The current window stays current while another application has the focus;
    // one that is closing is hidden already and names nothing.
    const auto* document = qobject_cast<const CChildFrame*>(mdiArea_->currentSubWindow());
    if (document == nullptr || !document->isVisibleTo(mdiArea_) ||
        document->windowTitle().isEmpty()) {
        return kMainCaption;
    }
    return QStringLiteral("%1 - [%2]").arg(kMainCaption, document->windowTitle());
}

void CMainFrame::activeWindowChanged(QMdiSubWindow* activated) {
    disconnect(titleWatch_);
    auto* window = activated != nullptr ? activated : mdiArea_->currentSubWindow();
    if (window != nullptr) {
        titleWatch_ =
            connect(window, &QWidget::windowTitleChanged, this, &CMainFrame::updateCaption);
    }
    updateCaption();
}

void CMainFrame::updateCaption() {
    const auto text = caption();
    if (windowTitle() != text) {
        setWindowTitle(text);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    emit closing();
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (dropUrls(event->mimeData()->urls())) {
        event->acceptProposedAction();
    }
}

bool CMainFrame::dropUrls(const QList<QUrl>& urls) {
    // Only the first of several dropped files is taken.
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return false;
    }
    emit fileDropped(urls.front().toLocalFile());
    return true;
}

} // namespace kavrin::shell
