#pragma once
// What the main-window tests share: a private settings folder per test, a
// fixed port list, and a recorder in place of the error reporter's boxes.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/ErrorReporter.h"
#include "app/MainForm.h"
#include "app/MainSettings.h"
#include "support/FixedPortList.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace windowtest {

struct Report {
    app::ErrorReporter::Kind kind;
    QString text;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the [Main] values the next window reads.
    void storeSettings(const app::MainSettings& settings);
    // The [Main] values as they are on disk now.
    app::MainSettings storedSettings();
    // The settings file, as text.
    std::string settingsFileText() const;

    // A window made now (FormCreate reads the settings); not yet Init.
    app::TMainForm& makeWindow();
    // Closes the window the way the user does (FormClose runs) and frees it.
    void closeWindow();

    // Runs the event loop until `done` or `timeoutMs` passes.
    bool waitFor(const std::function<bool()>& done, int timeoutMs);
    // Lets queued reports reach the recorder.
    void settle();

    std::vector<QString> reportsOf(app::ErrorReporter::Kind kind) const;
    std::vector<QString> messages() const { return reportsOf(app::ErrorReporter::Kind::Message); }
    std::vector<QString> errors() const { return reportsOf(app::ErrorReporter::Kind::Error); }

    std::string configFolder;
    testenv::FixedPortList portList;
    std::vector<Report> reports;
    std::unique_ptr<app::TMainForm> window;
};

} // namespace windowtest
