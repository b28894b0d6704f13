// The help window: a text browser over the help bundle with back, forward and home, the topic
// of each screen (an alignment screen's from the alignment-type table), and the application's
// one instance of the window.
#include "shell/help_window.h"

#include "data/alignment_types.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <string_view>
#include <utility>

namespace kavrin::shell {
namespace {

// The serial-number screen is a utility, not an alignment type, so its page is named here.
constexpr std::string_view kUtilitiesTopic = "Menu_Selections/Utilities.htm";
constexpr std::string_view kHistoryTopic = "Menu_Selections/History.htm";
constexpr std::string_view kAutotuneTopic = "Menu_Selections/Alignment_Options/Auto_Align.htm";

QString fromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString missingPageHtml(const QString& path) {
    return QStringLiteral("<html><body><p>This help page is missing: %1</p></body></html>")
        .arg(path.toHtmlEscaped());
}

// A browser that answers a link to a page that is not there with a note instead of an empty
// view and a warning on the console.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        if (type == QTextDocument::HtmlResource) {
            const QUrl resolved = name.isRelative() ? source().resolved(name) : name;
            if (resolved.isLocalFile() && !QFileInfo(resolved.toLocalFile()).isFile()) {
                return missingPageHtml(QDir::toNativeSeparators(resolved.toLocalFile()));
            }
        }
        return QTextBrowser::loadResource(type, name);
    }
};

QUrl pageUrl(const QString& bundleDir, const QString& page) {
    return QUrl::fromLocalFile(QFileInfo(QDir(bundleDir), page).absoluteFilePath());
}

CHelpWindow* theHelpWindow = nullptr;

void destroyHelpWindow() {
    delete std::exchange(theHelpWindow, nullptr);
}

} // namespace

QString helpTopic(int currentScreenId) {
    if (const auto* type = typeOfScreen(currentScreenId)) {
        return fromView(type->helpTopic);
    }
    if (currentScreenId == kSerialNoScreenId) {
        return fromView(kUtilitiesTopic);
    }
    if (currentScreenId == kHistoryWindowId) {
        return fromView(kHistoryTopic);
    }
    if (currentScreenId == kAutotuneWindowId) {
        return fromView(kAutotuneTopic);
    }
    return {};
}

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new HelpBrowser(this)), back_(new QToolButton(this)),
      forward_(new QToolButton(this)), home_(new QToolButton(this)) {
    setWindowTitle(QStringLiteral("Kavrin Help"));
    // Help left open must not keep the program running once the main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(780, 620);

    back_->setText(QStringLiteral("Back"));
    back_->setArrowType(Qt::LeftArrow);
    back_->setShortcut(QKeySequence::Back);
    forward_->setText(QStringLiteral("Forward"));
    forward_->setArrowType(Qt::RightArrow);
    forward_->setShortcut(QKeySequence::Forward);
    home_->setText(QStringLiteral("Home"));
    home_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    for (QToolButton* button : {back_, forward_, home_}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
    }
    back_->setEnabled(false);
    forward_->setEnabled(false);
    home_->setToolTip(QStringLiteral("The start page of the help"));

    browser_->setOpenExternalLinks(true);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, this, &CHelpWindow::goHome);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(home_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
}

void CHelpWindow::showTopic(const QString& bundleDir, const QString& topic) {
    bundleDir_ = bundleDir;
    const QUrl url =
        pageUrl(bundleDir, topic.isEmpty() ? QString::fromLatin1(kHelpStartPage) : topic);
    // The same page again is read afresh, so a page that has appeared since replaces the note.
    if (browser_->source() == url) {
        browser_->reload();
    } else {
        browser_->setSource(url);
    }
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

QUrl CHelpWindow::currentSource() const {
    return browser_->source();
}

void CHelpWindow::goHome() {
    browser_->setSource(pageUrl(bundleDir_, QString::fromLatin1(kHelpStartPage)));
}

CHelpWindow& helpWindow() {
    if (theHelpWindow == nullptr) {
        theHelpWindow = new CHelpWindow;
        // Post routines run first thing in the QApplication's destructor, while widgets can
        // still be deleted the ordinary way; this also covers runs that never call exec().
        qAddPostRoutine(destroyHelpWindow);
    }
    return *theHelpWindow;
}

void showHelp(const QString& bundleDir, int currentScreenId) {
    helpWindow().showTopic(bundleDir, helpTopic(currentScreenId));
}

} // namespace kavrin::shell
