// Files written whole: the crash-safe replacement under the settings and the
// start lists, and reads of regular files only.
#include <gtest/gtest.h>

#include <system_error>

#include <csignal>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(readRegularFile("/proc/self/status", 10).status, BoundedFileRead::Status::TooLarge);  // grows as read
}

// A write that fails says so and leaves the old file as it was and no
// temporary file: bytes past the process's file size limit, a folder that is
// not there, a link that loops, 100 temporary names in a row already taken.
TEST(FileBytes, AFailedWriteLeavesTheOldFileAndNothingElse)
{
    const std::string dir = testenv::makeTempDir("failing"), t = dir + "/t";
    putFile(t, "old");
    std::filesystem::create_symlink("loop", dir + "/loop");
    const auto failure = [](const std::string& path) {
        try {
            writeFileBytesAtomically(path, "new");
            return std::string();
        } catch (const std::system_error& e) {
            return std::string(e.what());
        }
    };
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    const rlimit small{2, was.rlim_max};
    const auto signal = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_EQ(failure(t), "Filen " + t + " kan inte skrivas: File too large");
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, signal);
    EXPECT_EQ(failure(dir + "/none/t"),
              "En tillfällig fil kan inte skapas bredvid " + dir + "/none/t: No such file or directory");
    EXPECT_EQ(failure(dir + "/loop"), "För många länkar vid " + dir + "/loop: Too many levels of symbolic links");
    EXPECT_EQ(std::pair(fileText(t), tree(dir)), std::pair(std::string("old"), Tree{"loop", "t"}));
    // The temporary names are numbered on; a first write shows the next.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, dir.c_str(), IN_CREATE), 0);
    EXPECT_EQ(failure(t), "");
    alignas(inotify_event) char event[4096];
    ASSERT_GT(::read(watch, event, sizeof event), 0);
    ::close(watch);
    const std::string name = reinterpret_cast<const inotify_event*>(event)->name;
    const std::size_t dash = name.rfind('-') + 1;
    int next = std::stoi(name.substr(dash)) + 1;
    // A write tries 100 names: with the next 100 taken it fails, with 99 it takes the 100th.
    const std::string exists = "En tillfällig fil kan inte skapas bredvid " + t + ": File exists";
    for (const auto& [taken, says] : {std::pair(100, exists), std::pair(99, std::string())}) {
        for (int n = 0; n < taken; ++n)
            putFile(dir + "/" + name.substr(0, dash) + std::to_string(next++), "");
        EXPECT_EQ(failure(t), says);
    }
}

} // namespace
