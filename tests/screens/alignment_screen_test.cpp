// The alignment screens driven through their real widgets inside the application, against the
// virtual radio: what each screen sends on opening, stepping, keying, programming and closing,
// the limits of the bars, the Program checks, failures and a radio swapped on the bench.
#include "data/application_core.h"
#include "screens/alignment_screen.h"
#include "shell/application.h"
#include "shell/commands.h"
#include "support/isolated_settings.h"
#include "support/quiet_read.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>
#include <optional>

namespace kavrin::screens {
namespace {

using Trace = QStringList;

constexpr std::uint16_t kStandardChecksum = 0x1F6D;
constexpr std::uint16_t kExtendedChecksum = 0x3F6D;

} // namespace

class AlignmentScreenTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::isolateSettings(); }

    void init() {
        ports = std::make_unique<test::IsolatedPorts>();
        messages = std::make_unique<test::RecordingMessages>();
    }

    void cleanup() {
        app.reset();
        radio.reset();
        ports.reset();
    }

    // Every screen of the table: its opening requests, the rows it uses, its live request while
    // keyed (transmit) or on every step (squelch), Program's block offsets, checksums and cells,
    // and its closing requests without a dekey.
    void eachScreenOpensTunesProgramsAndCloses_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<Trace>("opening");
        QTest::addColumn<int>("keyUp"); // 0: no PTT
        QTest::addColumn<int>("dekey"); // 0: no PTT
        QTest::addColumn<int>("live");
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<Trace>("closing");

        const Trace plainOpen{"x17", "x0"};
        const Trace plainClose{"x1", "x22"};
        const Trace ktdOpen{"x17", "x0", "x27"};
        const Trace ktdClose{"x28", "x1", "x22"};
        QTest::newRow("CTxHighPower") << int(shell::kCmdTxHighPower) << false << plainOpen << 12
                                      << 13 << 8 << QList<int>{22, 24, 26, 28, 30} << plainClose;
        QTest::newRow("CTxLowPower") << int(shell::kCmdTxLowPower) << false << plainOpen << 12 << 13
                                     << 8 << QList<int>{23, 25, 27, 29, 31} << plainClose;
        QTest::newRow("CTxModulation125KHz")
            << int(shell::kCmdTxModulation125) << false << plainOpen << 12 << 13 << 9
            << QList<int>{2, 6, 10, 14, 18} << plainClose;
        QTest::newRow("CTxModulation20KHz")
            << int(shell::kCmdTxModulation20) << false << plainOpen << 12 << 13 << 9
            << QList<int>{4, 8, 12, 16, 20} << plainClose;
        QTest::newRow("CTxModulation25KHz")
            << int(shell::kCmdTxModulation25) << false << plainOpen << 12 << 13 << 9
            << QList<int>{3, 7, 11, 15, 19} << plainClose;
        QTest::newRow("CTxKtd125KHz") << int(shell::kCmdTxKtd125) << true << ktdOpen << 29 << 30
                                      << 31 << QList<int>{-1, -1, 62, -1, -1} << ktdClose;
        QTest::newRow("CTxKtd20KHz") << int(shell::kCmdTxKtd20) << true << ktdOpen << 29 << 30 << 31
                                     << QList<int>{-1, -1, 64, -1, -1} << ktdClose;
        QTest::newRow("CTxKtd25KHz") << int(shell::kCmdTxKtd25) << true << ktdOpen << 29 << 30 << 31
                                     << QList<int>{-1, -1, 63, -1, -1} << ktdClose;
        QTest::newRow("CRxSquelchNbandNormal")
            << int(shell::kCmdRxSquelchNbandNormal) << false << plainOpen << 0 << 0 << 7
            << QList<int>{32, 34, 36, 38, 40} << plainClose;
        QTest::newRow("CRxSquelchNbandTight")
            << int(shell::kCmdRxSquelchNbandTight) << false << plainOpen << 0 << 0 << 7
            << QList<int>{33, 35, 37, 39, 41} << plainClose;
        QTest::newRow("CRxSquelchSbandNormal")
            << int(shell::kCmdRxSquelchSbandNormal) << true << plainOpen << 0 << 0 << 7
            << QList<int>{42, 44, 46, 48, 50} << plainClose;
        QTest::newRow("CRxSquelchSbandTight")
            << int(shell::kCmdRxSquelchSbandTight) << false << plainOpen << 0 << 0 << 7
            << QList<int>{43, 45, 47, 49, 51} << plainClose;
        QTest::newRow("CRxSquelch20KbandNormal")
            << int(shell::kCmdRxSquelch20KbandNormal) << false << plainOpen << 0 << 0 << 7
            << QList<int>{52, 54, 56, 58, 60} << plainClose;
        QTest::newRow("CRxSquelch20KbandTight")
            << int(shell::kCmdRxSquelch20KbandTight) << false << plainOpen << 0 << 0 << 7
            << QList<int>{53, 55, 57, 59, 61} << plainClose;
    }

    void eachScreenOpensTunesProgramsAndCloses() {
        QFETCH(int, command);
        QFETCH(bool, extended);
        QFETCH(Trace, opening);
        QFETCH(int, keyUp);
        QFETCH(int, dekey);
        QFETCH(int, live);
        QFETCH(QList<int>, offsets);
        QFETCH(Trace, closing);
        startRead({"--layout", extended ? "extended" : "standard"});
        const auto& type = typeOf(command);

        auto mark = logSize();
        QVERIFY(app->openScreen(command));
        QCOMPARE(app->core().currentScreenId(), type.screenId);
        QCOMPARE(requestsSince(mark), opening);
        QVERIFY(messages->shown.empty());

        // The form: rows in use, their texts, the buttons of the form.
        const std::size_t first = type.middlePointOnly ? kMiddlePoint : 0;
        for (std::size_t i = 0; i < kRowCount; ++i) {
            const bool used = offsets[static_cast<qsizetype>(i)] >= 0;
            QCOMPARE(bar(i)->isEnabled(), used);
            QCOMPARE(edit(i, "working softpot")->isEnabled(), used);
            const auto cell = app->core().record().getCell(softpotCell(type, i));
            QCOMPARE(edit(i, "default softpot")->text(), used ? QString::number(cell) : QString());
            if (used) {
                QCOMPARE(bar(i)->value(), int(cell));
                QCOMPARE(
                    edit(i, "frequency")->text(),
                    QString::asprintf("%f", app->core().record().pointFrequency(type.points, i)));
            } else {
                QCOMPARE(edit(i, "frequency")->text(), QString("UNSUPPORTED"));
            }
        }
        QCOMPARE(edit(first, "working softpot"), screen()->window()->focusWidget());
        QCOMPARE(edit(first, "working softpot")->selectedText(),
                 edit(first, "working softpot")->text());
        QCOMPARE(control<QPushButton>("Program")->geometry(),
                 keyUp != 0 ? QRect(186, 224, 110, 28) : QRect(48, 224, 110, 28));
        QCOMPARE(control<QPushButton>("PTT Toggle") != nullptr, keyUp != 0);
        QCOMPARE(edit(first, "frequency")->geometry(), QRect(14, 40 + 34 * int(first), 150, 24));

        // A step: transmit screens send it live once keyed, squelch screens always.
        const int start = bar(first)->value();
        if (keyUp != 0) {
            mark = logSize();
            click("PTT Toggle");
            const auto keyed = requestsSince(mark);
            QVERIFY2(keyed.contains("x" + QString::number(keyUp)), qPrintable(keyed.join(' ')));
            QVERIFY(status().startsWith("Radio is currently keyed up at "));
        }
        mark = logSize();
        bar(first)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        auto stepped = requestsSince(mark);
        QCOMPARE(stepped.last(), QString("x%1=%2").arg(live).arg(start + 1));
        QCOMPARE(edit(first, "working softpot")->text(), QString::number(start + 1));

        // Program: the confirmation, the dekey first, then per row its byte and the checksum.
        messages->answers = {Answer::Ok};
        mark = logSize();
        click("Program");
        QCOMPARE(messages->shown.back().text,
                 std::string("Commit new softpot value? Softpot Value Range (0-63)"));
        const auto programmed = requestsSince(mark);
        if (dekey != 0) {
            QCOMPARE(programmed.at(1), QString("x%1").arg(dekey));
            QCOMPARE(status(), QString("Radio is currently dekeyed"));
        }
        const int block = extended ? 0x3F00 : 0x1F00;
        const int checksum = extended ? kExtendedChecksum : kStandardChecksum;
        QStringList writes;
        QStringList expected;
        for (const auto& entry : programmed) {
            if (entry.startsWith('w')) {
                writes << entry.section('=', 0, 0);
            }
        }
        for (std::size_t i = 0; i < kRowCount; ++i) {
            const int offset = offsets[static_cast<qsizetype>(i)];
            if (offset < 0) {
                continue;
            }
            expected << QString("w%1").arg(block + offset) << QString("w%1").arg(checksum);
            QCOMPARE(app->core().record().getCell(softpotCell(type, i)),
                     edit(i, "working softpot")->text().toUInt());
            QCOMPARE(app->core().operations().blockImage()[std::size_t(offset)],
                     edit(i, "working softpot")->text().toUInt());
        }
        QCOMPARE(writes, expected);
        QCOMPARE(app->core().record().getCell(softpotCell(type, first)), std::uint32_t(start + 1));
        QCOMPARE(lastWrite(checksum), int(app->core().operations().blockImageChecksum()));

        // Closing while keyed: out of test mode, no dekey.
        if (keyUp != 0) {
            click("PTT Toggle");
            QVERIFY(status().startsWith("Radio is currently keyed up at "));
        }
        mark = logSize();
        app->screenFrame()->close();
        QCOMPARE(requestsSince(mark), closing);
        QCOMPARE(app->core().currentScreenId(), 0);
    }

    // A softpot above 63 is clamped in the record; rows without a point are unsupported; with no
    // point at all Program changes nothing.
    void recordEdgesAtOpening() {
        startRead();
        auto& record = app->core().record();
        record.setCell(softpotCell(alignmentType(AlignmentType::TxHighPower), 0), 70);
        record.setCell(pointCell(PointGroup::TxPower, 3), 0);
        QVERIFY(app->openScreen(shell::kCmdTxHighPower));
        QCOMPARE(edit(0, "default softpot")->text(), QString("63"));
        QCOMPARE(bar(0)->value(), 63);
        QCOMPARE(record.getCell(softpotCell(alignmentType(AlignmentType::TxHighPower), 0)), 63u);
        QCOMPARE(edit(3, "frequency")->text(), QString("UNSUPPORTED"));
        QVERIFY(!bar(3)->isEnabled());
        QVERIFY(!control<QScrollBar>("F4 softpot arrows")->isEnabled());
        app->closeScreen();

        for (std::size_t i = 0; i < kPointCount; ++i) {
            record.setCell(pointCell(PointGroup::Receive, i), 0);
        }
        QVERIFY(app->openScreen(shell::kCmdRxSquelchNbandNormal));
        for (std::size_t i = 0; i < kRowCount; ++i) {
            QCOMPARE(edit(i, "frequency")->text(), QString("UNSUPPORTED"));
            QVERIFY(!bar(i)->isEnabled());
            QVERIFY(!edit(i, "working softpot")->isEnabled());
        }
        QCOMPARE(status(), QString("No Frequency Tuning Point is currently selected"));
        messages->answers = {Answer::Ok};
        const auto mark = logSize();
        click("Program");
        QCOMPARE(requestsSince(mark), (Trace{"x17"}));
    }

    // Each way of moving a value, at the limits: squelch screens send every value they apply.
    void stepsStayWithin0To63_data() {
        QTest::addColumn<int>("startValue");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("applied");
        QTest::newRow("line right at 63") << 63 << "line+" << 63;
        QTest::newRow("line left at 0") << 0 << "line-" << 0;
        QTest::newRow("page left at 3") << 3 << "page-" << 0;
        QTest::newRow("page right at 60") << 60 << "page+" << 63;
        QTest::newRow("arrow up at 63") << 63 << "up" << 63;
        QTest::newRow("arrow up at 10") << 10 << "up" << 11;
        QTest::newRow("arrow down at 10") << 10 << "down" << 9;
        QTest::newRow("Enter 99") << 10 << "99" << 63;
        QTest::newRow("Enter 7") << 10 << "7" << 7;
        QTest::newRow("assistive tool sets 42") << 10 << "set" << 42;
    }

    void stepsStayWithin0To63() {
        QFETCH(int, startValue);
        QFETCH(QString, how);
        QFETCH(int, applied);
        startRead();
        const auto cell = softpotCell(alignmentType(AlignmentType::RxSquelchNbandNormal), 1);
        app->core().record().setCell(cell, std::uint32_t(startValue));
        QVERIFY(app->openScreen(shell::kCmdRxSquelchNbandNormal));
        const auto mark = logSize();
        auto* arrows = control<QScrollBar>("F2 softpot arrows");
        if (how == "line+") {
            bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        } else if (how == "line-") {
            bar(1)->triggerAction(QAbstractSlider::SliderSingleStepSub);
        } else if (how == "page+") {
            bar(1)->triggerAction(QAbstractSlider::SliderPageStepAdd);
        } else if (how == "page-") {
            bar(1)->triggerAction(QAbstractSlider::SliderPageStepSub);
        } else if (how == "up") {
            arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
        } else if (how == "down") {
            arrows->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        } else if (how == "set") {
            bar(1)->setValue(42);
        } else {
            edit(1, "working softpot")->setText(how);
            QTest::keyClick(edit(1, "working softpot"), Qt::Key_Return);
        }
        const double mhz = app->core().record().pointFrequency(PointGroup::Receive, 1);
        QCOMPARE(requestsSince(mark),
                 (Trace{"x17", QString("x6@%1").arg(mhz, 0, 'f', 3),
                        "x7=" + QString::number(startValue), "x7=" + QString::number(applied)}));
        QCOMPARE(bar(1)->value(), applied);
        QCOMPARE(edit(1, "working softpot")->text(), QString::number(applied));
        QCOMPARE(arrows->value(), arrows->maximum() / 2);
        QCOMPARE(status(), QString::asprintf("Point %fMHz is currently being tuned", mhz));
        QCOMPARE(app->core().record().getCell(cell), std::uint32_t(startValue));
    }

    // Dragging shows the value only; the release applies it.
    void thumbTrackingSendsNothingAndReleaseApplies() {
        startRead();
        QVERIFY(app->openScreen(shell::kCmdRxSquelchNbandTight));
        const auto mark = logSize();
        bar(2)->setSliderDown(true);
        bar(2)->setSliderPosition(30);
        QCOMPARE(edit(2, "working softpot")->text(), QString("30"));
        QCOMPARE(requestsSince(mark), Trace{});
        bar(2)->setSliderDown(false);
        const auto applied = requestsSince(mark);
        QCOMPARE(applied.size(), 4);
        QCOMPARE(applied.last(), QString("x7=30"));
        QCOMPARE(bar(2)->value(), 30);
    }

    // Keyed at row 2: row 2's steps go out live; a step on row 4 dekeys and tunes row 4
    // without keying; closing sends no dekey.
    void movingToAnotherPointWhileKeyedDekeysFirst() {
        startRead();
        QVERIFY(app->openScreen(shell::kCmdTxHighPower));
        bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const int row2 = bar(1)->value();
        auto mark = logSize();
        click("PTT Toggle");
        const double f2 = app->core().record().pointFrequency(PointGroup::TxPower, 1);
        QCOMPARE(requestsSince(mark),
                 (Trace{QString("x6@%1").arg(f2, 0, 'f', 3),
                        "x9=" + QString::number(app->core().record().getCell(2, 1)),
                        "x8=" + QString::number(app->core().record().getCell(1, 1)), "x12",
                        "x8=" + QString::number(row2)}));
        QCOMPARE(status(), QString::asprintf("Radio is currently keyed up at %fMHz", f2));
        mark = logSize();
        bar(1)->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(requestsSince(mark), (Trace{"x17", "x8=" + QString::number(row2 - 5)}));

        mark = logSize();
        bar(3)->triggerAction(QAbstractSlider::SliderSingleStepSub);
        const auto moved = requestsSince(mark);
        QCOMPARE(moved.at(0), QString("x13"));
        QCOMPARE(moved.at(1), QString("x17"));
        const double f4 = app->core().record().pointFrequency(PointGroup::TxPower, 3);
        QCOMPARE(moved.at(2), QString("x6@%1").arg(f4, 0, 'f', 3));
        QVERIFY(!moved.contains("x12"));
        QCOMPARE(moved.size(), 5); // assignFrequency's two softpots, no live value
        QCOMPARE(status(), QString("Radio is currently dekeyed"));
    }

    // Program checks the rows in order and stops at the first invalid one.
    void programStopsAtTheFirstInvalidRow_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::newRow("99") << "99"
                            << "Program softpots aborted for Tx Modulation !! Illegal softpot value"
                            << int(MessageIcon::Exclamation);
        QTest::newRow("empty") << ""
                               << "Please enter a valid Tx Modulation softpot value!!"
                               << int(MessageIcon::Information);
    }

    void programStopsAtTheFirstInvalidRow() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, icon);
        startRead();
        const auto& type = alignmentType(AlignmentType::TxModulation20KHz);
        QVERIFY(app->openScreen(shell::kCmdTxModulation20));
        const auto row2Before = app->core().record().getCell(softpotCell(type, 1));
        edit(0, "working softpot")->setText("5");
        edit(1, "working softpot")->setText(typed);
        edit(2, "working softpot")->setText("6");
        messages->answers = {Answer::Ok};
        const auto mark = logSize();
        click("Program");
        QCOMPARE(messages->shown.back(),
                 (test::ShownMessage{message.toStdString(), "ERROR", MessageIcon(icon), false}));
        QStringList writes;
        for (const auto& entry : requestsSince(mark)) {
            if (entry.startsWith('w')) {
                writes << entry;
            }
        }
        QCOMPARE(writes, (Trace{"w7940=05", QString("w%1=").arg(kStandardChecksum) +
                                                lastWriteHex(kStandardChecksum)}));
        QCOMPARE(app->core().record().getCell(softpotCell(type, 0)), 5u);
        QCOMPARE(app->core().record().getCell(softpotCell(type, 1)), row2Before);
        QCOMPARE(app->core().record().getCell(softpotCell(type, 2)),
                 std::uint32_t(bar(2)->value()));
        QCOMPARE(edit(1, "working softpot")->text(), QString::number(row2Before));
        QCOMPARE(edit(1, "default softpot")->text(), QString::number(row2Before));
        QCOMPARE(bar(1)->value(), int(row2Before));
    }

    // A refused or unanswered request: the message, and the screen back at the values the
    // radio has.
    void failedRequestsRestoreTheRows_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("refused setPowerSoftpot") << QStringList{"--refuse", "8"};
        QTest::newRow("radio stops answering") << QStringList{"--mute-after", "6"};
    }

    void failedRequestsRestoreTheRows() {
        QFETCH(QStringList, faults);
        startRead();
        radio = std::make_unique<test::SimRadio>(*ports, faults);
        QVERIFY(app->openScreen(shell::kCmdTxHighPower));
        const int before = bar(0)->value();
        bar(0)->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(messages->shown.back(), (test::ShownMessage{"Radio Communication Error!!", "ERROR",
                                                             MessageIcon::Exclamation, false}));
        QCOMPARE(bar(0)->value(), before);
        QCOMPARE(edit(0, "working softpot")->text(), QString::number(before));

        if (faults.first() == "--refuse") {
            edit(0, "working softpot")->setText("9");
            edit(1, "working softpot")->setText("9");
            messages->answers = {Answer::Ok};
            click("Program");
            QCOMPARE(messages->texts().back(), std::string("Radio Communication Error!!"));
            QCOMPARE(edit(0, "working softpot")->text(), QString::number(before));
            QCOMPARE(edit(0, "default softpot")->text(), QString::number(before));
            QCOMPARE(edit(1, "working softpot")->text(), QString::number(bar(1)->value()));
            QCOMPARE(app->core().record().getCell(1, 0), std::uint32_t(before));
            // The link of the failed action was closed: the next one opens.
            const auto mark = logSize();
            app->closeScreen();
            QCOMPARE(requestsSince(mark), (Trace{"x1", "x22"}));
        }
    }

    // With a channel option the other power level's byte is written too, and the checksum
    // written after it covers both bytes.
    void channelOptionChecksumCoversBothLevels() {
        startRead();
        app->core().record().setChannelOption(1);
        QVERIFY(app->openScreen(shell::kCmdTxLowPower));
        for (std::size_t i = 0; i < kRowCount; ++i) {
            edit(i, "working softpot")->setText(QString::number(10 + i));
        }
        messages->answers = {Answer::Ok};
        const auto mark = logSize();
        click("Program");
        QStringList firstRow;
        for (const auto& entry : requestsSince(mark)) {
            if (entry.startsWith('w') && firstRow.size() < 3) {
                firstRow << entry.section('=', 0, 0);
            }
        }
        QCOMPARE(firstRow, (Trace{"w7959", "w7958", QString("w%1").arg(kStandardChecksum)}));
        const auto& block = app->core().operations().blockImage();
        for (std::size_t i = 0; i < kRowCount; ++i) {
            QCOMPARE(block[22 + 2 * i], std::uint8_t(10 + i));
            QCOMPARE(block[23 + 2 * i], std::uint8_t(10 + i));
        }
        QCOMPARE(lastWrite(kStandardChecksum), int(blockChecksum(block)));
    }

    // A radio that refuses the test mode: the message, then the screen closes again at once and
    // still takes the radio out of its test state.
    void aRefusedOpeningClosesTheScreenAgain() {
        startRead();
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--refuse", "0"});
        QVERIFY(app->openScreen(shell::kCmdRxSquelchSbandTight));
        QCOMPARE(messages->texts(), std::vector<std::string>{"Radio Communication Error!!"});
        QCOMPARE(app->core().currentScreenId(), 0);
        QVERIFY(app->screenFrame() == nullptr);
        QCOMPARE(requestsSince(0), (Trace{"x17", "x0", "x1", "x22"}));
    }

    // A different radio on the bench: at opening the screen does not open; during a row action
    // the step stops after showing the value.
    void aDifferentRadioIsNoticed() {
        startRead();
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--serial", "ZZ99999999"});
        QVERIFY(!app->openScreen(shell::kCmdTxLowPower));
        QCOMPARE(messages->shown.back(),
                 (test::ShownMessage{"Serial No. mismatch!! Read in new radio?", "WARNING",
                                     MessageIcon::Information, true}));
        QCOMPARE(app->core().currentScreenId(), 0);
        QVERIFY(app->screenFrame() == nullptr);

        radio = std::make_unique<test::SimRadio>(*ports);
        QVERIFY(app->openScreen(shell::kCmdTxLowPower));
        radio = std::make_unique<test::SimRadio>(*ports, QStringList{"--serial", "ZZ99999999"});
        const int before = bar(2)->value();
        auto mark = logSize();
        bar(2)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(messages->texts().back(), std::string("Serial No. mismatch!! Read in new radio?"));
        QCOMPARE(requestsSince(mark), Trace{"x17"});
        QCOMPARE(bar(2)->value(), before + 1);
        QVERIFY(app->screenFrame() != nullptr);

        messages->answers = {Answer::Ok};
        bar(2)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(app->screenFrame() == nullptr);
        QVERIFY(app->progressView() != nullptr);
    }

    // Every way out of the program ends an open screen's tuning as closing it does, also with
    // the radio keyed: File > Exit and the window's close box.
    void leavingTheProgramEndsTuning_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("exitCommand");
        QTest::addColumn<Trace>("closing");
        QTest::newRow("Exit, keyed transmit screen")
            << int(shell::kCmdTxHighPower) << true << Trace{"x1", "x22"};
        QTest::newRow("Exit, keyed signalling screen")
            << int(shell::kCmdTxKtd125) << true << Trace{"x28", "x1", "x22"};
        QTest::newRow("close box, keyed signalling screen")
            << int(shell::kCmdTxKtd25) << false << Trace{"x28", "x1", "x22"};
    }

    void leavingTheProgramEndsTuning() {
        QFETCH(int, command);
        QFETCH(bool, exitCommand);
        QFETCH(Trace, closing);
        startRead({"--layout", "extended"});
        QVERIFY(app->openScreen(command));
        click("PTT Toggle");
        QVERIFY(status().startsWith("Radio is currently keyed up"));
        const auto mark = logSize();
        if (exitCommand) {
            app->runCommand(shell::kCmdExit);
        } else {
            app->mainFrame()->close();
        }
        QCOMPARE(requestsSince(mark), closing);
        QCOMPARE(app->core().currentScreenId(), 0);
        app.reset();
        QCOMPARE(requestsSince(mark), closing);
    }

    // With the cable pulled, a held arrow, a page click, held spin arrows or Enter each show the
    // failure once: the boxes swallow the mouse release, so the repeat must end with the action.
    void aPulledCableStopsTheRepeat_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("held bar arrow") << "arrow";
        QTest::newRow("page click") << "page";
        QTest::newRow("held spin arrow") << "spin";
        QTest::newRow("Enter") << "enter";
    }

    void aPulledCableStopsTheRepeat() {
        QFETCH(QString, how);
        startRead();
        QVERIFY(app->openScreen(shell::kCmdRxSquelchNbandNormal));
        const int before = bar(0)->value();
        radio.reset();
        QScrollBar* held = nullptr;
        QPoint at;
        if (how == "arrow" || how == "page") {
            held = bar(0);
            at = how == "arrow" ? QPoint(held->width() - 4, held->height() / 2)
                                : QPoint(held->width() * 3 / 4, held->height() / 2);
            bar(0)->setValue(bar(0)->minimum()); // leave room to the right of the thumb
        } else if (how == "spin") {
            held = control<QScrollBar>("F1 softpot arrows");
            at = QPoint(held->width() / 2, 2);
        }
        messages->shown.clear();
        if (held != nullptr) {
            QTest::mousePress(held, Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(edit(0, "working softpot"), Qt::Key_Return);
        }
        // Longer than the repeat's first delay and several of its periods.
        QTest::qWait(1200);
        if (held != nullptr) {
            QTest::mouseRelease(held, Qt::LeftButton, {}, at);
        }
        QCOMPARE(messages->texts(),
                 (std::vector<std::string>{
                     "No device detected. Please check the connection.",
                     "COM Port is currently in use by another application or radio isn't "
                     "connected"}));
        if (how != "arrow" && how != "page") {
            QCOMPARE(bar(0)->value(), before);
        }
        app->closeScreen();
    }

    // The keyboard on the spin arrows goes the way the arrows point.
    void spinArrowKeysFollowTheArrows() {
        startRead();
        const auto cell = softpotCell(alignmentType(AlignmentType::RxSquelchNbandTight), 0);
        app->core().record().setCell(cell, 20);
        QVERIFY(app->openScreen(shell::kCmdRxSquelchNbandTight));
        auto* arrows = control<QScrollBar>("F1 softpot arrows");
        const std::vector<std::pair<Qt::Key, int>> keys{
            {Qt::Key_Up, 21}, {Qt::Key_Right, 22}, {Qt::Key_Down, 21}, {Qt::Key_Left, 20}};
        for (const auto& [key, expected] : keys) {
            arrows->setFocus();
            QTest::keyClick(arrows, key);
            QCOMPARE(bar(0)->value(), expected);
            QCOMPARE(edit(0, "working softpot")->text(), QString::number(expected));
        }
        QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, 2));
        QCOMPARE(bar(0)->value(), 21);
    }

    // A radio left keyed is dekeyed by the watchdog with PTT Toggle's request; the note goes to
    // the main window's status bar.
    void theWatchdogDekeysAnIdleTransmitter() {
        QSettings(shell::kSettingsOrganization, shell::kSettingsApplication)
            .setValue(shell::kWatchdogKey, 1);
        startRead();
        QVERIFY(app->openScreen(shell::kCmdTxLowPower));
        click("PTT Toggle");
        const auto mark = logSize();
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Radio is currently dekeyed"), 5000);
        QCOMPARE(requestsSince(mark), Trace{"x13"});
        QCOMPARE(app->mainFrame()->statusText(),
                 QString("Transmitter dekeyed after 1 s without activity"));
        QSettings(shell::kSettingsOrganization, shell::kSettingsApplication)
            .remove(shell::kWatchdogKey);
    }

    // The status line is read-only but not greyed out, and a keyed radio stands out on a red
    // field until it is dekeyed, whichever way that happens.
    void theStatusLineShowsAKeyedRadioOnRed_data() {
        QTest::addColumn<QString>("dekeyBy");
        QTest::newRow("PTT Toggle") << "PTT Toggle";
        QTest::newRow("Program") << "Program";
        QTest::newRow("watchdog") << "watchdog";
    }

    void theStatusLineShowsAKeyedRadioOnRed() {
        QFETCH(QString, dekeyBy);
        QSettings settings(shell::kSettingsOrganization, shell::kSettingsApplication);
        settings.setValue(shell::kWatchdogKey, dekeyBy == "watchdog" ? 1 : 0);
        startRead();
        QVERIFY(app->openScreen(shell::kCmdTxHighPower));
        auto* line = control<QLineEdit>("Status line");
        QVERIFY(line->isEnabled());
        QVERIFY(line->isReadOnly());
        const QColor normal = fieldColour(line);
        QVERIFY2(!isRed(normal), qPrintable(normal.name()));

        click("PTT Toggle");
        QVERIFY(status().startsWith("Radio is currently keyed up at "));
        QVERIFY2(isRed(fieldColour(line)), qPrintable(fieldColour(line).name()));
        QVERIFY(line->isEnabled());
        QCOMPARE(line->accessibleDescription(), QString("Transmitting"));

        if (dekeyBy == "watchdog") {
            QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Radio is currently dekeyed"), 5000);
        } else {
            messages->answers = {Answer::Ok};
            click(qPrintable(dekeyBy));
            QCOMPARE(status(), QString("Radio is currently dekeyed"));
        }
        QCOMPARE(fieldColour(line), normal);
        QCOMPARE(line->accessibleName(), QString("Status line"));
        QVERIFY(line->accessibleDescription().isEmpty());
        settings.remove(shell::kWatchdogKey);
    }

private:
    // The colour of the status line's field where no text is drawn, as it is painted.
    static QColor fieldColour(QLineEdit* line) {
        const auto image = line->grab().toImage();
        return image.pixelColor(image.width() - 8, image.height() / 2);
    }
    static bool isRed(const QColor& colour) {
        return colour.red() > 160 && colour.green() < 80 && colour.blue() < 80;
    }

    void startRead(const QStringList& options = {}) {
        radio = std::make_unique<test::SimRadio>(*ports, options);
        const auto read = test::readQuietly();
        QVERIFY(read);
        readRecord = read->record;
        image = read->image;
        app = std::make_unique<shell::CPelionTunerApp>(QStringList{"kavrin"},
                                                       shell::AppSeams{messages.get(), nullptr});
        QVERIFY(app->initInstance());
        app->core().record() = readRecord;
        app->core().operations().blockImage() = image;
        app->core().readSucceeded();
        messages->shown.clear();
    }

    static const AlignmentTypeInfo& typeOf(int command) {
        for (const auto& type : kAlignmentTypes) {
            if (type.menuCommand == command) {
                return type;
            }
        }
        return kAlignmentTypes.front();
    }

    QWidget* screen() const { return app->screenFrame()->widget(); }

    template <typename Widget> Widget* control(const QString& name) const {
        for (auto* widget : screen()->findChildren<Widget*>()) {
            if (widget->accessibleName() == name) {
                return widget;
            }
        }
        return nullptr;
    }
    QScrollBar* bar(std::size_t row) const {
        return control<QScrollBar>(QString("F%1 softpot bar").arg(row + 1));
    }
    QLineEdit* edit(std::size_t row, const char* role) const {
        return control<QLineEdit>(QString("F%1 %2").arg(row + 1).arg(role));
    }
    QString status() const { return control<QLineEdit>("Status line")->text(); }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    std::size_t logSize() const { return radio->log().size(); }

    // The radio's log since a mark, compactly: "x17" (execute 17), "x8=40" (a softpot value),
    // "x6@150.000" (a test channel), "w8045=5c" (a codeplug write).
    Trace requestsSince(std::size_t mark) const {
        Trace out;
        const auto events = radio->log();
        for (std::size_t i = mark; i < events.size(); ++i) {
            const auto& event = events[i];
            if (event.kind == test::RadioEvent::Kind::Execute) {
                auto text = "x" + QString::number(event.request.value_or(-1));
                if (event.value) {
                    text += "=" + QString::number(*event.value);
                } else if (event.secondMHz) {
                    text += "@" + QString::number(*event.secondMHz, 'f', 3);
                }
                out << text;
            } else if (event.kind == test::RadioEvent::Kind::Write) {
                out << "w" + QString::number(event.offset.value_or(-1)) + "=" +
                           QString::fromStdString(event.bytes);
            }
        }
        return out;
    }
    QString lastWriteHex(int offset) const {
        QString last;
        for (const auto& event : radio->log()) {
            if (event.kind == test::RadioEvent::Kind::Write && event.offset == offset) {
                last = QString::fromStdString(event.bytes);
            }
        }
        return last;
    }
    int lastWrite(int offset) const { return lastWriteHex(offset).toInt(nullptr, 16); }

    radioRecord readRecord;
    BlockImage image{};
    std::unique_ptr<test::IsolatedPorts> ports;
    std::unique_ptr<test::RecordingMessages> messages;
    std::unique_ptr<test::SimRadio> radio;
    std::unique_ptr<shell::CPelionTunerApp> app;
};

} // namespace kavrin::screens

QTEST_MAIN(kavrin::screens::AlignmentScreenTest)
#include "alignment_screen_test.moc"
