#include "app/windows/QtDesktop.h"

#include <QDialog>
#include <QFileDialog>

#include "app/windows/TableFileDialog.h"

namespace app {

QString QtDesktop::chooseFileToOpen(QWidget* parent, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QString QtDesktop::chooseTableFile(QWidget* parent, const TableFileDialog& dialog)
{
    return execTableFileDialog(parent, dialog);
}

int QtDesktop::runModal(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace app
