// Qt's own texts in the program's language.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

#include "app/windows/QtTranslation.h"
#include "support/test_env.h"

namespace {

// The file dialog's texts, as Qt asks for them.
std::vector<std::string> fileDialogTexts()
{
    std::vector<std::string> texts;
    for (const char* text : {"&Open", "Save As", "New Folder"})
        texts.push_back(QCoreApplication::translate("QFileDialog", text).toStdString());
    return texts;
}

// Without the translation in its folder nothing changes and Qt speaks
// English; loaded from Qt's own folder, the file dialog is Swedish.
TEST(QtTranslation, QtsOwnTextsAreSwedishOnceLoaded)
{
    const std::vector<std::string> english = fileDialogTexts();
    EXPECT_FALSE(app::loadQtTranslation(QString::fromStdString(testenv::makeTempDir("no-translations"))));
    EXPECT_FALSE(app::loadQtTranslation(QStringLiteral("/no/such/folder")));
    EXPECT_EQ(fileDialogTexts(), english);
    ASSERT_TRUE(app::loadQtTranslation());
    EXPECT_EQ(fileDialogTexts(), (std::vector<std::string>{"&Öppna", "Spara som", "Ny mapp"}));
    delete QCoreApplication::instance()->findChild<QTranslator*>();  // English again for the other tests
    EXPECT_EQ(fileDialogTexts(), english);
}

} // namespace
