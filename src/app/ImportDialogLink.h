#pragma once
// Joins the import dialog to the main window: "Läs Tidfil" shows the dialog
// and appends its result, and closing the main window stores its columns.
namespace app {

class TMainForm;
class TFLasin;

void connectImportDialog(TMainForm& mainForm, TFLasin& FLasin);

} // namespace app
