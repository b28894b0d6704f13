// The alignment screen: the form, the row actions, PTT Toggle, Program and the test-mode
// lifecycle of one alignment type, each action on a link of its own.
#include "screens/alignment_screen.h"

#include "data/application_core.h"
#include "data/radio_messages.h"
#include "link/radio_link.h"
#include "screens/screen_font.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>

namespace kavrin::screens {

namespace {

constexpr const char* kDekeyedText = "Radio is currently dekeyed";
constexpr const char* kKeyedFormat = "Radio is currently keyed up at %fMHz";
// PTT Toggle with no point selected has no frequency to name.
constexpr const char* kKeyedNowhereText = "Radio is currently keyed up";
constexpr const char* kNoPointText = "No Frequency Tuning Point is currently selected";
constexpr const char* kTunedFormat = "Point %fMHz is currently being tuned";
constexpr const char* kUnsupportedText = "UNSUPPORTED";
constexpr const char* kNoLinkText = kPortUnavailableText;
constexpr const char* kMismatchText = "Serial No. mismatch!! Read in new radio?";
constexpr const char* kConfirmFormat = "Commit new softpot value? Softpot Value Range (0-%d)";
constexpr const char* kWarningTitle = "WARNING";
constexpr const char* kSpacedWarningTitle = " WARNING";
constexpr const char* kErrorTitle = "ERROR";

constexpr int kMaxValue = static_cast<int>(kMaxSoftpot);
constexpr int kPageStep = 5;
constexpr int kMaxDigits = 3;
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
constexpr QRect kStatusRect{14, 270, 690, 28};
constexpr QSize kButtonPictureSize{104, 24};

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

} // namespace

CAlignmentScreen::CAlignmentScreen(const ScreenEntry& entry, const QIcon& pttPicture,
                                   const QIcon& programPicture, QWidget* parent)
    : QWidget(parent), entry_(entry) {
    setObjectName(fromView(entry.className));
    buildForm(pttPicture, programPicture);
}

CAlignmentScreen::~CAlignmentScreen() = default;

void CAlignmentScreen::buildForm(const QIcon& pttPicture, const QIcon& programPicture) {
    setFont(screenFont());
    for (const auto& item : kStatics) {
        auto* label = new QLabel(item.text, this);
        label->setGeometry(item.rect);
        label->setFont(screenFont());
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

        row.bar = new QScrollBar(Qt::Horizontal, this);
        row.bar->setGeometry(inRow(kBarColumn, i, kBarOffset));
        row.bar->setFont(screenFont());
        row.bar->setAccessibleName(rowName(i, "softpot bar"));
        row.bar->setRange(0, kMaxValue);
        row.bar->setSingleStep(1);
        row.bar->setPageStep(kPageStep);
        // Dragging only shows the value; the release applies it.
        row.bar->setTracking(false);
        row.bar->setEnabled(false);

        row.arrows = new QScrollBar(Qt::Vertical, this);
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
                rowAction(i, value);
            }
        });
        connect(row.bar, &QAbstractSlider::sliderMoved, this,
                [this, i](int value) { trackThumb(i, value); });
        connect(row.bar, &QAbstractSlider::sliderReleased, this, [this, i] {
            // A thumb dropped where it was picked up changes no value but still applies it.
            if (rows_[i].bar->sliderPosition() == rows_[i].bar->value()) {
                rowAction(i, rows_[i].bar->value());
            }
        });
        connect(row.arrows, &QAbstractSlider::actionTriggered, this,
                [this, i](int action) { spinAction(i, action); });
        connect(row.working, &QLineEdit::returnPressed, this, [this, i] { enterPressed(i); });
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
    if (entry_.transmit()) {
        pttButton_ = makeButton(pttPicture, "PTT Toggle", kPttRect);
        connect(pttButton_, &QPushButton::clicked, this, [this] { pttToggle(); });
    }
    programButton_ = makeButton(programPicture, "Program",
                                entry_.transmit() ? kProgramRect : kReceiveProgramRect);
    connect(programButton_, &QPushButton::clicked, this, [this] { program(); });

    statusText_ = makeEdit(this, kStatusRect, "Status line");
    statusText_->setReadOnly(true);
    statusText_->setEnabled(false);
}

// --- Opening -----------------------------------------------------------------------------------

bool CAlignmentScreen::attachScreen(IScreenHost& host) {
    host_ = &host;
    keyed_ = false;
    host.core().currentScreenId = entry_.info().screenId;
    initialUpdate();
    attached_ = beginTuning();
    return attached_;
}

void CAlignmentScreen::initialUpdate() {
    const auto& info = entry_.info();
    auto& record = host_->core().record();
    const double base = bandBase(currentBandInfo(), info.points);
    const QScopedValueRollback guard(updating_, true);
    for (std::size_t i = 0; i < kRowCount; ++i) {
        auto& row = rows_[i];
        // A signalling-system type has only the middle point; its other rows stay empty.
        const bool exists = !info.middlePointOnly || i == kMiddlePoint;
        row.point = exists ? record.getCell(pointCell(info.points, i)) : 0;
        row.used = row.point != 0;
        if (exists) {
            const Cell cell = softpotCell(info, i);
            if (record.getCell(cell) > kMaxSoftpot) {
                record.setCell(cell, kMaxSoftpot);
            }
            const auto text = QString::number(record.getCell(cell));
            row.defaultEdit->setText(text);
            row.working->setText(text);
        }
        row.working->setEnabled(row.used);
        row.bar->setEnabled(row.used);
        row.arrows->setEnabled(row.used);
        if (row.used) {
            row.shown = static_cast<int>(softpotOf(i));
            row.bar->setValue(row.shown);
            row.mhz = base + row.point;
            row.frequency->setText(QString::asprintf("%f", row.mhz));
        } else {
            row.frequency->setText(kUnsupportedText);
        }
    }
    setStatus(entry_.transmit() ? kDekeyedText : kNoPointText);
}

bool CAlignmentScreen::beginTuning() {
    auto& core = host_->core();
    const auto outcome = withLink([this, &core](radioLink& link) {
        if (core.operations().isSameRadio(core.record(), link) == 0) {
            return Outcome::Mismatch;
        }
        link.testMode().enterTestMode();
        if (entry_.signallingTest) {
            link.testMode().startSignallingTest();
        }
        selectMapper();
        return Outcome::Done;
    });
    switch (outcome) {
    case Outcome::Done:
        return true;
    case Outcome::NoLink:
        showWarningNoLink();
        core.currentScreenId = 0;
        return false;
    case Outcome::Mismatch:
        askReread(false);
        return false;
    case Outcome::Failed:
        break;
    }
    // The screen opens and closes again at once, leaving the radio's test state on its way.
    showCommunicationError();
    core.currentScreenId = 0;
    return true;
}

void CAlignmentScreen::afterShow() {
    selectFirstPoint();
    if (attached_ && host_->core().currentScreenId == 0) {
        host_->closeScreen();
    }
}

void CAlignmentScreen::selectFirstPoint() {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < kRowCount; ++i) {
        auto& row = rows_[i];
        if (entry_.info().middlePointOnly && i != kMiddlePoint) {
            continue;
        }
        row.value = static_cast<int>(softpotOf(i));
        if (!first && (row.used || entry_.info().middlePointOnly)) {
            first = i;
        }
    }
    const std::size_t focus = first.value_or(0);
    selectedPoint_ = first ? rows_[focus].point : 0;
    selectedValue_ = first ? rows_[focus].value : 0;
    auto* edit = rows_[focus].working;
    edit->setFocus();
    // The caret of a freshly filled edit is at its start, so the whole value is selected and
    // the technician types over it.
    edit->setCursorPosition(0);
    edit->setSelection(edit->cursorPosition(), static_cast<int>(edit->text().size()));
}

void CAlignmentScreen::endTuning() {
    if (host_ == nullptr) {
        return;
    }
    host_->core().currentScreenId = 0;
    const auto outcome = withLink([this](radioLink& link) {
        auto& commands = link.testMode();
        // Each request is tried on its own: leaving the test state matters more than a failure.
        const auto attempt = [](auto request) {
            try {
                request();
            } catch (...) {
            }
        };
        if (entry_.signallingTest) {
            attempt([&] { commands.stopSignallingTest(); });
        }
        attempt([&] { commands.exitTestMode(); });
        attempt([&] { commands.resetRadio(); });
        return Outcome::Done;
    });
    if (outcome == Outcome::NoLink) {
        showWarningNoLink();
    }
    keyed_ = false;
    host_->closeScreen();
}

// --- The link of one action ------------------------------------------------------------------

CAlignmentScreen::Outcome
CAlignmentScreen::withLink(const std::function<Outcome(radioLink&)>& body) {
    BusyCursorGuard busy(host_->busyCursor());
    bool opened = false;
    try {
        radioLink link;
        opened = true;
        return body(link);
        // The link closes here; a failed close counts as a failed action.
    } catch (...) {
        return opened ? Outcome::Failed : Outcome::NoLink;
    }
}

void CAlignmentScreen::showWarningNoLink() {
    host_->messages().showMessage(kNoLinkText, kSpacedWarningTitle, MessageIcon::Information);
}

void CAlignmentScreen::showCommunicationError() {
    host_->messages().showMessage(kCommunicationErrorText, kErrorTitle, MessageIcon::Exclamation);
}

void CAlignmentScreen::askReread(bool duringLife) {
    if (host_->messages().ask(kMismatchText, kWarningTitle, MessageIcon::Information) !=
        Answer::Ok) {
        return;
    }
    if (duringLife) {
        host_->rereadRadio();
    } else {
        host_->readRadio();
    }
}

// --- Rows ----------------------------------------------------------------------------------------

std::uint32_t CAlignmentScreen::softpotOf(std::size_t row) const {
    return host_->core().record().getCell(softpotCell(entry_.info(), row));
}

void CAlignmentScreen::showRow(std::size_t row, int value) {
    const QScopedValueRollback guard(updating_, true);
    auto& r = rows_[row];
    r.shown = value;
    r.bar->setValue(value);
    r.arrows->setValue(kArrowsRest);
    r.working->setText(QString::number(value));
}

void CAlignmentScreen::restoreRow(std::size_t row) {
    showRow(row, rows_[row].value);
}

void CAlignmentScreen::setStatus(const QString& text) {
    statusText_->setText(text);
}

void CAlignmentScreen::barAction(std::size_t row, int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub:
        rows_[row].bar->setFocus();
        // The bar has already moved its position within 0-63; that is the new value.
        rowAction(row, rows_[row].bar->sliderPosition());
        break;
    default:
        // Dragging and its release arrive as sliderMoved and valueChanged; top and bottom
        // do nothing.
        break;
    }
}

void CAlignmentScreen::spinAction(std::size_t row, int action) {
    auto& r = rows_[row];
    const int current = r.bar->value();
    int value = current;
    // On a vertical bar the up arrow is the "sub" step; up raises the softpot.
    if (action == QAbstractSlider::SliderSingleStepSub) {
        value = std::min(current + 1, kMaxValue);
    } else if (action == QAbstractSlider::SliderSingleStepAdd) {
        value = std::max(current - 1, 0);
    } else {
        const QScopedValueRollback guard(updating_, true);
        r.arrows->setValue(kArrowsRest);
        return;
    }
    r.bar->setFocus();
    rowAction(row, value);
    const QScopedValueRollback guard(updating_, true);
    r.arrows->setValue(kArrowsRest);
}

void CAlignmentScreen::enterPressed(std::size_t row) {
    const int typed = rows_[row].working->text().left(kMaxDigits).toInt();
    rowAction(row, std::min(typed, kMaxValue));
}

void CAlignmentScreen::trackThumb(std::size_t row, int value) {
    if (!rows_[row].used) {
        return;
    }
    selectedPoint_ = rows_[row].point;
    const QScopedValueRollback guard(updating_, true);
    rows_[row].shown = value;
    rows_[row].working->setText(QString::number(value));
}

void CAlignmentScreen::rowAction(std::size_t row, int value) {
    auto& r = rows_[row];
    const int before = r.shown;
    if (!r.used || host_ == nullptr || !attached_) {
        showRow(row, before);
        return;
    }
    auto& core = host_->core();
    const auto outcome = withLink([this, row, value, &core](radioLink& link) {
        selectedPoint_ = rows_[row].point;
        showRow(row, value);
        if (entry_.transmit() && keyed_ && keyedPoint_ != selectedPoint_) {
            dekey(link);
        }
        if (core.operations().isSameRadio(core.record(), link) == 0) {
            return Outcome::Mismatch;
        }
        if (entry_.transmit()) {
            if (!keyed_) {
                preparePoint(link);
            } else {
                sendSoftpot(value, link);
            }
        } else {
            // Nothing to key on a receiver: every step tunes the point and sends the value.
            preparePoint(link);
            sendSoftpot(value, link);
        }
        rows_[row].value = value;
        selectedValue_ = value;
        return Outcome::Done;
    });
    switch (outcome) {
    case Outcome::Done:
        break;
    case Outcome::NoLink:
        showRow(row, before);
        showWarningNoLink();
        break;
    case Outcome::Mismatch:
        askReread(true);
        break;
    case Outcome::Failed:
        restoreRow(row);
        showCommunicationError();
        break;
    }
}

// --- Radio requests through the mapper ---------------------------------------------------------

void CAlignmentScreen::selectMapper() {
    const auto& info = entry_.info();
    switch (info.family) {
    case AlignmentFamily::TxPower:
        powerMapper_.setLevel(info.selection);
        break;
    case AlignmentFamily::TxModulation:
        modulationMapper_.setKind(info.selection);
        break;
    case AlignmentFamily::RxSquelch:
        squelchMapper_.setSelection(info.bandwidth, info.selection);
        break;
    }
}

void CAlignmentScreen::assignFrequency(std::uint32_t point, radioLink& link) {
    const auto& record = host_->core().record();
    switch (entry_.info().family) {
    case AlignmentFamily::TxPower:
        powerMapper_.assignFrequency(point, record, link.testMode());
        break;
    case AlignmentFamily::TxModulation:
        modulationMapper_.assignFrequency(point, record, link.testMode());
        break;
    case AlignmentFamily::RxSquelch:
        squelchMapper_.assignFrequency(point, record, link.testMode());
        break;
    }
}

void CAlignmentScreen::sendSoftpot(int value, radioLink& link) {
    const auto v = static_cast<std::uint32_t>(value);
    switch (entry_.info().family) {
    case AlignmentFamily::TxPower:
        powerMapper_.sendSoftpot(v, link.testMode());
        break;
    case AlignmentFamily::TxModulation:
        modulationMapper_.sendSoftpot(v, link.testMode());
        break;
    case AlignmentFamily::RxSquelch:
        squelchMapper_.sendSoftpot(v, link.testMode());
        break;
    }
}

std::vector<std::size_t> CAlignmentScreen::programSoftpot(int value, radioLink& link) {
    const auto& record = host_->core().record();
    const auto v = static_cast<std::uint32_t>(value);
    switch (entry_.info().family) {
    case AlignmentFamily::TxPower: {
        powerMapper_.programSoftpot(record, v, link.testMode());
        // With channelOption the other level's byte was written as well.
        std::vector<std::size_t> offsets;
        for (std::size_t n = 0; n < powerMapper_.writtenCount(); ++n) {
            offsets.push_back(powerMapper_.writtenOffset(n));
        }
        return offsets;
    }
    case AlignmentFamily::TxModulation:
        return {modulationMapper_.programSoftpot(record, v, link.testMode())};
    case AlignmentFamily::RxSquelch:
        break;
    }
    return {squelchMapper_.programSoftpot(record, v, link.testMode())};
}

void CAlignmentScreen::preparePoint(radioLink& link) {
    for (std::size_t i = 0; i < kRowCount; ++i) {
        const auto& row = rows_[i];
        if (!row.used || row.point != selectedPoint_) {
            continue;
        }
        assignFrequency(row.point, link);
        if (entry_.transmit()) {
            keyedText_ = QString::asprintf(kKeyedFormat, row.mhz);
        } else {
            setStatus(QString::asprintf(kTunedFormat, row.mhz));
        }
        return;
    }
}

void CAlignmentScreen::dekey(radioLink& link) {
    if (entry_.keying == KeyRequests::Signalling) {
        link.testMode().dekeySignalling();
    } else {
        link.testMode().dekey();
    }
    setStatus(kDekeyedText);
    keyed_ = false;
}

// --- Buttons -------------------------------------------------------------------------------------

void CAlignmentScreen::pttToggle() {
    if (host_ == nullptr || !attached_ || !entry_.transmit()) {
        return;
    }
    const auto outcome = withLink([this](radioLink& link) {
        if (keyed_) {
            dekey(link);
            return Outcome::Done;
        }
        keyedText_.clear();
        keyedPoint_ = selectedPoint_;
        preparePoint(link);
        if (entry_.keying == KeyRequests::Signalling) {
            link.testMode().keyUpSignalling();
        } else {
            link.testMode().keyUp();
        }
        // From here the radio transmits: the screen says so even if the value fails to go out.
        keyed_ = true;
        setStatus(keyedText_.isEmpty() ? QString(kKeyedNowhereText) : keyedText_);
        sendSoftpot(selectedValue_, link);
        return Outcome::Done;
    });
    if (outcome == Outcome::NoLink) {
        showWarningNoLink();
    } else if (outcome == Outcome::Failed) {
        showCommunicationError();
    }
}

void CAlignmentScreen::program() {
    if (host_ == nullptr || !attached_) {
        return;
    }
    auto& core = host_->core();
    const auto& info = entry_.info();
    std::optional<std::pair<std::string_view, MessageIcon>> invalid;
    programming_.reset();
    const auto outcome = withLink([&](radioLink& link) {
        if (core.operations().isSameRadio(core.record(), link) == 0) {
            return Outcome::Mismatch;
        }
        {
            host_->busyCursor().restore();
            const auto answer =
                host_->messages().ask(QString::asprintf(kConfirmFormat, kMaxValue).toStdString(),
                                      kWarningTitle, MessageIcon::Information);
            host_->busyCursor().showBusy();
            if (answer != Answer::Ok) {
                return Outcome::Done;
            }
        }
        if (entry_.transmit() && keyed_) {
            dekey(link);
        }
        for (std::size_t i = 0; i < kRowCount; ++i) {
            auto& row = rows_[i];
            if (!row.used) {
                continue;
            }
            programming_ = i;
            const auto text = row.working->text().left(kMaxDigits);
            const int value = text.toInt();
            showRow(i, value);
            row.defaultEdit->setText(QString::number(value));
            if (value > kMaxValue || text.isEmpty()) {
                invalid = value > kMaxValue
                              ? std::pair{entry_.illegalText, MessageIcon::Exclamation}
                              : std::pair{entry_.emptyText, MessageIcon::Information};
                restoreRow(i);
                row.defaultEdit->setText(QString::number(row.value));
                break;
            }
            assignFrequency(row.point, link);
            const auto byte = static_cast<std::uint8_t>(value);
            for (const auto offset : programSoftpot(value, link)) {
                core.operations().patchBlockImage(&byte, 1, offset);
            }
            link.testMode().writeCodeplugChecksum(core.operations().blockImageChecksum(),
                                                  core.record().codeplugLayout());
            row.value = value;
            core.record().setCell(softpotCell(info, i), static_cast<std::uint32_t>(value));
        }
        programming_.reset();
        return Outcome::Done;
    });
    switch (outcome) {
    case Outcome::Done:
        if (invalid) {
            host_->messages().showMessage(std::string(invalid->first), kErrorTitle,
                                          invalid->second);
        }
        break;
    case Outcome::NoLink:
        showWarningNoLink();
        break;
    case Outcome::Mismatch:
        askReread(true);
        break;
    case Outcome::Failed:
        for (std::size_t i = 0; i < kRowCount; ++i) {
            if (rows_[i].used) {
                restoreRow(i);
            }
        }
        // The row being written shows what the record holds, not a value that may not be there.
        if (programming_) {
            rows_[*programming_].defaultEdit->setText(QString::number(softpotOf(*programming_)));
        }
        programming_.reset();
        showCommunicationError();
        break;
    }
}

// --- Registration --------------------------------------------------------------------------------

namespace {

template <typename Screen>
std::pair<int, ScreenFactory> factoryOf(const QIcon& pttPicture, const QIcon& programPicture) {
    return {alignmentType(Screen::kType).menuCommand,
            [pttPicture, programPicture]() -> IScreenView* {
                return new Screen(pttPicture, programPicture);
            }};
}

} // namespace

std::vector<std::pair<int, ScreenFactory>> alignmentScreenFactories(const QIcon& pttPicture,
                                                                    const QIcon& programPicture) {
    return {
        factoryOf<CTxHighPower>(pttPicture, programPicture),
        factoryOf<CTxLowPower>(pttPicture, programPicture),
        factoryOf<CTxModulation125KHz>(pttPicture, programPicture),
        factoryOf<CTxModulation20KHz>(pttPicture, programPicture),
        factoryOf<CTxModulation25KHz>(pttPicture, programPicture),
        factoryOf<CTxKtd125KHz>(pttPicture, programPicture),
        factoryOf<CTxKtd20KHz>(pttPicture, programPicture),
        factoryOf<CTxKtd25KHz>(pttPicture, programPicture),
        factoryOf<CRxSquelchNbandNormal>(pttPicture, programPicture),
        factoryOf<CRxSquelchNbandTight>(pttPicture, programPicture),
        factoryOf<CRxSquelchSbandNormal>(pttPicture, programPicture),
        factoryOf<CRxSquelchSbandTight>(pttPicture, programPicture),
        factoryOf<CRxSquelch20KbandNormal>(pttPicture, programPicture),
        factoryOf<CRxSquelch20KbandTight>(pttPicture, programPicture),
    };
}

} // namespace kavrin::screens
