// The program: one main window, driven by its event loop until it closes.
#include <QApplication>
#include <QMessageBox>

#include "app/ErrorReporter.h"
#include "app/ImportDialog.h"
#include "app/ImportDialogLink.h"
#include "app/LoaderDialog.h"
#include "app/MainForm.h"
#include "serial/ExceptionHook.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalinder"));
    QApplication::setOrganizationName(QStringLiteral("Vilo"));

    app::ErrorReporter& reporter = app::ErrorReporter::instance();
    serial::SetExceptionHandler([&reporter](std::exception_ptr error) { reporter.reportError(error); });

    int result = 1;
    try {
        app::TMainForm mainForm;
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
        // A failure while the windows are made ends the program, after saying why.
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              app::ErrorReporter::messageOf(std::current_exception()));
        result = 1;
    }
    // A report made while the window closed (settings not saved) is still shown.
    reporter.drain();
    serial::SetExceptionHandler(nullptr);
    return result;
}
