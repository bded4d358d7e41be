#pragma once
// The desktop of the program: Qt's file dialogs and a dialog's own modal
// loop.
#include "app/windows/Desktop.h"

namespace app {

class QtDesktop : public Desktop {
public:
    QString chooseFileToOpen(QWidget* parent, const QString& filter) override;
    QString chooseTableFile(QWidget* parent, const TableFileDialog& dialog) override;
    int runModal(QDialog& dialog) override;
};

} // namespace app
