#include "app/windows/TableFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace app {

TableFileDialog makeOpenDialog1()
{
    return {TableFileDialog::Mode::Open,
            {QStringLiteral("Tider (*.tid)"), QString::fromUtf8("Tider från klocka (*.txt)")},
            QStringLiteral("*.txt")};
}

TableFileDialog makeSaveDialog1()
{
    return {TableFileDialog::Mode::Save,
            {QStringLiteral("Tider (*.tid)"), QString::fromUtf8("Tider från Klocka (*.txt)"), QStringLiteral("Alla (*)")},
            QString()};
}

QString execTableFileDialog(QWidget* parent, const TableFileDialog& dialog)
{
    QFileDialog box(parent);
    setUpTableFileDialog(box, dialog);
    if (box.exec() != QDialog::Accepted)
        return {};
    return chosenTableFile(box);
}

void setUpTableFileDialog(QFileDialog& box, const TableFileDialog& dialog)
{
    const bool save = dialog.mode == TableFileDialog::Mode::Save;
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, save);
    box.setNameFilters(dialog.filters);
    if (!dialog.filters.isEmpty())
        box.selectNameFilter(dialog.filters.first());
    if (!dialog.fileName.isEmpty()) {
        const QFileInfo proposed(dialog.fileName);
        if (proposed.isAbsolute())
            box.setDirectory(proposed.absolutePath());
        box.selectFile(proposed.fileName());
    }
}

QString chosenTableFile(const QFileDialog& box)
{
    const QStringList chosen = box.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace app
