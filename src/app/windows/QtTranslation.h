#pragma once
// Qt's own texts (the file dialogs' buttons, labels and questions) in the
// program's language, Swedish.
#include <QString>

namespace app {

// Installs Qt's Swedish translation, qt_sv.qm, from `folder` (by default the
// translations folder Qt was built with) for the running application. False,
// and nothing changes, when there is no application or the file is missing
// or unreadable: Qt then speaks English.
bool loadQtTranslation(const QString& folder);
bool loadQtTranslation();

} // namespace app
