#include <gtest/gtest.h>

#include "platform/IniDocument.h"

#include <functional>

using platform::IniDocument;

namespace {

struct ReadCase {
    const char* name;
    QByteArray text;
    QString section;
    QString key;
    std::optional<QString> expected;
};

TEST(IniDocument, ReadsValuesAsAProfileFileDoes)
{
    const QByteArray port = "[ComPort1]\r\nPort=COM1\r\nBaudRate = 9600 \r\n";
    const ReadCase cases[] = {
        {"crlf", port, "ComPort1", "Port", "COM1"},
        {"lf only", "[A]\nK=v\n", "A", "K", "v"},
        {"no final line end", "[A]\nK=v", "A", "K", "v"},
        {"value and key trimmed", port, "ComPort1", "BaudRate", "9600"},
        {"key ignores case", port, "ComPort1", "baudrate", "9600"},
        {"section ignores case", port, "COMPORT1", "Port", "COM1"},
        {"other section", port, "ComPort2", "Port", std::nullopt},
        {"semicolon starts a comment", "[A]\n;K=v\n", "A", "K", std::nullopt},
        {"indented comment", "[A]\n  ; K=v\n", "A", "K", std::nullopt},
        {"semicolon inside a value is text", "[A]\nSep=;\nK=a;b \"c\",d\n", "A", "K", "a;b \"c\",d"},
        {"lone semicolon value", "[A]\nSep=;\n", "A", "Sep", ";"},
        {"only the first = splits", "[A]\nK=x=y\n", "A", "K", "x=y"},
        {"empty value", "[A]\nK=\n", "A", "K", ""},
        {"line without key", "[A]\n=v\nK\n", "A", "", std::nullopt},
        {"text after the header", "[A] ; note\nK=v\n", "A", "K", "v"},
        {"lines before any header", "K=top\n[A]\nK=v\n", "", "K", "top"},
        {"first of repeated keys", "[A]\nK=1\nK=2\n", "A", "K", "1"},
        {"repeated section", "[A]\nX=1\n[B]\n[a]\nK=2\n", "A", "K", "2"},
        {"byte order mark", "\xEF\xBB\xBF[A]\r\nK=v\r\n", "A", "K", "v"},
        {"utf-8", "[A]\nNamn=Förste\n", "A", "Namn", "Förste"},
    };
    for (const ReadCase& c : cases)
        EXPECT_EQ(IniDocument(c.text).value(c.section, c.key), c.expected) << c.name;
}

struct EditCase {
    const char* name;
    QByteArray before;
    std::function<void(IniDocument&)> edit;
    QByteArray after;
};

TEST(IniDocument, EditsTouchOnlyTheirOwnLines)
{
    const EditCase cases[] = {
        {"new document", "", [](IniDocument& d) { d.setValue("S", "K", "v"); }, "[S]\r\nK=v\r\n"},
        {"replace in place, foreign lines kept byte for byte",
         "; top\n[Other]\nX = 1 \n\n[S]\r\nK=old\r\nL=2\n",
         [](IniDocument& d) { d.setValue("s", "k", "new"); },
         "; top\n[Other]\nX = 1 \n\n[S]\r\nK=new\r\nL=2\n"},
        {"same value leaves the line alone", "[S]\nK = v \n",
         [](IniDocument& d) { d.setValue("S", "K", "v"); }, "[S]\nK = v \n"},
        {"new key after the last key of its section",
         "[S]\nA=1\n; note\n\n[T]\nB=2\n",
         [](IniDocument& d) { d.setValue("S", "C", "3"); },
         "[S]\nA=1\nC=3\r\n; note\n\n[T]\nB=2\n"},
        {"new key in a section without keys goes under its header", "[S]\n\n[T]\n",
         [](IniDocument& d) { d.setValue("S", "K", "v"); }, "[S]\nK=v\r\n\n[T]\n"},
        {"new section at the end after a blank line, last line ended", "[S]\nA=1",
         [](IniDocument& d) { d.setValue("T", "K", "v"); }, "[S]\nA=1\r\n\r\n[T]\r\nK=v\r\n"},
        {"top-level key after a heading comment", "; settings\n[S]\n",
         [](IniDocument& d) { d.setValue("", "K", "v"); }, "; settings\nK=v\r\n[S]\n"},
        {"top-level key before the first header", "\xEF\xBB\xBF[S]\n",
         [](IniDocument& d) { d.setValue("", "K", "v"); }, "\xEF\xBB\xBFK=v\r\n[S]\n"},
        {"remove every line of a key", "[S]\nK=1\nL=2\n[s]\nk=3\n",
         [](IniDocument& d) { EXPECT_TRUE(d.removeKey("S", "K")); }, "[S]\nL=2\n[s]\n"},
        {"remove a section with its comments", "[A]\nX=1\n[S]\n;c\nK=1\n\n[B]\nY=2\n",
         [](IniDocument& d) { EXPECT_TRUE(d.removeSection("s")); }, "[A]\nX=1\n[B]\nY=2\n"},
        {"removing what is missing changes nothing", "[A]\nX=1\n",
         [](IniDocument& d) {
             EXPECT_FALSE(d.removeKey("A", "Y"));
             EXPECT_FALSE(d.removeSection("B"));
         },
         "[A]\nX=1\n"},
        {"adding an existing section changes nothing", "[A]\n",
         [](IniDocument& d) { d.addSection("a"); }, "[A]\n"},
    };
    for (const EditCase& c : cases) {
        IniDocument document(c.before);
        c.edit(document);
        EXPECT_EQ(document.toBytes(), c.after) << c.name;
    }
}

TEST(IniDocument, RefusesWhatCannotBeReadBackAndChangesNothing)
{
    const std::pair<QString, QString> badKeys[] = {
        {"S]", "K"}, {"S\n", "K"}, {" S", "K"}, {"S", ""}, {"S", " K"}, {"S", "K "},
        {"S", ";K"}, {"S", "[K"}, {"S", "K=1"}, {"S", "K\r\nX"}, {"S", QString(QChar(u'\0'))},
    };
    const QByteArray text = "[S]\nA=1\n";
    for (const auto& [section, key] : badKeys) {
        IniDocument document(text);
        EXPECT_THROW(document.setValue(section, key, "v"), platform::SettingsError) << section.toStdString() << "/" << key.toStdString();
        EXPECT_EQ(document.toBytes(), text);
    }
    IniDocument document(text);
    EXPECT_THROW(document.setValue("S", "A", "1\r\nInjected=1"), platform::SettingsError);
    EXPECT_EQ(document.value("S", "Injected"), std::nullopt);
}

TEST(IniDocument, ListsSectionsAndKeysOnceInTextOrder)
{
    const IniDocument document("Top=1\n[B]\nY=1\ny=2\n[A]\nX=1\n[b]\nZ=3\n");
    EXPECT_EQ(document.sectionNames(), QStringList({"", "B", "A"}));
    EXPECT_EQ(document.keyNames("b"), QStringList({"Y", "Z"}));
    EXPECT_FALSE(IniDocument("; only\n[A]\n").hasSection(""));
    EXPECT_TRUE(IniDocument("[A]\n").hasSection("a"));
}

} // namespace
