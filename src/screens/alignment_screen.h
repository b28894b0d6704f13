// The alignment screen: one form for all fourteen alignment types, five rows of frequency point,
// default softpot, bar, working softpot and arrows, with PTT Toggle and Program. Everything that
// differs between the screens comes from their row of the screen table.
#pragma once

#include "data/point_mappers.h"
#include "screens/screen_table.h"
#include "screens/screen_view.h"

#include <QIcon>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QLineEdit;
class QLabel;
class QPushButton;
class QScrollBar;

namespace kavrin {
class radioLink;
}

namespace kavrin::screens {

inline constexpr std::size_t kRowCount = 5;

class CAlignmentScreen : public QWidget, public IScreenView {
public:
    CAlignmentScreen(const ScreenEntry& entry, const QIcon& pttPicture, const QIcon& programPicture,
                     QWidget* parent = nullptr);
    ~CAlignmentScreen() override;

    QWidget* widget() override { return this; }
    bool attachScreen(IScreenHost& host) override;
    void afterShow() override;
    void endTuning() override;

    const ScreenEntry& entry() const { return entry_; }

private:
    struct Row {
        QLineEdit* frequency = nullptr;
        QLineEdit* defaultEdit = nullptr;
        QScrollBar* bar = nullptr;
        QLineEdit* working = nullptr;
        QScrollBar* arrows = nullptr;
        std::uint32_t point = 0; // the point cell; 0 when the row is not used
        int value = 0;           // last value applied or programmed: the restore target
        int shown = 0;           // what the bar shows now
        double mhz = 0.0;
        bool used = false;
    };
    // How an action with its own link ended.
    enum class Outcome { Done, NoLink, Mismatch, Failed };

    void buildForm(const QIcon& pttPicture, const QIcon& programPicture);
    void initialUpdate();
    bool beginTuning();
    void selectFirstPoint();

    Outcome withLink(const std::function<Outcome(radioLink&)>& body);
    void rowAction(std::size_t row, int value);
    void trackThumb(std::size_t row, int value);
    void spinAction(std::size_t row, int action);
    void barAction(std::size_t row, int action);
    void enterPressed(std::size_t row);
    void pttToggle();
    void program();

    void preparePoint(radioLink& link);
    void dekey(radioLink& link);
    void selectMapper();
    void assignFrequency(std::uint32_t point, radioLink& link);
    void sendSoftpot(int value, radioLink& link);
    std::vector<std::size_t> programSoftpot(int value, radioLink& link);

    void showRow(std::size_t row, int value);
    void restoreRow(std::size_t row);
    void setStatus(const QString& text);
    std::uint32_t softpotOf(std::size_t row) const;
    void showWarningNoLink();
    void showCommunicationError();
    void askReread(bool duringLife);

    const ScreenEntry& entry_;
    IScreenHost* host_ = nullptr;
    std::array<Row, kRowCount> rows_{};
    QLineEdit* statusText_ = nullptr;
    QPushButton* pttButton_ = nullptr;
    QPushButton* programButton_ = nullptr;
    std::vector<QLabel*> statics_;
    bool keyed_ = false;
    bool attached_ = false;
    bool updating_ = false; // the screen itself is moving its controls
    std::uint32_t keyedPoint_ = 0;
    std::uint32_t selectedPoint_ = 0;
    int selectedValue_ = 0;
    QString keyedText_;
    std::optional<std::size_t> programming_; // the row Program is writing
    txPowerMapper powerMapper_;
    txModulationMapper modulationMapper_;
    rxSquelchMapper squelchMapper_;
};

// The fourteen screens: each is the common design with its own row of the table.
template <AlignmentType Type> class CAlignmentScreenOf : public CAlignmentScreen {
public:
    static constexpr AlignmentType kType = Type;
    CAlignmentScreenOf(const QIcon& pttPicture, const QIcon& programPicture)
        : CAlignmentScreen(screenSpec(Type), pttPicture, programPicture) {}
};

class CTxHighPower final : public CAlignmentScreenOf<AlignmentType::TxHighPower> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxLowPower final : public CAlignmentScreenOf<AlignmentType::TxLowPower> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxModulation125KHz final : public CAlignmentScreenOf<AlignmentType::TxModulation125KHz> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxModulation20KHz final : public CAlignmentScreenOf<AlignmentType::TxModulation20KHz> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxModulation25KHz final : public CAlignmentScreenOf<AlignmentType::TxModulation25KHz> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxKtd125KHz final : public CAlignmentScreenOf<AlignmentType::TxKtd125KHz> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxKtd20KHz final : public CAlignmentScreenOf<AlignmentType::TxKtd20KHz> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CTxKtd25KHz final : public CAlignmentScreenOf<AlignmentType::TxKtd25KHz> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CRxSquelchNbandNormal final : public CAlignmentScreenOf<AlignmentType::RxSquelchNbandNormal> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CRxSquelchNbandTight final : public CAlignmentScreenOf<AlignmentType::RxSquelchNbandTight> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CRxSquelchSbandNormal final : public CAlignmentScreenOf<AlignmentType::RxSquelchSbandNormal> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CRxSquelchSbandTight final : public CAlignmentScreenOf<AlignmentType::RxSquelchSbandTight> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CRxSquelch20KbandNormal final
    : public CAlignmentScreenOf<AlignmentType::RxSquelch20KbandNormal> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};
class CRxSquelch20KbandTight final
    : public CAlignmentScreenOf<AlignmentType::RxSquelch20KbandTight> {
    using CAlignmentScreenOf::CAlignmentScreenOf;
};

using ScreenFactory = std::function<IScreenView*()>;

// The menu command and factory of every alignment screen, for the shell to register; the two
// pictures are the faces of the PTT Toggle and Program buttons.
std::vector<std::pair<int, ScreenFactory>> alignmentScreenFactories(const QIcon& pttPicture,
                                                                    const QIcon& programPicture);

} // namespace kavrin::screens
