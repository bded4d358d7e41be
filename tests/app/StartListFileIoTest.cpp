// Start-list files on disk: whole reads of sane files only, whole writes.
#include <gtest/gtest.h>

#include <QDir>

#include <string>

#include <sys/stat.h>

#include "support/TestFiles.h"
#include "app/StartListFileIo.h"
#include "support/test_env.h"

namespace {

using testfiles::fileText;
using testfiles::putFile;
using testfiles::putSparseFile;

TEST(StartListFileIo, ReadsTheFileByteForByte)
{
    const std::string dir = testenv::makeTempDir("listio");
    const std::string bytes = std::string("Tuta=2;\r\nGrid=1;\xC5\0;\r\n", 20) + "\x80\xFF";
    putFile(dir + "/a.tid", bytes);
    EXPECT_EQ(app::readStartListFile(dir + "/a.tid"), bytes);

    putSparseFile(dir + "/largest.tid", app::kStartListFileMaxBytes);
    EXPECT_EQ(app::readStartListFile(dir + "/largest.tid").size(), app::kStartListFileMaxBytes);
}

TEST(StartListFileIo, RefusesWhatIsNoSmallFileWithoutOpeningIt)
{
    const std::string dir = testenv::makeTempDir("listio");
    putSparseFile(dir + "/huge.tid", app::kStartListFileMaxBytes + 1);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + "/folder.tid")));
    // A pipe with no writer: opening it would wait for one.
    ASSERT_EQ(::mkfifo((dir + "/pipe.tid").c_str(), 0600), 0);

    struct Case {
        std::string name;
        const char* why;
    };
    const Case cases[] = {
        {"missing.tid", "No such file"},
        {"folder.tid", "ingen vanlig fil"},
        {"pipe.tid", "ingen vanlig fil"},
        {"huge.tid", "större än 8 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            app::readStartListFile(dir + "/" + c.name);
            ADD_FAILURE() << "read";
        } catch (const app::StartListIoError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("Tidfilen kunde inte läsas: " + dir + "/" + c.name), std::string::npos) << message;
            EXPECT_NE(message.find(c.why), std::string::npos) << message;
        }
    }
}

TEST(StartListFileIo, WritingReplacesTheWholeFileOrNothing)
{
    const std::string dir = testenv::makeTempDir("listio");
    putFile(dir + "/a.tid", "old contents, longer than the new\r\n");
    app::writeStartListFile(dir + "/a.tid", "new\r\n");
    EXPECT_EQ(fileText(dir + "/a.tid"), "new\r\n");

    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + "/folder.tid/inside")));
    // The why in the program's words; the system's own text may follow.
    const std::pair<std::string, std::string> failures[] = {
        {"missing/b.tid", "En tillfällig fil kan inte skapas bredvid " + dir + "/missing/b.tid: "},
        {"folder.tid", "Filen " + dir + "/folder.tid kan inte ersättas: "},
    };
    for (const auto& [name, why] : failures) {
        SCOPED_TRACE(name);
        try {
            app::writeStartListFile(dir + "/" + name, "new\r\n");
            ADD_FAILURE() << "written";
        } catch (const app::StartListIoError& e) {
            EXPECT_NE(std::string(e.what()).find("Tidfilen kunde inte sparas: " + dir + "/" + name + "\n" + why),
                      std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(QDir(QString::fromStdString(dir + "/folder.tid/inside")).exists());
    // Nothing is left beside the files: no temporary file, no half-made one.
    const QStringList left = QDir(QString::fromStdString(dir)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList({"a.tid", "folder.tid"}));
}

} // namespace
