#include "app/ImportDialogLink.h"

#include "app/ImportDialog.h"
#include "app/MainForm.h"

namespace app {

void connectImportDialog(TMainForm& mainForm, TFLasin& FLasin)
{
    TFLasin* dialog = &FLasin;
    mainForm.setImportColumns([dialog] { return dialog->columns(); });
    mainForm.setImportRun([dialog](StringGrid*& result) {
        const int modalResult = dialog->ShowModal();
        result = &dialog->ResultGrid();
        return modalResult;
    });
}

} // namespace app
