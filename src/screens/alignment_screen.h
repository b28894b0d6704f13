// The alignment screen: one form for all fourteen alignment types, five rows of frequency point,
// default softpot, bar, working softpot and arrows, with PTT Toggle, Program and Auto Tune. It is a
// view of an alignmentSession: it draws the rows, forwards the technician's actions and shows what
// the session reports. Auto Tune hands the screen's type to the host for automatic alignment.
// Everything that differs between the screens comes from the type's row.
#pragma once

#include "data/alignment_session.h"
#include "screens/screen_view.h"

#include <QIcon>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QLineEdit;
class QLabel;
class QPushButton;

namespace kavrin::screens {

inline constexpr std::size_t kRowCount = kSessionRowCount;

// A scroll bar whose auto-repeat the screen can end: a failed action shows modal boxes that
// swallow the mouse release, and the repeat would go on starting new actions behind them.
class SoftpotBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    void stopRepeat();
};

// The spin arrows of a row. The keyboard goes the way the arrows point: Up and Right raise the
// value, Down and Left lower it.
class SpinArrows final : public SoftpotBar {
public:
    explicit SpinArrows(std::function<void(int)> step, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void(int)> step_;
};

class CAlignmentScreen : public QWidget, public IScreenView, private ISessionObserver {
public:
    CAlignmentScreen(AlignmentType type, const QIcon& pttPicture, const QIcon& programPicture,
                     QWidget* parent = nullptr);
    ~CAlignmentScreen() override;

    QWidget* widget() override { return this; }
    bool attachScreen(IScreenHost& host) override;
    void afterShow() override;
    void endTuning() override;

    const AlignmentTypeInfo& info() const { return info_; }
    // The session while the screen is attached; tests reach the watchdog through it.
    alignmentSession* session() const { return session_.get(); }

private:
    struct Row {
        QLineEdit* frequency = nullptr;
        QLineEdit* defaultEdit = nullptr;
        SoftpotBar* bar = nullptr;
        QLineEdit* working = nullptr;
        SpinArrows* arrows = nullptr;
    };

    void buildForm(const QIcon& pttPicture, const QIcon& programPicture);
    void barAction(std::size_t row, int action);
    void spin(std::size_t row, int delta);
    void spinAction(std::size_t row, int action);
    // Runs one session action; a failure ends the repeat of the row's bar and arrows.
    void act(std::optional<std::size_t> row,
             const std::function<alignmentSession::Outcome()>& action);
    void armWatchdog();
    // Marks the status line while the radio is keyed.
    void showKeyedState();
    bool live() const;

    void rowChanged(std::size_t row) override;
    void statusChanged(const std::string& text) override;
    void note(const std::string& text) override;
    void readRequested(bool duringLife) override;

    const AlignmentTypeInfo& info_;
    IScreenHost* host_ = nullptr;
    std::unique_ptr<alignmentSession> session_;
    std::array<Row, kRowCount> rows_{};
    QLineEdit* statusText_ = nullptr;
    QPushButton* pttButton_ = nullptr;
    QPushButton* programButton_ = nullptr;
    QPushButton* autoTuneButton_ = nullptr;
    std::vector<QLabel*> statics_;
    QTimer watchdog_;
    bool updating_ = false; // the screen itself is moving its controls
    bool statusKeyed_ = false;
};

// The fourteen screens: each is the common design with its own row of the table.
template <AlignmentType Type> class CAlignmentScreenOf final : public CAlignmentScreen {
public:
    static constexpr AlignmentType kType = Type;
    CAlignmentScreenOf(const QIcon& pttPicture, const QIcon& programPicture)
        : CAlignmentScreen(Type, pttPicture, programPicture) {}
};

using CTxHighPower = CAlignmentScreenOf<AlignmentType::TxHighPower>;
using CTxLowPower = CAlignmentScreenOf<AlignmentType::TxLowPower>;
using CTxModulation125KHz = CAlignmentScreenOf<AlignmentType::TxModulation125KHz>;
using CTxModulation20KHz = CAlignmentScreenOf<AlignmentType::TxModulation20KHz>;
using CTxModulation25KHz = CAlignmentScreenOf<AlignmentType::TxModulation25KHz>;
using CTxKtd125KHz = CAlignmentScreenOf<AlignmentType::TxKtd125KHz>;
using CTxKtd20KHz = CAlignmentScreenOf<AlignmentType::TxKtd20KHz>;
using CTxKtd25KHz = CAlignmentScreenOf<AlignmentType::TxKtd25KHz>;
using CRxSquelchNbandNormal = CAlignmentScreenOf<AlignmentType::RxSquelchNbandNormal>;
using CRxSquelchNbandTight = CAlignmentScreenOf<AlignmentType::RxSquelchNbandTight>;
using CRxSquelchSbandNormal = CAlignmentScreenOf<AlignmentType::RxSquelchSbandNormal>;
using CRxSquelchSbandTight = CAlignmentScreenOf<AlignmentType::RxSquelchSbandTight>;
using CRxSquelch20KbandNormal = CAlignmentScreenOf<AlignmentType::RxSquelch20KbandNormal>;
using CRxSquelch20KbandTight = CAlignmentScreenOf<AlignmentType::RxSquelch20KbandTight>;

using ScreenFactory = std::function<IScreenView*()>;

// The menu command and factory of every alignment screen, one per row of the alignment-type
// table, for the shell to register; the two pictures are the faces of PTT Toggle and Program.
std::vector<std::pair<int, ScreenFactory>> alignmentScreenFactories(const QIcon& pttPicture,
                                                                    const QIcon& programPicture);

} // namespace kavrin::screens
