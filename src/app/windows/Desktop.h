#pragma once
// What the windows ask of the desktop: a file chosen, a dialog run modally.
// (Messages go through the ErrorReporter.) The program's windows get the one
// real desktop (QtDesktop); tests give them a fake, so no test waits on a
// dialog.
#include <QString>

class QDialog;
class QWidget;

namespace app {

struct TableFileDialog;

class Desktop {
public:
    virtual ~Desktop() = default;
    // An existing file chosen over `parent`, offered through `filter` ("Name
    // (*.ext);;Other (*)", empty for all files); empty when cancelled.
    virtual QString chooseFileToOpen(QWidget* parent, const QString& filter) = 0;
    // The start-list file chosen in `dialog`; empty when cancelled.
    virtual QString chooseTableFile(QWidget* parent, const TableFileDialog& dialog) = 0;
    // Runs `dialog` modally and answers its result.
    virtual int runModal(QDialog& dialog) = 0;
};

} // namespace app
