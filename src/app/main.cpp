// The program: one main window, driven by its event loop until it closes.
#include <QApplication>

#include "app/ErrorReporter.h"
#include "app/ImportDialog.h"
#include "app/ImportDialogLink.h"
#include "app/LoaderDialog.h"
#include "app/MainForm.h"
#include "serial/ComSetupDialog.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalinder"));
    QApplication::setOrganizationName(QStringLiteral("Vilo"));

    app::ErrorReporter& reporter = app::ErrorReporter::instance();
    app::routeLibraryFailures(&reporter);
    serial::installSetupDialog();

    int result = 1;
    try {
        app::TMainForm mainForm;
        reporter.setMainWindow(&mainForm);
        // The import dialog belongs to the main window and lives as long as it.
        auto* FLasin = new app::TFLasin(&mainForm);
        app::connectImportDialog(mainForm, *FLasin);
        // The firmware loader takes the main window's serial line while it is shown.
        app::TFLoader FLoader(&mainForm);
        mainForm.setLoaderRun([&FLoader](const std::string& port) { FLoader.execOn(port); });
        mainForm.show();
        mainForm.Init();
        result = QApplication::exec();
    } catch (...) {
        // A failure while the windows are made ends the program, after saying
        // why; a report still waiting is shown first, so this one is not dropped.
        const std::exception_ptr error = std::current_exception();
        reporter.drain();
        reporter.reportError(error);
        result = 1;
    }
    // A report made while the window closed (settings not saved) is still shown.
    reporter.drain();
    app::routeLibraryFailures(nullptr);
    return result;
}
