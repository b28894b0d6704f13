// The set-up dialog of automatic alignment and its remembered values.
#include "shell/autotune_dialog.h"

#include "data/auto_alignment.h"
#include "data/settings_names.h"
#include "instrument/instrument_profile.h"
#include "instrument/limits_file.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <functional>

namespace kavrin::shell {

namespace {

QSettings settings() {
    return QSettings(kSettingsOrganizationName, kSettingsApplicationName);
}

// A field with a button beside it that picks a file into it.
QWidget* withBrowse(QWidget* field, const QString& buttonName, QWidget* parent,
                    const std::function<void()>& browse) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    auto* button = new QPushButton(QStringLiteral("Browse..."), row);
    button->setAccessibleName(buttonName);
    QObject::connect(button, &QPushButton::clicked, row, browse);
    layout->addWidget(button);
    return row;
}

} // namespace

autotuneSetup rememberedAutotuneSetup() {
    const auto store = settings();
    autotuneSetup setup;
    setup.address = store.value(kAutotuneAddressKey).toString();
    setup.profile = store.value(kAutotuneProfileKey, kDefaultAutotuneProfile).toString();
    setup.limitsPath = store.value(kAutotuneLimitsKey).toString();
    // A limits file that went away since is no reason to fail: the shipped one stands in.
    if (setup.limitsPath.isEmpty() || !QFileInfo::exists(setup.limitsPath)) {
        setup.limitsPath = shippedLimitsFile();
    }
    bool valid = false;
    const int settle =
        store.value(kAutotuneSettleKey, static_cast<int>(kInstrumentSettle.count())).toInt(&valid);
    setup.settle = std::chrono::milliseconds(
        valid && settle >= 0 && settle <= kMaxSettleMs ? settle : kInstrumentSettle.count());
    return setup;
}

void rememberAutotuneSetup(const autotuneSetup& setup) {
    auto store = settings();
    store.setValue(kAutotuneAddressKey, setup.address);
    store.setValue(kAutotuneProfileKey, setup.profile);
    store.setValue(kAutotuneLimitsKey, setup.limitsPath);
    store.setValue(kAutotuneSettleKey, static_cast<int>(setup.settle.count()));
}

QStringList instrumentProfileNames() {
    QStringList names;
    for (const auto& folder : {shippedProfilesDirectory(), userProfilesDirectory()}) {
        for (const auto& file :
             QDir(folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable)) {
            names << file.completeBaseName();
        }
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

CAutotuneDialog::CAutotuneDialog(const autotuneSetup& initial, QWidget* parent)
    : QDialog(parent), address_(new QLineEdit(initial.address, this)),
      profile_(new QComboBox(this)), limits_(new QLineEdit(initial.limitsPath, this)),
      settle_(new QSpinBox(this)) {
    setWindowTitle(QStringLiteral("Automatic Alignment"));
    address_->setAccessibleName(QStringLiteral("Service monitor address"));
    address_->setPlaceholderText(
        QStringLiteral("tcp://host:port, serial:port, prologix:port?addr=n"));
    // A name from the list, or the path of a profile file typed or picked.
    profile_->setEditable(true);
    profile_->addItems(instrumentProfileNames());
    profile_->setCurrentText(initial.profile);
    profile_->setAccessibleName(QStringLiteral("Instrument profile"));
    limits_->setAccessibleName(QStringLiteral("Limits file"));
    settle_->setRange(0, kMaxSettleMs);
    settle_->setSingleStep(100);
    settle_->setSuffix(QStringLiteral(" ms"));
    settle_->setValue(static_cast<int>(initial.settle.count()));
    settle_->setAccessibleName(QStringLiteral("Settle time"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Service monitor &address:"), address_);
    form->addRow(QStringLiteral("Instrument &profile:"),
                 withBrowse(profile_, QStringLiteral("Browse for a profile file"), this, [this] {
                     const auto file = QFileDialog::getOpenFileName(
                         this, QStringLiteral("Instrument Profile"), QString(),
                         QStringLiteral("Instrument profiles (*.json)"));
                     if (!file.isEmpty()) {
                         profile_->setCurrentText(file);
                     }
                 }));
    form->addRow(QStringLiteral("&Limits file:"),
                 withBrowse(limits_, QStringLiteral("Browse for a limits file"), this, [this] {
                     const auto file = QFileDialog::getOpenFileName(
                         this, QStringLiteral("Limits File"), limits_->text(),
                         QStringLiteral("Limits files (*.ini);;All Files (*)"));
                     if (!file.isEmpty()) {
                         limits_->setText(file);
                     }
                 }));
    form->addRow(QStringLiteral("&Settle time:"), settle_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Start"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("Start"));
    // Without an address there is no monitor to measure with.
    const auto allowStart = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)
            ->setEnabled(!address_->text().trimmed().isEmpty() &&
                         !profile_->currentText().trimmed().isEmpty() &&
                         !limits_->text().trimmed().isEmpty());
    };
    connect(address_, &QLineEdit::textChanged, this, allowStart);
    connect(profile_, &QComboBox::currentTextChanged, this, allowStart);
    connect(limits_, &QLineEdit::textChanged, this, allowStart);
    allowStart();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
}

autotuneSetup CAutotuneDialog::setup() const {
    return {address_->text().trimmed(), profile_->currentText().trimmed(),
            limits_->text().trimmed(), std::chrono::milliseconds(settle_->value())};
}

std::optional<autotuneSetup> QtAutotuneSetup::ask(QWidget* owner) {
    CAutotuneDialog dialog(rememberedAutotuneSetup(), owner);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const auto setup = dialog.setup();
    rememberAutotuneSetup(setup);
    return setup;
}

} // namespace kavrin::shell
