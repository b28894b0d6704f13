// The progress screen.
#include "shell/progress_view.h"

#include "screens/screen_font.h"

#include <QPixmap>
#include <QTimer>

namespace kavrin::shell {

CSplashRWView::CSplashRWView(QWidget* parent)
    : QWidget(parent), picture_(new QLabel(this)), percent_(new QLabel(this)),
      operation_(new QLabel(kReadingText, this)), bar_(new QProgressBar(this)) {
    picture_->setObjectName("picture");
    percent_->setObjectName("percentText");
    operation_->setObjectName("operationText");
    bar_->setObjectName("progressBar");
    bar_->setTextVisible(false);
    // The label has no accessible name of its own, so assistive tools read its text: the
    // percentage the flow shows, told to them as it changes.
    percent_->setAccessibleDescription("Progress percentage");
    bar_->setAccessibleName("Progress");
}

void CSplashRWView::setSources(const QString& picturePath, const QString& operationText) {
    picturePath_ = picturePath;
    operationText_ = operationText;
}

void CSplashRWView::initialUpdate() {
    picture_->setGeometry(4, 6, 446, 318);
    // The operation's text takes the room it needs in the screens' font; the percentage stands
    // after it, up to the bar's right end.
    percent_->setGeometry(262, 332, 186, 22);
    operation_->setGeometry(18, 332, 208, 22);
    bar_->setGeometry(8, 354, 440, 26);
    for (QWidget* control : std::initializer_list<QWidget*>{picture_, percent_, operation_, bar_}) {
        control->setFont(screens::screenFont());
        control->raise();
        control->show();
    }
    // A missing or unreadable picture leaves the area empty.
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setPixmap(QPixmap(picturePath_));
    operation_->setText(operationText_);
    screens::fitToText(*operation_);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    QTimer::singleShot(kProgressStartDelayMs, this, [this] {
        if (started_) {
            return;
        }
        started_ = true;
        emit startFlow(operationText_.startsWith('W'));
    });
}

// The flows block the event loop, so every change is painted at once.
void CSplashRWView::setPercentText(const std::string& text) {
    percent_->setText(QString::fromStdString(text));
    percent_->repaint();
    emit percentTextChanged(percent_->text());
}

void CSplashRWView::setProgress(int position) {
    bar_->setValue(position);
    bar_->repaint();
}

} // namespace kavrin::shell
