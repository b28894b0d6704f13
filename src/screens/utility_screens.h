// The two utility screens: the radio setup picture and serial-number programming of a blank
// radio.
#pragma once

#include "data/command_ids.h"
#include "link/port_lock.h"
#include "screens/screen_view.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace kavrin::screens {

// How to connect the radio: the picture "setup.bmp" from the program's directory. A missing
// picture leaves the area empty.
class CRadioSetup : public QWidget, public IScreenView {
    Q_OBJECT
public:
    explicit CRadioSetup(QWidget* parent = nullptr);
    QWidget* widget() override { return this; }
    bool attachScreen(IScreenHost& host) override;
    void endTuning() override;
    const QLabel* picture() const { return picture_; }

private:
    QLabel* picture_;
    IScreenHost* host_ = nullptr;
};

// Writes a serial number into a radio whose serial number is blank. While it is open the
// application's operations ask the radio through the normal-mode requests.
class CSerialNoProgram : public QWidget, public IScreenView {
    Q_OBJECT
public:
    explicit CSerialNoProgram(const QIcon& updatePicture, QWidget* parent = nullptr);
    ~CSerialNoProgram() override;
    QWidget* widget() override { return this; }
    bool attachScreen(IScreenHost& host) override;
    void endTuning() override;

    QLineEdit* serialEdit() const { return edit_; }
    QPushButton* updateButton() const { return update_; }

private:
    void update();
    void leaveNormalMode();

    QLabel* label_;
    QLineEdit* edit_;
    QPushButton* update_;
    IScreenHost* host_ = nullptr;
    // The radio is this screen's from its check to its close: no other program's request lands
    // between the check and the write.
    std::optional<flowPortLock> lock_;
};

} // namespace kavrin::screens
