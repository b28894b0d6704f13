// The radio setup and serial-number screens.
#include "screens/utility_screens.h"

#include "data/application_core.h"
#include "data/serial_programming.h"
#include "screens/screen_font.h"

#include <QPixmap>

namespace kavrin::screens {

namespace {
constexpr const char* kSetupPictureName = "/setup.bmp";
constexpr const char* kSerialLabel = "New Radio Serial No :";
constexpr int kSerialNoLength = 10;
} // namespace

CRadioSetup::CRadioSetup(QWidget* parent) : QWidget(parent), picture_(new QLabel(this)) {
    picture_->setObjectName("setupPicture");
    picture_->setAccessibleName("Radio setup picture");
}

bool CRadioSetup::attachScreen(IScreenHost& host) {
    host_ = &host;
    host.core().screenOpened(kRadioSetupScreenId);
    picture_->setGeometry(2, 4, 572, 554);
    picture_->setFont(screenFont());
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setPixmap(
        QPixmap(QString::fromStdString(host.core().programDir().string()) + kSetupPictureName));
    picture_->show();
    return true;
}

void CRadioSetup::endTuning() {
    if (host_ != nullptr && host_->core().currentScreenId() != 0) {
        host_->core().screenClosed();
        host_->closeScreen();
    }
}

CSerialNoProgram::CSerialNoProgram(const QIcon& updatePicture, QWidget* parent)
    : QWidget(parent), label_(new QLabel(kSerialLabel, this)), edit_(new QLineEdit(this)),
      update_(new QPushButton(this)) {
    label_->setAccessibleName(kSerialLabel);
    edit_->setAccessibleName("New Radio Serial No");
    edit_->setMaxLength(kSerialNoLength);
    update_->setAccessibleName("Update");
    update_->setToolTip("Update");
    update_->setIcon(updatePicture);
    update_->setIconSize(QSize(104, 24));
    label_->setGeometry(26, 30, 152, 20);
    edit_->setGeometry(218, 28, 110, 24);
    update_->setGeometry(218, 104, 110, 28);
    for (QWidget* control : std::initializer_list<QWidget*>{label_, edit_, update_}) {
        control->setFont(screenFont());
    }
    fitToText(*label_);
    connect(update_, &QPushButton::clicked, this, &CSerialNoProgram::update);
    connect(edit_, &QLineEdit::returnPressed, this, &CSerialNoProgram::update);
}

CSerialNoProgram::~CSerialNoProgram() {
    leaveNormalMode();
}

bool CSerialNoProgram::attachScreen(IScreenHost& host) {
    host_ = &host;
    lock_.emplace();
    host.core().screenOpened(kSerialNoScreenId);
    host.core().operations().useNormalModeRequests(true);
    // A failed check tells its one reason; no second "port in use" box follows it.
    if (!serialRadioCheck(host.core(), host.messages())) {
        leaveNormalMode();
        host.core().screenClosed();
        lock_.reset();
        return false;
    }
    return true;
}

void CSerialNoProgram::update() {
    if (host_ != nullptr) {
        programSerialNo(host_->core(), edit_->text().toStdString(), host_->messages(),
                        host_->busyCursor());
    }
}

void CSerialNoProgram::leaveNormalMode() {
    if (host_ != nullptr) {
        host_->core().operations().useNormalModeRequests(false);
    }
}

void CSerialNoProgram::endTuning() {
    if (host_ == nullptr) {
        return;
    }
    host_->core().screenClosed();
    leaveNormalMode();
    lock_.reset();
    host_->closeScreen();
}

} // namespace kavrin::screens
