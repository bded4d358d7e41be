#pragma once
// The main window's two file dialogs for start-list files: what each offers
// and the name it proposes next. The window shows one through its Desktop.
#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace app {

struct TableFileDialog {
    enum class Mode { Open, Save };

    Mode mode = Mode::Open;
    // Name filters in the order offered; the first is selected.
    QStringList filters;
    // The name in the file-name box when next shown.
    QString fileName;
};

// The dialog shared by both readers: "*.tid", also "*.txt" files from the
// clock; a name that does not exist is accepted (reading it then fails).
TableFileDialog makeOpenDialog1();
// The dialog shared by both writers: no extension is added to the name
// typed and an existing file is replaced without asking.
TableFileDialog makeSaveDialog1();

// Shows `dialog` as a modal QFileDialog over `parent`, set up by
// setUpTableFileDialog and read by chosenTableFile: the name chosen, or an
// empty text when it is cancelled.
QString execTableFileDialog(QWidget* parent, const TableFileDialog& dialog);

// Sets `box` up as `dialog` asks: open or save, any name accepted as typed
// (no extension added, an existing file replaced without a question), the
// filters with the first selected, the proposed name in its folder.
void setUpTableFileDialog(QFileDialog& box, const TableFileDialog& dialog);
// The name chosen in `box` once it is accepted; empty when there is none.
QString chosenTableFile(const QFileDialog& box);

} // namespace app
