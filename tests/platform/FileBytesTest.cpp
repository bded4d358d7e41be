// Files written whole: the crash-safe replacement under the settings and the
// start lists, and reads of regular files only.
#include <gtest/gtest.h>

#include <system_error>

#include <sys/stat.h>

#include "platform/FileBytes.h"
#include "support/TestFiles.h"
#include "support/test_env.h"

using namespace platform;
using namespace testfiles;

namespace {

using Tree = std::vector<std::string>;

// A file is replaced by a new one renamed into place: a link is followed, the
// mode kept, an old reader keeps the old bytes; a failed write leaves no
// temporary file, and no descriptor stays open.
TEST(FileBytes, ReplacesTheFileByRename)
{
    const std::string dir = testenv::makeTempDir("atomic");
    const std::string target = dir + "/real.ini";
    putFile(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_hard_link(target, dir + "/old-reader");
    std::filesystem::create_symlink("real.ini", dir + "/link.ini");
    std::filesystem::create_directory(dir + "/folder.ini");
    const auto descriptors = testfiles::openDescriptors();
    writeFileBytesAtomically(dir + "/link.ini", "new");
    EXPECT_THROW(writeFileBytesAtomically(dir + "/folder.ini", "x"), std::system_error);
    EXPECT_EQ(testfiles::openDescriptors(), descriptors);
    EXPECT_EQ(fileText(target), "new");
    EXPECT_EQ(fileText(dir + "/old-reader"), "old");
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.ini"));
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(tree(dir), (Tree{"folder.ini", "link.ini", "old-reader", "real.ini"}));
    EXPECT_EQ(readFileBytes(dir + "/none"), std::nullopt);
    EXPECT_THROW(readFileBytes(dir), std::system_error);
    EXPECT_EQ(readRegularFile("/proc/self/mem", 1 << 20).error, EIO);  // a regular file that cannot be read
}

} // namespace
