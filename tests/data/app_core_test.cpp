// The application core's archive and report commands: outcomes, flags, recent files, messages.
#include "core_fixture.h"
#include "data/archive.h"
#include "data/report.h"

#include <QTemporaryDir>
#include <fstream>

namespace kavrin {
namespace {

using test::CoreTest;
using Trace = std::vector<std::string>;

class ArchiveFlowTest : public CoreTest {
protected:
    std::filesystem::path file(const char* name) const {
        return std::filesystem::path(dir.path().toStdString()) / name;
    }
    QTemporaryDir dir;
};

TEST_F(ArchiveFlowTest, LoadSetsFlagsIdentityAndRecentFiles) {
    radioRecord saved;
    saved.setSerialNo("AB12345678");
    saved.setModelNo("KVR4100U1       ");
    saved.setLayoutCode(kStandardLayoutCode);
    saved.setCell(0, 5, 40);
    saved.setBand(6);
    ASSERT_TRUE(saveArchive(file("a.spa"), saved, 77));

    core.readSucceeded();
    EXPECT_TRUE(core.loadArchiveByName(file("a.spa")));
    EXPECT_TRUE(core.archiveLoaded());
    EXPECT_FALSE(core.radioRead());
    EXPECT_TRUE(core.txPowerPointsPresent());
    EXPECT_FALSE(core.rxPointsPresent());
    EXPECT_EQ(messages.sink.texts(), Trace{"Tuning data has been loaded."});
    EXPECT_EQ(status.last, "Radio Serial No: AB12345678" + std::string(57, ' ') +
                               "Radio Model No: KVR4100U1       ");
    EXPECT_EQ(recent.paths, std::vector{file("a.spa")});

    // A file that fails to open while an archive is loaded changes nothing.
    messages.sink.shown.clear();
    EXPECT_FALSE(core.loadArchiveByName(file("missing.spa")));
    EXPECT_EQ(messages.sink.texts(), Trace{"Archive File could not be opened!!"});
    EXPECT_TRUE(core.archiveLoaded());
    EXPECT_EQ(core.record().serialNo(), "AB12345678");
    EXPECT_EQ(recent.paths.size(), 1u);
}

TEST_F(ArchiveFlowTest, InvalidFileClearsTheIdentityAndSaysNothingIsLoaded) {
    std::ofstream(file("display.txt")) << "\r\n\r\n\t   \t\t**********    R A D I O";
    core.record().setSerialNo("AB12345678");
    core.record().setCell(1, 0, 33);
    core.archiveLoadSucceeded();
    EXPECT_FALSE(core.loadArchiveByName(file("display.txt")));
    EXPECT_EQ(messages.sink.texts(), Trace{"Invalid file format!! File is not an *.SPA file"});
    EXPECT_FALSE(core.archiveLoaded());
    EXPECT_EQ(core.record().serialNo(), kNullSerialNo);
    EXPECT_EQ(core.record().getCell(1, 0), 33u) << "cells stay";
    EXPECT_EQ(status.last, kNothingLoadedText);
    EXPECT_TRUE(recent.paths.empty());
}

TEST_F(ArchiveFlowTest, ConfirmationAndSaveOutcomes) {
    core.record().setLayoutCode(kStandardLayoutCode);
    ASSERT_TRUE(saveArchive(file("a.spa"), core.record(), 5));
    messages.sink.answers = {Answer::Cancel};
    EXPECT_FALSE(core.loadArchiveWithConfirmation(file("a.spa")));
    EXPECT_EQ(messages.sink.shown.at(0),
              (test::ShownMessage{"Initialize radio data?", "CONFIRMATION",
                                  MessageIcon::Information, true}));
    EXPECT_FALSE(core.archiveLoaded());

    messages.sink.shown.clear();
    EXPECT_TRUE(core.saveArchiveFile(file("b.spa")));
    EXPECT_FALSE(core.saveArchiveFile(file("no-such-dir/c.spa")));
    EXPECT_EQ(messages.sink.texts(),
              (Trace{"Tuning data has been saved.", "Archive File could not be saved!!"}));
    EXPECT_EQ(recent.paths, std::vector{file("b.spa")});
}

TEST_F(ArchiveFlowTest, ReportWaitsForClosedScreensAndMarksItselfShown) {
    core.setProgramDir(dir.path().toStdString());
    core.screenOpened(2);
    EXPECT_FALSE(core.writeReportFile());
    EXPECT_EQ(messages.sink.texts(), Trace{"Please close all windows before continuing"});
    EXPECT_FALSE(std::filesystem::exists(file("display.txt")));

    core.screenClosed();
    core.reportClosed();
    const auto path = core.writeReportFile();
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, file("display.txt"));
    EXPECT_TRUE(std::filesystem::exists(*path));
    core.reportShown(true);
    EXPECT_FALSE(core.reportAllowed());
    EXPECT_EQ(core.currentScreenId(), 100);
}

// An installed program's folder cannot be written. A folder under a regular file stands in for
// it, since a read-only mode does not stop a test run as root.
TEST_F(ArchiveFlowTest, ReportFallsBackToTheUserFolderWhenTheProgramFolderIsReadOnly) {
    std::ofstream(file("program")) << "a file, not a folder";
    core.setProgramDir(file("program") / "bin");
    const auto fallback = file("user") / "data";
    core.setReportFallbackDir(fallback);

    const auto path = core.writeReportFile();
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, fallback / "display.txt");
    std::ifstream written(*path, std::ios::binary);
    std::string firstLines(4, '\0');
    written.read(firstLines.data(), 4);
    EXPECT_EQ(firstLines, "\r\n\r\n") << "the report itself, created with its folder";
    EXPECT_TRUE(messages.sink.texts().empty());

    // A writable program folder keeps the report where it always was.
    core.setProgramDir(dir.path().toStdString());
    EXPECT_EQ(core.writeReportFile(), file("display.txt"));
}

TEST_F(ArchiveFlowTest, ReportThatCannotBeWrittenLeavesTheCommandsAsTheyWere) {
    std::ofstream(file("program")) << "a file, not a folder";
    core.setProgramDir(file("program") / "bin");
    for (const auto& fallback : {std::filesystem::path(), file("program") / "user"}) {
        SCOPED_TRACE(fallback.string());
        messages.sink.shown.clear();
        core.setReportFallbackDir(fallback);
        EXPECT_FALSE(core.writeReportFile());
        EXPECT_EQ(messages.sink.texts(), Trace{"display.txt could not be opened!!"});
        EXPECT_EQ(core.currentScreenId(), 0);
        EXPECT_TRUE(core.reportAllowed());
    }
    // A report written but not opened in a window changes nothing either.
    core.setProgramDir(dir.path().toStdString());
    ASSERT_TRUE(core.writeReportFile());
    core.reportShown(false);
    EXPECT_EQ(core.currentScreenId(), 0);
    EXPECT_TRUE(core.reportAllowed());
}

} // namespace
} // namespace kavrin
