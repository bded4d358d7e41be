// Files written whole: the crash-safe replacement under the settings and the
// start lists, and reads of regular files only.
#include <gmock/gmock.h>
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
// mode kept, an old reader keeps the old bytes. A write that fails (over a
// folder, through a link that loops, into a missing folder, past the
// process's file size limit, with 100 temporary names in a row taken) leaves
// the old file, no temporary file and no open descriptor.
TEST(FileBytes, ReplacesTheFileByRename)
{
    const std::string dir = testenv::makeTempDir("atomic"), target = dir + "/real.ini";
    putFile(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_hard_link(target, dir + "/old-reader");
    std::filesystem::create_symlink("real.ini", dir + "/link.ini");
    std::filesystem::create_directory(dir + "/folder.ini");
    std::filesystem::create_symlink("loop", dir + "/loop");
    const auto descriptors = testfiles::openDescriptors();
    writeFileBytesAtomically(dir + "/link.ini", "new");
    EXPECT_THROW(writeFileBytesAtomically(dir + "/folder.ini", "x"), std::system_error);
    EXPECT_THROW(writeFileBytesAtomically(dir + "/loop", "x"), std::system_error);
    EXPECT_THAT([&] { writeFileBytesAtomically(dir + "/none/x", "x"); },
                testing::ThrowsMessage<std::system_error>(testing::HasSubstr("No such file or directory")));
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    const rlimit small{2, was.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the program
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(writeFileBytesAtomically(target, "longer"), std::system_error);
    ::setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(testfiles::openDescriptors(), descriptors);
    EXPECT_EQ(fileText(target), "new");
    EXPECT_EQ(fileText(dir + "/old-reader"), "old");
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.ini"));
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(tree(dir), (Tree{"folder.ini", "link.ini", "loop", "old-reader", "real.ini"}));
    EXPECT_EQ(readFileBytes(dir + "/none"), std::nullopt);
    EXPECT_THROW(readFileBytes(dir), std::system_error);
    EXPECT_EQ(readRegularFile("/proc/self/mem", 1 << 20).error, EIO);  // a regular file that cannot be read
    EXPECT_EQ(readRegularFile("/proc/self/status", 10).status, BoundedFileRead::Status::TooLarge);  // grows as read
    // The temporary names are numbered on; a first write shows the next.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, dir.c_str(), IN_CREATE), 0);
    writeFileBytesAtomically(target, "new");
    alignas(inotify_event) char event[4096];
    ASSERT_GT(::read(watch, event, sizeof event), 0);
    ::close(watch);
    const std::string name = reinterpret_cast<const inotify_event*>(event)->name;
    const std::string prefix = dir + "/" + name.substr(0, name.rfind('-') + 1);
    int next = std::stoi(name.substr(name.rfind('-') + 1)) + 1;
    for (int n = 0; n < 100; ++n)
        putFile(prefix + std::to_string(next++), "");
    EXPECT_THROW(writeFileBytesAtomically(target, "new"), std::system_error);  // after 100 names tried
    for (int n = 0; n < 99; ++n)
        putFile(prefix + std::to_string(next++), "");
    EXPECT_NO_THROW(writeFileBytesAtomically(target, "new"));  // the 100th name tried is free
}

} // namespace
