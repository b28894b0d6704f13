// Automatic alignment's set-up: the service monitor's address and profile, the limits file and
// the settle time, remembered between runs under "autotune/" in the settings. The application
// asks for it through IAutotuneSetupDialog, which tests answer.
#pragma once

#include <QDialog>
#include <QString>
#include <chrono>
#include <optional>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace kavrin::shell {

inline constexpr const char* kAutotuneAddressKey = "autotune/address";
inline constexpr const char* kAutotuneProfileKey = "autotune/profile";
inline constexpr const char* kAutotuneLimitsKey = "autotune/limits";
inline constexpr const char* kAutotuneSettleKey = "autotune/settleMs";
inline constexpr const char* kDefaultAutotuneProfile = "cma-style";
// A service monitor that needs longer than this to settle is not one to align with.
inline constexpr int kMaxSettleMs = 10'000;

struct autotuneSetup {
    QString address;    // tcp://HOST[:PORT], serial:PORT or prologix:PORT?addr=N
    QString profile;    // a profile's name, or a profile file
    QString limitsPath; // the limits file
    std::chrono::milliseconds settle{0};

    bool operator==(const autotuneSetup&) const = default;
};

// The set-up of the last run, or for a first run no address, the cma-style profile, the shipped
// limits and the aligner's own settle time.
autotuneSetup rememberedAutotuneSetup();
void rememberAutotuneSetup(const autotuneSetup& setup);

// The names of the shipped profiles and of the user's own, sorted, each once.
QStringList instrumentProfileNames();

class IAutotuneSetupDialog {
public:
    virtual ~IAutotuneSetupDialog() = default;
    // The chosen set-up, or nothing when the technician cancelled.
    virtual std::optional<autotuneSetup> ask(QWidget* owner) = 0;
};

class CAutotuneDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAutotuneDialog(const autotuneSetup& initial, QWidget* parent = nullptr);
    autotuneSetup setup() const;

private:
    QLineEdit* address_;
    QComboBox* profile_;
    QLineEdit* limits_;
    QSpinBox* settle_;
};

// The dialog above, starting from the remembered set-up and remembering what was accepted.
class QtAutotuneSetup final : public IAutotuneSetupDialog {
public:
    std::optional<autotuneSetup> ask(QWidget* owner) override;
};

} // namespace kavrin::shell
