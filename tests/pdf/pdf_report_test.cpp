// The PDF tuning report read back through poppler's pdfinfo and pdftotext: its pages and their
// size, the text report first, a chart for exactly the alignment types the radio supports, and
// paths that cannot be written leaving nothing behind.
#include "data/report.h"
#include "pdf/pdf_report.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace kavrin {
namespace {

void setRow(radioRecord& record, std::size_t row, std::size_t firstColumn,
            std::initializer_list<std::uint32_t> values) {
    for (const auto value : values) {
        record.setCell(row, firstColumn++, value);
    }
}

void setPoints(radioRecord& record, PointGroup group,
               std::initializer_list<std::uint32_t> offsets) {
    const Cell first = pointCell(group, 0);
    setRow(record, first.row, first.column, offsets);
}

void setIdentity(radioRecord& record) {
    record.setSerialNo("4A0KDX2217");
    record.setModelNo("H25KDF9PW5AN    ");
}

// Standard layout, every family supported: the KTD cells and the middle modulation point hold
// values, yet the KTD types need the extended layout.
radioRecord standardRadio() {
    radioRecord record;
    setIdentity(record);
    record.setLayoutCode(kStandardLayoutCode);
    record.setBand(0);
    setPoints(record, PointGroup::TxPower, {36, 50, 55, 63, 74});
    setPoints(record, PointGroup::TxModulation, {36, 0, 55, 0, 74});
    setPoints(record, PointGroup::Receive, {36, 50, 55, 63, 0});
    setRow(record, 1, 0, {48, 47, 45, 44, 42, 21, 20, 19, 19, 18});
    setRow(record, 2, 0, {22, 0, 24, 0, 26, 31, 63, 33, 0, 35, 40, 0, 41, 0, 43, 12, 25, 20});
    setRow(record, 3, 0, {12, 13, 14, 15, 0, 25, 26, 27, 28, 0, 10, 11, 12, 13, 0,
                          22, 23, 24, 25, 0, 11, 12, 13, 14, 0, 23, 24, 25, 26, 0});
    return record;
}

// Extended layout with Tx modulation unsupported (so no KTD either, though the layout allows it)
// and no receive point in use: the squelch charts carry only their note.
radioRecord extendedRadioWithoutModulation() {
    radioRecord record;
    setIdentity(record);
    record.setLayoutCode(kExtendedLayoutCode);
    record.setBand(5);
    setPoints(record, PointGroup::TxPower, {6, 16, 26, 36, 46});
    setPoints(record, PointGroup::TxModulation, {6, 16, 26, 36, 46});
    setRow(record, 1, 0, {51, 50, 49, 47, 46, 24, 23, 23, 22, 21});
    setRow(record, 2, 0, {27, 28, 29, 30, 31, 36, 37, 38, 39, 40, 44, 45, 46, 47, 48, 12, 25, 20});
    record.clearSupported(AlignmentFamily::TxModulation);
    return record;
}

// Extended layout, everything supported, but the middle modulation point unused: the KTD types,
// which have only that point, chart nothing while the modulation types chart the other four.
radioRecord extendedRadioWithoutMiddlePoint() {
    radioRecord record;
    setIdentity(record);
    record.setLayoutCode(kExtendedLayoutCode);
    record.setBand(5);
    setPoints(record, PointGroup::TxPower, {6, 16, 26, 36, 46});
    setPoints(record, PointGroup::TxModulation, {6, 16, 0, 36, 46});
    setPoints(record, PointGroup::Receive, {6, 16, 26, 36, 46});
    setRow(record, 1, 0, {51, 50, 49, 47, 46, 24, 23, 23, 22, 21});
    setRow(record, 2, 0, {27, 28, 29, 30, 31, 36, 37, 38, 39, 40, 44, 45, 46, 47, 48, 12, 25, 20});
    setRow(record, 3, 0, {9,  10, 11, 12, 13, 21, 22, 23, 24, 25, 8,  9,  10, 11, 12,
                          19, 20, 21, 22, 23, 9,  10, 11, 12, 13, 20, 21, 22, 23, 24});
    return record;
}

struct RenderCase {
    const char* name;
    std::function<radioRecord()> record;
    QPageSize::PageSizeId pageSize;
    int widthPoints;
    int heightPoints;
    std::vector<AlignmentType> charted; // in table order
    int withoutPoints;
};

const std::vector<AlignmentType> kSquelchTypes{
    AlignmentType::RxSquelchNbandNormal,   AlignmentType::RxSquelchNbandTight,
    AlignmentType::RxSquelchSbandNormal,   AlignmentType::RxSquelchSbandTight,
    AlignmentType::RxSquelch20KbandNormal, AlignmentType::RxSquelch20KbandTight};

std::vector<AlignmentType> joined(std::initializer_list<std::vector<AlignmentType>> parts) {
    std::vector<AlignmentType> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<RenderCase> renderCases() {
    const std::vector<AlignmentType> power{AlignmentType::TxHighPower, AlignmentType::TxLowPower};
    const std::vector<AlignmentType> standard =
        joined({power,
                {AlignmentType::TxModulation125KHz, AlignmentType::TxModulation20KHz,
                 AlignmentType::TxModulation25KHz},
                kSquelchTypes});
    const std::vector<AlignmentType> extended = joined({power, kSquelchTypes});
    std::vector<AlignmentType> everyType;
    for (const auto& type : kAlignmentTypes) {
        everyType.push_back(type.type);
    }
    return {
        {"standard, A4", standardRadio, QPageSize::A4, 595, 842, standard, 0},
        {"standard, Letter", standardRadio, QPageSize::Letter, 612, 792, standard, 0},
        {"extended without modulation, A4", extendedRadioWithoutModulation, QPageSize::A4, 595, 842,
         extended, 6},
        {"extended without modulation, Letter", extendedRadioWithoutModulation, QPageSize::Letter,
         612, 792, extended, 6},
        {"extended, KTD point unused, A4", extendedRadioWithoutMiddlePoint, QPageSize::A4, 595, 842,
         everyType, 3},
    };
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.errorString().toStdString()
                      << " " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString infoField(const QString& info, const QString& field) {
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field),
                                  QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

QString titleOf(AlignmentType type) {
    const auto title = alignmentType(type).title;
    return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
}

// The text report's section headings, which must all reach the pages before the charts.
QStringList headingsOf(const radioRecord& record) {
    QStringList headings;
    for (const auto& line : QString::fromLatin1(reportText(record)).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QStringLiteral("\t \t\t****"))) {
            headings << line.trimmed();
        }
    }
    return headings;
}

TEST(PdfReport, TextThenOneChartPerSupportedTypeOnPagesOfTheSize) {
    for (const auto& testCase : renderCases()) {
        SCOPED_TRACE(testCase.name);
        const QTemporaryDir directory;
        ASSERT_TRUE(directory.isValid());
        const QString path = directory.filePath(QStringLiteral("report.pdf"));
        // An older, longer file at the path is replaced, not written into.
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(400000, 'x'));
        }

        const radioRecord record = testCase.record();
        ASSERT_EQ(writePdfReport(record, path, QPageSize(testCase.pageSize)), QString());

        const QString info = run(QStringLiteral("pdfinfo"), {path});
        EXPECT_EQ(infoField(info, QStringLiteral("Title")), QStringLiteral("Kavrin Tuning Report"));
        EXPECT_EQ(infoField(info, QStringLiteral("Creator")), QStringLiteral("Kavrin"));
        const int pageCount = infoField(info, QStringLiteral("Pages")).toInt();
        const int chartCount = static_cast<int>(testCase.charted.size());
        const int chartPages = (chartCount + 2) / 3;
        ASSERT_GT(pageCount, chartPages);
        const int textPages = pageCount - chartPages;

        const QString sizes = run(QStringLiteral("pdfinfo"),
                                  {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                   QString::number(pageCount), path});
        const QRegularExpression sizeLine(QStringLiteral("size:\\s*([\\d.]+) x ([\\d.]+) pts"));
        int sized = 0;
        for (auto match = sizeLine.globalMatch(sizes); match.hasNext(); ++sized) {
            const auto size = match.next();
            EXPECT_EQ(qRound(size.captured(1).toDouble()), testCase.widthPoints);
            EXPECT_EQ(qRound(size.captured(2).toDouble()), testCase.heightPoints);
        }
        EXPECT_EQ(sized, pageCount);

        // pdftotext ends every page with a form feed.
        QStringList pages =
            run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}).split(u'\f');
        ASSERT_EQ(pages.size(), pageCount + 1);
        pages.removeLast();

        EXPECT_TRUE(pages[0].contains(QStringLiteral("Radio Serial No: 4A0KDX2217")));
        EXPECT_TRUE(pages[0].contains(QStringLiteral("Radio Model No: H25KDF9PW5AN")));
        const QString text = pages.mid(0, textPages).join(QString());
        qsizetype at = 0;
        for (const auto& heading : headingsOf(record)) {
            at = text.indexOf(heading, at);
            EXPECT_GE(at, 0) << heading.toStdString();
        }

        // Three charts a page in table order, after the text; the others nowhere.
        for (int chart = 0; chart < chartCount; ++chart) {
            const QString title = titleOf(testCase.charted[static_cast<std::size_t>(chart)]);
            EXPECT_TRUE(pages[textPages + chart / 3].contains(title)) << title.toStdString();
        }
        const QString all = pages.join(QString());
        for (const auto& type : kAlignmentTypes) {
            if (std::ranges::find(testCase.charted, type.type) == testCase.charted.end()) {
                EXPECT_FALSE(all.contains(titleOf(type.type))) << type.title;
            }
        }
        EXPECT_EQ(all.count(QStringLiteral("No points in use")), testCase.withoutPoints);
    }
}

TEST(PdfReport, UnwritablePathGivesItsReasonAndLeavesNothing) {
    struct Case {
        const char* name;
        std::function<QString(const QDir&)> prepare; // returns the path to write
    };
    const Case cases[] = {
        {"missing folder",
         [](const QDir& dir) { return dir.filePath(QStringLiteral("missing/report.pdf")); }},
        {"a folder at the path",
         [](const QDir& dir) {
             dir.mkdir(QStringLiteral("report.pdf"));
             return dir.filePath(QStringLiteral("report.pdf"));
         }},
        {"read-only folder",
         [](const QDir& dir) {
             dir.mkdir(QStringLiteral("locked"));
             QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                                   QFile::ReadOwner | QFile::ExeOwner);
             return dir.filePath(QStringLiteral("locked/report.pdf"));
         }},
    };
    const radioRecord record = standardRadio();
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        QTemporaryDir directory;
        ASSERT_TRUE(directory.isValid());
        const QString path = testCase.prepare(QDir(directory.path()));
        // Permissions do not hold for root; the row would prove nothing there.
        if (QFile probe(path + QStringLiteral(".probe")); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            continue;
        }

        const QString reason = writePdfReport(record, path, QPageSize(QPageSize::A4));
        EXPECT_TRUE(reason.startsWith(QDir::toNativeSeparators(path) +
                                      QStringLiteral(" could not be written: ")))
            << reason.toStdString();
        EXPECT_GT(reason.size(), path.size() + 24) << "no reason given";
        QDirIterator files(directory.path(), QDir::Files | QDir::Hidden,
                           QDirIterator::Subdirectories);
        EXPECT_FALSE(files.hasNext()) << files.next().toStdString();

        QFile::setPermissions(directory.filePath(QStringLiteral("locked")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

} // namespace
} // namespace kavrin

// The report needs fonts, so a QGuiApplication; offscreen unless told otherwise, as test discovery
// runs the program without the test's environment.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
