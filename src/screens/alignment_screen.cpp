// The alignment screen: the form of one alignment type and the way the technician's actions
// reach its tuning session.
#include "screens/alignment_screen.h"

#include "data/application_core.h"
#include "screens/screen_font.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

namespace kavrin::screens {

namespace {

constexpr int kMaxValue = kMaxWorkingValue;
constexpr int kPageStep = 5;
constexpr int kMaxDigits = static_cast<int>(kWorkingDigits);
// The arrows rest in the middle so that both can always be pressed.
constexpr int kArrowsRest = 1;

// Pixel rectangles of the form.
constexpr std::array<int, kRowCount> kRowTop{40, 74, 108, 142, 176};
constexpr int kRowHeight = 24;
constexpr int kBarOffset = 2;
constexpr QRect kFrequencyColumn{14, 0, 150, kRowHeight};
constexpr QRect kDefaultColumn{210, 0, 54, kRowHeight};
constexpr QRect kBarColumn{282, 0, 324, 20};
constexpr QRect kWorkingColumn{632, 0, 54, kRowHeight};
constexpr QRect kArrowsColumn{684, 0, 24, 24};
constexpr QRect kPttRect{34, 224, 110, 28};
constexpr QRect kProgramRect{186, 224, 110, 28};
constexpr QRect kReceiveProgramRect{48, 224, 110, 28};
// Auto Tune follows Program at the distance Program keeps from PTT Toggle.
constexpr int kButtonDistance = kProgramRect.x() - kPttRect.x();
constexpr QRect kAutoTuneRect = kProgramRect.translated(kButtonDistance, 0);
constexpr QRect kReceiveAutoTuneRect = kReceiveProgramRect.translated(kButtonDistance, 0);
constexpr QRect kStatusRect{14, 270, 690, 28};
constexpr QSize kButtonPictureSize{104, 24};
// The status line while the radio transmits.
constexpr QColor kKeyedField{200, 16, 16};
constexpr QColor kKeyedText{255, 255, 255};

struct StaticText {
    const char* text;
    QRect rect;
};
constexpr std::array kStatics{
    StaticText{"Frequency Point(MHz)", {14, 14, 154, 20}},
    StaticText{"Default Softpot", {196, 14, 106, 20}},
    StaticText{"Working Softpot", {618, 14, 108, 20}},
    StaticText{"Note: Valid Softpot values will range from 0-63", {14, 308, 416, 26}},
};

QRect inRow(const QRect& column, std::size_t row, int offset = 0) {
    return {column.x(), kRowTop[row] + offset, column.width(), column.height()};
}

QString rowName(std::size_t row, const char* role) {
    return QString("F%1 %2").arg(row + 1).arg(role);
}

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* makeEdit(QWidget* parent, const QRect& rect, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(rect);
    edit->setFont(screenFont());
    edit->setAccessibleName(name);
    return edit;
}

void setTextIfChanged(QLineEdit* edit, const std::string& text) {
    const auto value = QString::fromStdString(text);
    if (edit->text() != value) {
        edit->setText(value);
    }
}

bool failed(alignmentSession::Outcome outcome) {
    using Outcome = alignmentSession::Outcome;
    return outcome == Outcome::NoLink || outcome == Outcome::Mismatch || outcome == Outcome::Failed;
}

} // namespace

// --- The bars --------------------------------------------------------------------------------

void SoftpotBar::stopRepeat() {
    setRepeatAction(QAbstractSlider::SliderNoAction);
    setSliderDown(false);
}

SpinArrows::SpinArrows(std::function<void(int)> step, QWidget* parent)
    : SoftpotBar(Qt::Vertical, parent), step_(std::move(step)) {}

void SpinArrows::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        step_(+1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        step_(-1);
        break;
    default:
        SoftpotBar::keyPressEvent(event);
        return;
    }
    event->accept();
}

// --- The form ------------------------------------------------------------------------------------

CAlignmentScreen::CAlignmentScreen(AlignmentType type, const QIcon& pttPicture,
                                   const QIcon& programPicture, QWidget* parent)
    : QWidget(parent), info_(alignmentType(type)) {
    setObjectName(fromView(info_.className));
    buildForm(pttPicture, programPicture);
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        if (live()) {
            session_->checkWatchdog();
            showKeyedState();
            armWatchdog();
        }
    });
}

// A screen destroyed without its frame's close still takes the radio out of its test state:
// its session does that as it goes.
CAlignmentScreen::~CAlignmentScreen() = default;

void CAlignmentScreen::buildForm(const QIcon& pttPicture, const QIcon& programPicture) {
    setFont(screenFont());
    for (const auto& item : kStatics) {
        auto* label = new QLabel(item.text, this);
        label->setGeometry(item.rect);
        label->setFont(screenFont());
        fitToText(*label);
        label->setAccessibleName(item.text);
        statics_.push_back(label);
    }
    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
    for (std::size_t i = 0; i < kRowCount; ++i) {
        auto& row = rows_[i];
        row.frequency = makeEdit(this, inRow(kFrequencyColumn, i), rowName(i, "frequency"));
        row.frequency->setEnabled(false);
        row.defaultEdit = makeEdit(this, inRow(kDefaultColumn, i), rowName(i, "default softpot"));
        row.defaultEdit->setEnabled(false);
        row.working = makeEdit(this, inRow(kWorkingColumn, i), rowName(i, "working softpot"));
        row.working->setValidator(digits);
        row.working->setMaxLength(kMaxDigits);

        row.bar = new SoftpotBar(Qt::Horizontal, this);
        row.bar->setGeometry(inRow(kBarColumn, i, kBarOffset));
        row.bar->setFont(screenFont());
        row.bar->setAccessibleName(rowName(i, "softpot bar"));
        row.bar->setRange(0, kMaxValue);
        row.bar->setSingleStep(1);
        row.bar->setPageStep(kPageStep);
        // Dragging only shows the value; the release applies it.
        row.bar->setTracking(false);
        row.bar->setEnabled(false);

        row.arrows = new SpinArrows([this, i](int delta) { spin(i, delta); }, this);
        row.arrows->setGeometry(inRow(kArrowsColumn, i));
        row.arrows->setFont(screenFont());
        row.arrows->setAccessibleName(rowName(i, "softpot arrows"));
        row.arrows->setRange(0, 2 * kArrowsRest);
        row.arrows->setValue(kArrowsRest);
        row.arrows->setEnabled(false);

        connect(row.bar, &QAbstractSlider::actionTriggered, this,
                [this, i](int action) { barAction(i, action); });
        connect(row.bar, &QAbstractSlider::valueChanged, this, [this, i](int value) {
            // A change the screen did not make itself (a release at a new place, the wheel, an
            // assistive tool) is the user's.
            if (!updating_) {
                act(i, [this, i, value] { return session_->setValue(i, value); });
            }
        });
        connect(row.bar, &QAbstractSlider::sliderMoved, this, [this, i](int value) {
            if (live()) {
                session_->trackThumb(i, value);
            }
        });
        connect(row.bar, &QAbstractSlider::sliderReleased, this, [this, i] {
            // A thumb dropped where it was picked up changes no value but still applies it.
            const auto* bar = rows_[i].bar;
            if (!updating_ && bar->sliderPosition() == bar->value()) {
                act(i, [this, i, value = bar->value()] { return session_->setValue(i, value); });
            }
        });
        connect(row.arrows, &QAbstractSlider::actionTriggered, this,
                [this, i](int action) { spinAction(i, action); });
        connect(row.working, &QLineEdit::textChanged, this, [this, i](const QString& text) {
            if (!updating_ && live()) {
                session_->editWorkingText(i, text.toStdString());
            }
        });
        connect(row.working, &QLineEdit::returnPressed, this,
                [this, i] { act(i, [this, i] { return session_->enter(i); }); });
    }

    const auto makeButton = [this](const QIcon& picture, const char* name, const QRect& rect) {
        auto* button = new QPushButton(this);
        button->setGeometry(rect);
        button->setFont(screenFont());
        button->setIcon(picture);
        button->setIconSize(kButtonPictureSize);
        button->setAccessibleName(name);
        button->setToolTip(name);
        return button;
    };
    if (info_.transmit()) {
        pttButton_ = makeButton(pttPicture, "PTT Toggle", kPttRect);
        connect(pttButton_, &QPushButton::clicked, this,
                [this] { act(std::nullopt, [this] { return session_->pttToggle(); }); });
    }
    programButton_ = makeButton(programPicture, "Program",
                                info_.transmit() ? kProgramRect : kReceiveProgramRect);
    connect(programButton_, &QPushButton::clicked, this,
            [this] { act(std::nullopt, [this] { return session_->program(); }); });
    // The aligner opens a session of its own on this type, and two sessions on one radio would
    // fight over its test mode and its key: the host ends this screen as its close box would
    // and aligns the type with the screen gone. A text face, as it has no picture of its own.
    autoTuneButton_ = new QPushButton(QStringLiteral("Auto Tune"), this);
    autoTuneButton_->setGeometry(info_.transmit() ? kAutoTuneRect : kReceiveAutoTuneRect);
    autoTuneButton_->setFont(screenFont());
    autoTuneButton_->setAccessibleName(QStringLiteral("Auto Tune"));
    autoTuneButton_->setToolTip(QStringLiteral("Auto Tune"));
    connect(autoTuneButton_, &QPushButton::clicked, this, [this] {
        if (live()) {
            host_->autoAlign(info_.type);
        }
    });

    // Read-only, not disabled: a disabled line is greyed out, and "keyed up" must not be missed.
    statusText_ = makeEdit(this, kStatusRect, "Status line");
    statusText_->setReadOnly(true);
}

// --- Opening and closing -------------------------------------------------------------------------

bool CAlignmentScreen::attachScreen(IScreenHost& host) {
    host_ = &host;
    session_ = std::make_unique<alignmentSession>(
        host.core(), info_.type,
        SessionServices{host.messages(), host.busyCursor(), static_cast<ISessionObserver&>(*this)});
    session_->setWatchdog(host.transmitWatchdog());
    session_->open();
    return session_->attached();
}

void CAlignmentScreen::afterShow() {
    if (!session_) {
        return;
    }
    const auto focus = session_->selectFirstPoint();
    auto* edit = rows_[focus].working;
    edit->setFocus();
    // The caret of a freshly filled edit is at its start, so the whole value is selected and
    // the technician types over it.
    edit->setCursorPosition(0);
    edit->setSelection(edit->cursorPosition(), static_cast<int>(edit->text().size()));
    if (session_->attached() && host_->core().currentScreenId() == 0) {
        host_->closeScreen();
    }
}

void CAlignmentScreen::endTuning() {
    if (!session_) {
        return;
    }
    watchdog_.stop();
    session_->endTuning();
    host_->closeScreen();
}

bool CAlignmentScreen::live() const {
    return session_ != nullptr && host_ != nullptr;
}

// --- Actions -------------------------------------------------------------------------------------

void CAlignmentScreen::act(std::optional<std::size_t> row,
                           const std::function<alignmentSession::Outcome()>& action) {
    if (!live()) {
        return;
    }
    const auto outcome = action();
    showKeyedState();
    if (failed(outcome)) {
        // The boxes of a failure took the mouse release: whatever was repeating stops here.
        for (std::size_t i = 0; i < kRowCount; ++i) {
            if (!row || *row == i) {
                rows_[i].bar->stopRepeat();
                rows_[i].arrows->stopRepeat();
            }
        }
    }
    armWatchdog();
}

void CAlignmentScreen::barAction(std::size_t row, int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub:
        rows_[row].bar->setFocus();
        // The bar has already moved its position within 0-63; that is the new value.
        act(row, [this, row, value = rows_[row].bar->sliderPosition()] {
            return session_->setValue(row, value);
        });
        break;
    default:
        // Dragging and its release arrive as sliderMoved and valueChanged; top and bottom
        // do nothing.
        break;
    }
}

void CAlignmentScreen::spin(std::size_t row, int delta) {
    rows_[row].bar->setFocus();
    act(row, [this, row, delta] { return session_->step(row, delta); });
    const QScopedValueRollback guard(updating_, true);
    rows_[row].arrows->setValue(kArrowsRest);
}

void CAlignmentScreen::spinAction(std::size_t row, int action) {
    // On a vertical bar the up arrow is the "sub" step; up raises the softpot.
    if (action == QAbstractSlider::SliderSingleStepSub) {
        spin(row, +1);
    } else if (action == QAbstractSlider::SliderSingleStepAdd) {
        spin(row, -1);
    } else {
        const QScopedValueRollback guard(updating_, true);
        rows_[row].arrows->setValue(kArrowsRest);
    }
}

void CAlignmentScreen::armWatchdog() {
    const auto deadline = live() ? session_->watchdogDeadline() : std::nullopt;
    if (!deadline) {
        watchdog_.stop();
        return;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *deadline - std::chrono::steady_clock::now());
    watchdog_.start(std::max(left, std::chrono::milliseconds(0)));
}

// --- What the session reports --------------------------------------------------------------------

void CAlignmentScreen::rowChanged(std::size_t index) {
    const QScopedValueRollback guard(updating_, true);
    const auto& state = session_->row(index);
    auto& row = rows_[index];
    setTextIfChanged(row.frequency, state.frequencyText);
    setTextIfChanged(row.defaultEdit, state.defaultText);
    setTextIfChanged(row.working, state.workingText);
    row.working->setEnabled(state.used);
    row.bar->setEnabled(state.used);
    row.arrows->setEnabled(state.used);
    // While the thumb is dragged it follows the mouse. Otherwise the bar is set even to the value
    // it has, which also puts back a position that a step has already moved.
    if (!row.bar->isSliderDown()) {
        row.bar->setValue(state.barValue);
    }
    row.arrows->setValue(kArrowsRest);
}

void CAlignmentScreen::statusChanged(const std::string& text) {
    statusText_->setText(QString::fromStdString(text));
    showKeyedState();
}

// A transmitting radio shows as white text on a red field. The session tells its new status
// before it notes that the key is off, so the field is brought up to date again once every
// action and every watchdog check is over.
void CAlignmentScreen::showKeyedState() {
    const bool keyed = live() && session_->keyed();
    if (keyed == statusKeyed_) {
        return;
    }
    statusKeyed_ = keyed;
    if (keyed) {
        QPalette palette;
        palette.setColor(QPalette::Base, kKeyedField);
        palette.setColor(QPalette::Text, kKeyedText);
        statusText_->setPalette(palette);
    } else {
        // An empty palette resolves nothing of its own: the line takes the screen's colours again.
        statusText_->setPalette(QPalette());
    }
    statusText_->setAccessibleDescription(keyed ? QStringLiteral("Transmitting") : QString());
}

void CAlignmentScreen::note(const std::string& text) {
    host_->showNote(text);
}

void CAlignmentScreen::readRequested(bool duringLife) {
    if (duringLife) {
        host_->rereadRadio();
    } else {
        host_->readRadio();
    }
}

// --- Registration --------------------------------------------------------------------------------

namespace {

template <std::size_t... Index>
std::vector<std::pair<int, ScreenFactory>>
factoriesOf(const QIcon& pttPicture, const QIcon& programPicture, std::index_sequence<Index...>) {
    return {{kAlignmentTypes[Index].menuCommand, [pttPicture, programPicture]() -> IScreenView* {
                 return new CAlignmentScreenOf<static_cast<AlignmentType>(Index)>(pttPicture,
                                                                                  programPicture);
             }}...};
}

} // namespace

std::vector<std::pair<int, ScreenFactory>> alignmentScreenFactories(const QIcon& pttPicture,
                                                                    const QIcon& programPicture) {
    return factoriesOf(pttPicture, programPicture, std::make_index_sequence<kAlignmentTypeCount>{});
}

} // namespace kavrin::screens
