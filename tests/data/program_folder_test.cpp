// Where a program finds its shipped files: an unpacked installation anywhere, a build tree, and
// the near misses that must stay with the executable's own folder.
#include "data/program_folder.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

namespace fs = std::filesystem;

struct FolderCase {
    const char* name;
    const char* executableFolder; // relative to the temporary root
    std::vector<const char*> folders;
    std::vector<const char*> files;
    const char* expected; // relative to the temporary root
};

void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.name;
}

class ProgramFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(ProgramFolderTest, ResolvesTheShippedFiles) {
    const auto& c = GetParam();
    const QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const fs::path root = temporary.path().toStdString();
    for (const char* folder : c.folders) {
        fs::create_directories(root / folder);
    }
    for (const char* file : c.files) {
        std::ofstream(root / file) << "x";
    }
    const fs::path executableFolder = root / c.executableFolder;
    EXPECT_EQ(programDataFolder(executableFolder).lexically_normal(),
              (root / c.expected).lexically_normal());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ProgramFolderTest,
    testing::Values(
        FolderCase{"UnpackedInstallation",
                   "usr/bin",
                   {"usr/bin", "usr/share/kavrin"},
                   {},
                   "usr/share/kavrin"},
        FolderCase{
            "TrailingSlash", "usr/bin/", {"usr/bin", "usr/share/kavrin"}, {}, "usr/share/kavrin"},
        FolderCase{"BuildTree",
                   "build/src/shell",
                   {"build/src/shell", "build/src/share/kavrin"},
                   {},
                   "build/src/shell"},
        FolderCase{"BinWithoutData", "opt/bin", {"opt/bin", "opt/share"}, {}, "opt/bin"},
        FolderCase{
            "DataIsAFile", "usr/bin", {"usr/bin", "usr/share"}, {"usr/share/kavrin"}, "usr/bin"},
        FolderCase{"FolderMerelyEndingInBin", "cabin", {"cabin", "share/kavrin"}, {}, "cabin"}),
    [](const testing::TestParamInfo<FolderCase>& param) { return std::string(param.param.name); });

} // namespace
} // namespace kavrin
