// The fixed texts of every form screen and of the progress screen, measured in the font they are
// drawn with against the room their labels have inside the frames the application gives them:
// none is cut off, none runs into another text or a control, none leaves its frame.
#include "screens/alignment_screen.h"
#include "screens/utility_screens.h"
#include "shell/application.h"
#include "shell/commands.h"
#include "shell/frames.h"
#include "shell/progress_view.h"
#include "support/isolated_settings.h"
#include "support/recording_messages.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QStyle>
#include <QtTest>
#include <functional>
#include <memory>

namespace kavrin::screens {
namespace {

// The frame of the progress screen inside the main window, as the application places it.
constexpr QSize kProgressFrameSize{458, 388};

// The texts the flows show on the progress screen: the widest of each kind.
const QStringList kPercentTexts{"3% Complete", "52% done", "100% Complete"};

struct Placed {
    QLabel* label;
    QRect textRect; // where its text is drawn, in the screen's coordinates
};

// The room a label's text has, and what its text needs there. A wrapping label may take as
// many lines as its height holds; any other label has one line.
QStringList checkLabel(const QLabel& label, const QWidget& screen, QRect* drawn) {
    QStringList faults;
    const QFontMetrics metrics(label.font());
    const int margin = label.margin();
    const QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    const auto text = label.text();
    QRect needed;
    if (label.wordWrap()) {
        needed = metrics.boundingRect(room, static_cast<int>(label.alignment()) | Qt::TextWordWrap,
                                      text);
        if (needed.width() > room.width() || needed.height() > room.height()) {
            faults << QString("\"%1\" needs %2x%3 wrapped, has %4x%5")
                          .arg(text)
                          .arg(needed.width())
                          .arg(needed.height())
                          .arg(room.width())
                          .arg(room.height());
        }
    } else {
        const int advance = metrics.horizontalAdvance(text);
        if (advance > room.width() || metrics.height() > room.height()) {
            faults << QString("\"%1\" needs %2x%3, has %4x%5")
                          .arg(text)
                          .arg(advance)
                          .arg(metrics.height())
                          .arg(room.width())
                          .arg(room.height());
        }
        needed = QStyle::alignedRect(label.layoutDirection(), label.alignment(),
                                     QSize(std::min(advance, room.width()), room.height()), room);
    }
    *drawn = needed.translated(label.mapTo(&screen, QPoint(0, 0)));
    return faults;
}

// Every fault of the screen's text labels (pictures are labels without text).
QStringList cutTexts(QWidget& screen) {
    QStringList faults;
    std::vector<Placed> placed;
    const QRect inside = screen.rect();
    for (auto* label : screen.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(&screen)) {
            continue;
        }
        QRect drawn;
        faults << checkLabel(*label, screen, &drawn);
        const QRect box(label->mapTo(&screen, QPoint(0, 0)), label->size());
        if (!inside.contains(box)) {
            faults << QString("\"%1\" at (%2,%3 %4x%5) leaves the screen (%6x%7)")
                          .arg(label->text())
                          .arg(box.x())
                          .arg(box.y())
                          .arg(box.width())
                          .arg(box.height())
                          .arg(inside.width())
                          .arg(inside.height());
        }
        placed.push_back({label, drawn});
    }
    // Nor may a text hide under a control, or a control under a text.
    for (const auto& [label, textRect] : placed) {
        for (auto* control : screen.findChildren<QWidget*>()) {
            if (qobject_cast<QLabel*>(control) != nullptr || !control->isVisibleTo(&screen) ||
                control->parentWidget() != label->parentWidget()) {
                continue;
            }
            const QRect box(control->mapTo(&screen, QPoint(0, 0)), control->size());
            if (box.intersects(textRect)) {
                faults << QString("\"%1\" runs into the control \"%2\"")
                              .arg(label->text(), control->accessibleName());
            }
        }
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            if (placed[i].textRect.intersects(placed[j].textRect)) {
                faults << QString("\"%1\" runs into \"%2\"")
                              .arg(placed[i].label->text(), placed[j].label->text());
            }
        }
    }
    return faults;
}

} // namespace

class ScreenTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::isolateSettings(); }

    void everyStaticTextIsReadableInFull_data() {
        QTest::addColumn<int>("command");
        for (const auto& type : kAlignmentTypes) {
            QTest::newRow(type.className.data()) << type.menuCommand;
        }
        QTest::newRow("CSerialNoProgram") << int(shell::kCmdProgramSerialNo);
    }

    void everyStaticTextIsReadableInFull() {
        QFETCH(int, command);
        const auto* placement = shell::screenCommand(command);
        QVERIFY(placement != nullptr);
        QWidget* screen = nullptr;
        if (command == shell::kCmdProgramSerialNo) {
            screen = new CSerialNoProgram(QIcon());
        } else {
            for (auto& [menuCommand, factory] : alignmentScreenFactories(QIcon(), QIcon())) {
                if (menuCommand == command) {
                    screen = factory()->widget();
                }
            }
        }
        QVERIFY(screen != nullptr);
        const auto faults = inFrame(
            screen, QSize(placement->right - placement->left, placement->bottom - placement->top));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    void progressTextsAreReadableInFull_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("reading") << QString(shell::kReadingText);
        QTest::newRow("writing") << QString(shell::kWritingText);
    }

    void progressTextsAreReadableInFull() {
        QFETCH(QString, operation);
        auto* view = new shell::CSplashRWView;
        view->setSources(QString(), operation);
        QMdiArea area;
        area.resize(1000, 800);
        auto* frame = new shell::CCommonSplashFrame;
        area.addSubWindow(frame);
        frame->setWidget(view);
        frame->resize(kProgressFrameSize);
        area.show();
        frame->show();
        view->initialUpdate();
        QCoreApplication::processEvents();
        for (const auto& percent : kPercentTexts) {
            view->setPercentText(percent.toStdString());
            const auto faults = cutTexts(*view);
            QVERIFY2(faults.isEmpty(), qPrintable(percent + ": " + faults.join("; ")));
        }
    }

    // The set-up screen's texts are in its picture: the whole picture shows in the frame.
    void radioSetupShowsItsWholePicture() {
        test::RecordingMessages messages;
        shell::CPelionTunerApp app({"kavrin"}, shell::AppSeams{&messages, nullptr});
        QVERIFY(app.initInstance());
        QVERIFY(app.openScreen(shell::kCmdRadioSetup));
        QCoreApplication::processEvents();
        auto* screen = app.screenFrame()->widget();
        auto* picture = screen->findChild<QLabel*>("setupPicture");
        QVERIFY(picture != nullptr);
        QVERIFY(!picture->pixmap().isNull());
        const QRect shown(picture->mapTo(screen, QPoint(0, 0)), picture->size());
        QVERIFY2(screen->rect().contains(shown),
                 qPrintable(QString("picture %1x%2 at (%3,%4) in %5x%6")
                                .arg(shown.width())
                                .arg(shown.height())
                                .arg(shown.x())
                                .arg(shown.y())
                                .arg(screen->width())
                                .arg(screen->height())));
        QVERIFY(picture->contentsRect().width() >= picture->pixmap().width());
        QVERIFY(picture->contentsRect().height() >= picture->pixmap().height());
        const auto faults = cutTexts(*screen);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

private:
    // Shows the screen in a frame of the application's size for it and measures its texts.
    static QStringList inFrame(QWidget* screen, const QSize& frameSize) {
        QMdiArea area;
        area.resize(1000, 800);
        auto* frame = new shell::CCommonFrame;
        area.addSubWindow(frame);
        frame->setWidget(screen);
        frame->resize(frameSize);
        area.show();
        frame->show();
        QCoreApplication::processEvents();
        return cutTexts(*screen);
    }
};

} // namespace kavrin::screens

QTEST_MAIN(kavrin::screens::ScreenTextTest)
#include "screen_text_test.moc"
