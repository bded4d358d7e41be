// The program: one main window, driven by its event loop until it closes.
#include <QApplication>

#include "app/windows/ErrorReporter.h"
#include "app/windows/MainForm.h"
#include "app/windows/MainSettings.h"
#include "app/windows/QtDesktop.h"
#include "app/windows/QtTranslation.h"
#include "platform/settings/SettingsStore.h"
#include "serial/controls/ComSetupFrm.h"

namespace {

// The settings of the last run, read once for every window; an unreadable
// settings file leaves the defaults, and the user is told.
app::MainSettings readSettings(app::ErrorReporter& reporter)
{
    try {
        platform::SettingsStore store;
        return app::readMainSettings(store);
    } catch (...) {
        reporter.reportError(std::current_exception());
        return app::MainSettings{};
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalinder"));
    QApplication::setOrganizationName(QStringLiteral("Vilo"));
    // Without the translation Qt's dialogs stay English; the program runs.
    app::loadQtTranslation();

    // Every window shows its messages through this one reporter.
    app::ErrorReporter reporter;
    app::routeLibraryFailures(&reporter);
    serial::installSetupDialog();

    int result = 1;
    try {
        app::QtDesktop desktop;
        app::TMainForm mainForm(readSettings(reporter), desktop, reporter);
        reporter.setMainWindow(&mainForm);
        mainForm.show();
        mainForm.Init();
        result = QApplication::exec();
        // The window has said so while it closed.
        if (!mainForm.settingsSaved())
            result = 1;
    } catch (...) {
        // A failure while the windows are made ends the program, after saying
        // why; a report still waiting is shown first, so this one is not dropped.
        const std::exception_ptr error = std::current_exception();
        reporter.drain();
        reporter.reportError(error);
        result = 1;
    }
    // A report still waiting is shown before the program ends.
    reporter.drain();
    app::routeLibraryFailures(nullptr);
    return result;
}
