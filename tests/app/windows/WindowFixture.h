#pragma once
// What the window tests share: a private settings folder per test, a fixed
// port list, the windows' reporter with a recorder in place of its boxes, a
// desktop whose dialogs the test answers, and the rows of the start grids.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>  // the window tests work most of Qt's controls

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/windows/Desktop.h"
#include "app/windows/ErrorReporter.h"
#include "app/windows/MainForm.h"
#include "app/windows/TableWidgetGrid.h"
#include "platform/settings/SettingsFolders.h"
#include "platform/settings/SettingsStore.h"
#include "support/FixedPortList.h"
#include "support/ScopedOverride.h"
#include "support/test_env.h"

namespace windowtest {

using Row = std::vector<std::string>;    // the cells of a grid row
using Lines = std::vector<std::string>;  // texts in turn

// Data row `row` of a start grid, from column 0.
inline void fill(QTableWidget* table, int row, const Row& cells)
{
    app::TableWidgetGrid grid(table);
    for (std::size_t c = 0; c < cells.size(); ++c)
        grid.SetCell(static_cast<int>(c), row, cells[c]);
}
// Data rows 1, 2, ... of a start grid.
inline void fillRows(QTableWidget* table, const std::vector<Row>& rows)
{
    for (std::size_t r = 0; r < rows.size(); ++r)
        fill(table, static_cast<int>(r) + 1, rows[r]);
}
inline Row rowIn(QTableWidget* table, int row)
{
    const app::TableWidgetGrid grid(table);
    Row cells;
    for (int c = 0; c < grid.ColCount(); ++c)
        cells.push_back(grid.Cell(c, row));
    return cells;
}

// The control `name` of a window, as the code names it; the main window's
// own, not one of its dialogs' of the same name.
template <class T>
T* control(const QWidget& window, const char* name)
{
    const auto* main = qobject_cast<const QMainWindow*>(&window);
    const QWidget& root = main ? *main->centralWidget() : window;
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        ADD_FAILURE() << "no control " << name;
    return found;
}

// What of a line's settings the clock depends on: speed, frame, event
// character, and the bits of DTR, RTS and flow control.
inline std::vector<unsigned> lineOf(const platform::SerialLineState& s)
{
    return {s.BaudRate, s.ByteSize, s.Parity, s.StopBits, s.EvtChar,
            s.Flags & (platform::kLineDtrControlMask | platform::kLineRtsControlMask | platform::kLineOutxCtsFlow |
                       platform::kLineOutxDsrFlow | platform::kLineOutX | platform::kLineInX)};
}

// Answers every file chooser with `chosen` and runs `modal` in place of a
// dialog's modal loop.
struct FakeDesktop : app::Desktop {
    QString chosen;
    std::function<int(QDialog&)> modal = [](QDialog&) { return 0; };

    QString chooseFileToOpen(QWidget*, const QString&) override { return chosen; }
    QString chooseTableFile(QWidget*, const app::TableFileDialog&) override { return chosen; }
    int runModal(QDialog& dialog) override { return modal(dialog); }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reporter.setPresenter([this](app::ErrorReporter::Kind kind, const QString& text, std::function<void()> done) {
            said.push_back((kind == app::ErrorReporter::Kind::Failure ? "failure: " : "information: ") +
                           text.toStdString());
            whileShown();
            done();
        });
        app::routeLibraryFailures(&reporter);
    }
    void TearDown() override
    {
        window.reset();
        settle();
        app::routeLibraryFailures(nullptr);
    }

    // The port the next window starts from.
    void storePort(const std::string& port)
    {
        platform::SettingsStore store;
        app::writeMainWindowSettings(store, {.Comport = QString::fromStdString(port)}, std::nullopt);
    }

    // The settings as the program reads them at its start.
    static app::MainSettings storedSettings() { platform::SettingsStore store; return app::readMainSettings(store); }
    // A window made now from the stored settings; not yet Init.
    app::TMainForm& makeWindow()
    {
        window = std::make_unique<app::TMainForm>(storedSettings(), desktop, reporter);
        return *window;
    }
    // Closes the window the way the user does (FormClose runs) and frees it.
    void closeWindow()
    {
        window->close();
        window.reset();
        settle();
    }
    // What the user was told since the last call (see `said`); lets queued
    // reports come first.
    std::vector<std::string> told()
    {
        settle();
        return std::exchange(said, {});
    }
    // Shows the window and makes it the active one, so the focus can move.
    static bool showActive(QWidget& window)
    {
        return window.show(), window.activateWindow(), QTest::qWaitForWindowActive(&window, 5000);
    }
    // Lets queued reports reach the recorder.
    void settle() { QCoreApplication::sendPostedEvents(), QCoreApplication::processEvents(); }

    std::string configFolder = testenv::makeTempDir("config");
    testenv::ScopedOverride userFolder{platform::setSettingsFolder, platform::SettingsRoot::CurrentUser, configFolder};
    testenv::FixedPortList portList;
    app::ErrorReporter reporter;
    std::vector<std::string> said;  // the messages shown, in turn, as "failure: TEXT" or "information: TEXT"
    std::function<void()> whileShown = [] {};  // runs while a box is up
    FakeDesktop desktop;
    std::unique_ptr<app::TMainForm> window;
};

} // namespace windowtest
