// kavrin-cli tune against the alignment screen: the same steps, taken once through the screen's
// widgets inside the application and once on the command line, each against a fresh virtual
// radio started alike, send the radio the same requests with the same data from the screen's
// opening to its closing.
#include "data/application_core.h"
#include "data/archive.h"
#include "shell/application.h"
#include "support/isolated_settings.h"
#include "support/quiet_read.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace kavrin::screens {

class TuneParityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::isolateSettings(); }

    void commandLineSendsWhatTheScreenSends_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("point"); // 0: the one the screen selects when it shows
        QTest::addColumn<bool>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("transmit") << "tx-mod-25"
                                  << "standard" << 0 << true << "17";
        QTest::newRow("signalling") << "ktd-20"
                                    << "extended" << 0 << true << "45";
        // A value above 63 becomes what Enter makes of it on both sides.
        QTest::newRow("receive") << "squelch-20-tight"
                                 << "standard" << 4 << false << "99";
    }

    void commandLineSendsWhatTheScreenSends() {
        QFETCH(QString, screen);
        QFETCH(QString, layout);
        QFETCH(int, point);
        QFETCH(bool, key);
        QFETCH(QString, value);
        const auto* type = typeOfCliName(screen.toStdString());
        QVERIFY(type != nullptr);
        const QStringList radioOptions{"--layout", layout};
        test::IsolatedPorts ports;
        QTemporaryDir dir;
        const auto archive = dir.filePath("radio.spa");
        {
            test::SimRadio radio(ports, radioOptions);
            QVERIFY(saveArchiveOf(archive));
        }

        std::vector<test::RadioEvent> onScreen;
        {
            test::SimRadio radio(ports, radioOptions);
            test::RecordingMessages messages;
            shell::CPelionTunerApp app(QStringList{"kavrin"}, shell::AppSeams{&messages, nullptr});
            QVERIFY(app.initInstance());
            QVERIFY(app.core().loadArchiveByName(archive.toStdString()));
            QVERIFY(radio.log().empty());
            QVERIFY(app.openScreen(type->menuCommand));
            auto* form = app.screenFrame()->widget();
            if (key) {
                QTest::mouseClick(control<QPushButton>(form, "PTT Toggle"), Qt::LeftButton);
            }
            const std::size_t row = point != 0              ? std::size_t(point - 1)
                                    : type->middlePointOnly ? kMiddlePoint
                                                            : 0;
            auto* working = control<QLineEdit>(form, QString("F%1 working softpot").arg(row + 1));
            working->setText(value);
            QTest::keyClick(working, Qt::Key_Return);
            messages.answers = {Answer::Ok};
            QTest::mouseClick(control<QPushButton>(form, "Program"), Qt::LeftButton);
            app.screenFrame()->close();
            QCOMPARE(app.core().currentScreenId(), 0);
            onScreen = radio.log();
        }

        std::vector<test::RadioEvent> onCommandLine;
        {
            test::SimRadio radio(ports, radioOptions);
            QStringList arguments{"tune", screen, "--archive", archive};
            if (point != 0) {
                arguments << "--point" << QString::number(point);
            }
            if (key) {
                arguments << "--key";
            }
            arguments << "--value" << value << "--program"
                      << "--yes";
            QProcess cli;
            cli.start(KAVRIN_CLI_PATH, arguments);
            QVERIFY(cli.waitForFinished(20000));
            QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
            onCommandLine = radio.log();
        }

        // Programming happened, so the comparison covers every step.
        QVERIFY(std::any_of(onScreen.begin(), onScreen.end(), [](const test::RadioEvent& event) {
            return event.kind == test::RadioEvent::Kind::Write;
        }));
        QVERIFY2(onCommandLine == onScreen, qPrintable("command line:\n" + lines(onCommandLine) +
                                                       "screen:\n" + lines(onScreen)));
    }

private:
    // The radio read without its pauses, saved as the archive both sides start from.
    static bool saveArchiveOf(const QString& path) {
        const auto read = test::readQuietly();
        return read && saveArchive(path.toStdString(), read->record, 321);
    }

    template <typename Widget> static Widget* control(QWidget* form, const QString& name) {
        for (auto* widget : form->findChildren<Widget*>()) {
            if (widget->accessibleName() == name) {
                return widget;
            }
        }
        return nullptr;
    }

    static QString lines(const std::vector<test::RadioEvent>& events) {
        QString text;
        for (const auto& event : events) {
            text += QString::fromStdString(event.line) + '\n';
        }
        return text;
    }
};

} // namespace kavrin::screens

QTEST_MAIN(kavrin::screens::TuneParityTest)
#include "tune_parity_test.moc"
