// The help system and the drawn pictures: the screen-to-topic table, every alignment type's page,
// the help bundle's pages and links, the help window on real and missing pages, and the sizes and
// content of every picture.
#include "data/alignment_types.h"
#include "data/command_ids.h"
#include "shell/artwork.h"
#include "shell/help_window.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace {

using kavrin::shell::helpTopic;

QString bundleDir() {
    return QStringLiteral(KAVRIN_SOURCE_DIR "/res/help");
}

QUrl pageUrl(const QString& relativePath) {
    return QUrl::fromLocalFile(QDir(bundleDir()).absoluteFilePath(relativePath));
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QStringList helpPages() {
    QStringList pages;
    QDirIterator it(bundleDir(), {QStringLiteral("*.htm")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        pages << it.next();
    }
    pages.sort();
    return pages;
}

// Every href and src of a page that points into the bundle, resolved against the page.
QList<QUrl> localLinks(const QString& pagePath) {
    static const QRegularExpression attribute(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                              QRegularExpression::CaseInsensitiveOption);
    const QUrl base = QUrl::fromLocalFile(pagePath);
    QList<QUrl> links;
    for (const auto& match : attribute.globalMatch(readText(pagePath))) {
        const QUrl link(match.captured(1));
        if (link.scheme().isEmpty() || link.isLocalFile()) {
            links << base.resolved(link);
        }
    }
    return links;
}

struct PixelCensus {
    qsizetype opaque = 0;
    qsizetype colours = 0;
};

PixelCensus census(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    PixelCensus result;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            if (qAlpha(pixel) > 128) {
                ++result.opaque;
            }
        }
    }
    result.colours = colours.size();
    return result;
}

QTextBrowser* browserOf(kavrin::shell::CHelpWindow& window) {
    return window.findChild<QTextBrowser*>();
}

QToolButton* buttonOf(kavrin::shell::CHelpWindow& window, const QString& text) {
    for (QToolButton* button : window.findChildren<QToolButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

class HelpArtworkTest : public QObject {
    Q_OBJECT

private slots:
    void helpTopicOfScreen_data() {
        QTest::addColumn<int>("screenId");
        QTest::addColumn<QString>("topic");
        const QString power = QStringLiteral("Menu_Selections/Alignment_Options/TX_Power.htm");
        const QString modulation =
            QStringLiteral("Menu_Selections/Alignment_Options/TX_Modulation.htm");
        const QString squelch = QStringLiteral("Menu_Selections/Alignment_Options/RX_Squelch.htm");
        const QString utilities = QStringLiteral("Menu_Selections/Utilities.htm");
        const QString signaling =
            QStringLiteral("Menu_Selections/Alignment_Options/TX_Signaling_System.htm");
        const QString history = QStringLiteral("Menu_Selections/History.htm");
        const QString autoAlign =
            QStringLiteral("Menu_Selections/Alignment_Options/Auto_Align.htm");
        const QList<QPair<int, QString>> rows{
            {2, power},       {3, power},       {4, modulation},  {5, modulation}, {6, modulation},
            {7, squelch},     {8, squelch},     {9, squelch},     {10, squelch},   {16, squelch},
            {17, squelch},    {15, utilities},  {18, signaling},  {19, signaling}, {20, signaling},
            {0, QString()},   {1, QString()},   {11, QString()},  {12, QString()}, {13, QString()},
            {14, QString()},  {21, QString()},  {100, QString()}, {-1, QString()}, {101, history},
            {102, autoAlign}, {103, QString()},
        };
        for (const auto& [screenId, topic] : rows) {
            QTest::addRow("screen %d", screenId) << screenId << topic;
        }
    }

    void helpTopicOfScreen() {
        QFETCH(int, screenId);
        QFETCH(QString, topic);
        QCOMPARE(helpTopic(screenId), topic);
    }

    // Every topic a screen can ask for, and the start page, is a page of the bundle.
    void everyTopicIsAPage() {
        for (int screenId = -1; screenId <= kavrin::kAutotuneWindowId; ++screenId) {
            const QString topic = helpTopic(screenId);
            const QString page =
                topic.isEmpty() ? QString::fromLatin1(kavrin::shell::kHelpStartPage) : topic;
            QVERIFY2(QFileInfo(QDir(bundleDir()), page).isFile(), qPrintable(page));
        }
    }

    // A new alignment type brings its page: the topic its screen asks for is in the bundle.
    void everyAlignmentTypeHasItsPage() {
        for (const auto& type : kavrin::kAlignmentTypes) {
            const QString topic = QString::fromLatin1(
                type.helpTopic.data(), static_cast<qsizetype>(type.helpTopic.size()));
            QCOMPARE(helpTopic(type.screenId), topic);
            QVERIFY2(QFileInfo(QDir(bundleDir()), topic).isFile(), qPrintable(topic));
        }
    }

    // No page links to a file or an anchor that is not there.
    void everyLinkResolves() {
        const QStringList pages = helpPages();
        QVERIFY(pages.size() >= 8);
        for (const QString& page : pages) {
            for (const QUrl& link : localLinks(page)) {
                const QString target = link.toLocalFile();
                const QString where = page + QStringLiteral(" -> ") + link.toString();
                QVERIFY2(QFileInfo(target).isFile(), qPrintable(where));
                if (link.hasFragment()) {
                    const QString text = readText(target);
                    const QString anchor = link.fragment();
                    QVERIFY2(text.contains(QStringLiteral("name=\"%1\"").arg(anchor)) ||
                                 text.contains(QStringLiteral("id=\"%1\"").arg(anchor)),
                             qPrintable(where));
                }
            }
        }
    }

    // The start page leads to every other page directly.
    void startPageLinksEveryPage() {
        const QString start = QDir(bundleDir()).absoluteFilePath(kavrin::shell::kHelpStartPage);
        QSet<QString> linked;
        for (const QUrl& link : localLinks(start)) {
            linked.insert(QFileInfo(link.toLocalFile()).canonicalFilePath());
        }
        for (const QString& page : helpPages()) {
            const QString canonical = QFileInfo(page).canonicalFilePath();
            if (canonical != QFileInfo(start).canonicalFilePath()) {
                QVERIFY2(linked.contains(canonical), qPrintable(page));
            }
        }
    }

    void showHelpOpensTheScreensPage_data() {
        QTest::addColumn<int>("screenId");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("heading");
        QTest::newRow("Tx low power") << 3 << "Menu_Selections/Alignment_Options/TX_Power.htm"
                                      << "Tx Power";
        QTest::newRow("Tx modulation 25 kHz")
            << 6 << "Menu_Selections/Alignment_Options/TX_Modulation.htm"
            << "Tx Modulation";
        QTest::newRow("Rx squelch 20 kHz tight")
            << 17 << "Menu_Selections/Alignment_Options/RX_Squelch.htm"
            << "Rx Squelch";
        QTest::newRow("serial number") << 15 << "Menu_Selections/Utilities.htm"
                                       << "Utilities";
        QTest::newRow("KTD 20 kHz")
            << 19 << "Menu_Selections/Alignment_Options/TX_Signaling_System.htm"
            << "Signaling";
        QTest::newRow("report window") << 100 << "index.htm"
                                       << "Kavrin";
        QTest::newRow("history window") << kavrin::kHistoryWindowId << "Menu_Selections/History.htm"
                                        << "History";
    }

    void showHelpOpensTheScreensPage() {
        QFETCH(int, screenId);
        QFETCH(QString, page);
        QFETCH(QString, heading);
        kavrin::shell::showHelp(bundleDir(), screenId);
        auto& window = kavrin::shell::helpWindow();
        QCOMPARE(window.currentSource(), pageUrl(page));
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Kavrin Help"));
        const QString text = browserOf(window)->toPlainText();
        QVERIFY2(text.contains(heading), qPrintable(text.left(200)));
        QVERIFY(!text.contains(QStringLiteral("This help page is missing")));
    }

    void missingPageShowsANote_data() {
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("missing");
        QTest::newRow("topic") << bundleDir() << "Menu_Selections/Gone.htm"
                               << bundleDir() + "/Menu_Selections/Gone.htm";
        QTest::newRow("bundle") << bundleDir() + "/nowhere" << QString()
                                << bundleDir() + "/nowhere/index.htm";
    }

    void missingPageShowsANote() {
        QFETCH(QString, bundle);
        QFETCH(QString, topic);
        QFETCH(QString, missing);
        auto& window = kavrin::shell::helpWindow();
        window.showTopic(bundle, topic);
        QCOMPARE(window.currentSource(), QUrl::fromLocalFile(missing));
        QCOMPARE(browserOf(window)->toPlainText().trimmed(),
                 QStringLiteral("This help page is missing: ") + QDir::toNativeSeparators(missing));
    }

    void backForwardAndHome() {
        auto& window = kavrin::shell::helpWindow();
        const QString power = helpTopic(2);
        const QString squelch = helpTopic(7);
        window.showTopic(bundleDir(), power);
        window.showTopic(bundleDir(), squelch);
        QToolButton* back = buttonOf(window, QStringLiteral("Back"));
        QToolButton* forward = buttonOf(window, QStringLiteral("Forward"));
        QToolButton* home = buttonOf(window, QStringLiteral("Home"));
        QVERIFY(back && forward && home);
        QVERIFY(back->isEnabled());
        back->click();
        QCOMPARE(window.currentSource(), pageUrl(power));
        QVERIFY(forward->isEnabled());
        forward->click();
        QCOMPARE(window.currentSource(), pageUrl(squelch));
        home->click();
        QCOMPARE(window.currentSource(), pageUrl(QStringLiteral("index.htm")));
    }

    void theOneHelpWindow() {
        auto& window = kavrin::shell::helpWindow();
        QCOMPARE(&kavrin::shell::helpWindow(), &window);
        QVERIFY(window.isWindow());
        QVERIFY(window.parent() == nullptr);
    }

    void screenPictures_data() {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<QSize>("size");
        QTest::newRow("title") << kavrin::shell::titlePicture() << QSize(446, 318);
        QTest::newRow("setup") << kavrin::shell::setupPicture() << QSize(572, 554);
    }

    void screenPictures() {
        QFETCH(QImage, picture);
        QFETCH(QSize, size);
        QCOMPARE(picture.size(), size);
        QVERIFY(!picture.hasAlphaChannel());
        // Gradients, drawings and antialiased text give a drawn picture hundreds of colours.
        QVERIFY(census(picture).colours > 200);
    }

    void toolbarImages_data() {
        QTest::addColumn<int>("commandId");
        for (const int id :
             {kavrin::kCmdLoadArchive, kavrin::kCmdSaveArchive, kavrin::kCmdReadRadio,
              kavrin::kCmdProgramAll, kavrin::kCmdPrint, kavrin::kCmdAbout}) {
            QTest::addRow("command %d", id) << id;
        }
    }

    void toolbarImages() {
        QFETCH(int, commandId);
        const QIcon icon = kavrin::shell::commandIcon(commandId);
        QVERIFY(!icon.isNull());
        const QPixmap pixmap = icon.pixmap(QSize(22, 23));
        QCOMPARE(pixmap.size(), QSize(22, 23));
        const PixelCensus pixels = census(pixmap.toImage());
        QVERIFY(pixels.opaque > 22 * 23 / 5);
        QVERIFY(pixels.colours > 4);
    }

    void noImageForOtherCommands() {
        for (const int id : std::initializer_list<int>{0, 32775, kavrin::kCmdDisplayTuning,
                                                       kavrin::kCmdPrintSetup, kavrin::kCmdExit}) {
            QVERIFY2(kavrin::shell::commandIcon(id).isNull(), qPrintable(QString::number(id)));
        }
    }

    void applicationIconSizes() {
        const QIcon icon = kavrin::shell::applicationIcon();
        const QList<QSize> sizes = icon.availableSizes();
        for (const int side : {16, 32, 64}) {
            QVERIFY(sizes.contains(QSize(side, side)));
            const PixelCensus pixels = census(icon.pixmap(QSize(side, side)).toImage());
            QVERIFY(pixels.opaque > side * side / 3);
            QVERIFY(pixels.colours > 4);
        }
    }

    void buttonFaces_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("PTT Toggle") << QStringLiteral("PTT Toggle");
        QTest::newRow("Program") << QStringLiteral("Program");
        QTest::newRow("Update") << QStringLiteral("Update");
    }

    void buttonFaces() {
        QFETCH(QString, name);
        const QIcon icon = kavrin::shell::buttonPicture(name);
        QVERIFY(!icon.isNull());
        const QPixmap pixmap = icon.pixmap(kavrin::shell::kButtonPictureSize);
        QCOMPARE(pixmap.size(), kavrin::shell::kButtonPictureSize);
        QVERIFY(pixmap.width() <= 110 && pixmap.height() <= 28);
        const PixelCensus pixels = census(pixmap.toImage());
        QVERIFY(pixels.opaque > 60);
        QVERIFY(pixels.colours > 4);
    }

    void noFaceForOtherNames() {
        for (const QString& name : {QString(), QStringLiteral("PTT"), QStringLiteral("program"),
                                    QStringLiteral("Update ")}) {
            QVERIFY2(kavrin::shell::buttonPicture(name).isNull(), qPrintable(name));
        }
    }
};

QTEST_MAIN(HelpArtworkTest)
#include "help_artwork_test.moc"
