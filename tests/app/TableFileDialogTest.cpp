// The program's own file dialog for start-list files, set up and accepted
// without being shown: what it offers and the name it takes.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>

#include "app/TableFileDialog.h"
#include "support/test_env.h"

namespace {

TEST(TableFileDialog, OffersItsFiltersAndTakesTheNameAsTyped)
{
    const QString dir = QString::fromStdString(testenv::makeTempDir("dialog"));
    const QString existing = dir + "/old.tid";
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    app::TableFileDialog proposing = app::makeSaveDialog1();
    proposing.fileName = existing;
    struct Case {
        app::TableFileDialog dialog;
        QString typed;  // empty: the proposed name is taken
        QString chosen;
    };
    const Case cases[] = {
        // The name proposed, in its folder; replaced without a question.
        {proposing, QString(), existing},
        // No extension added.
        {app::makeSaveDialog1(), dir + "/lista", dir + "/lista"},
        // A name that does not exist is taken; reading it then fails.
        {app::makeOpenDialog1(), dir + "/missing.tid", dir + "/missing.tid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        QFileDialog box;
        app::setUpTableFileDialog(box, c.dialog);
        const bool save = c.dialog.mode == app::TableFileDialog::Mode::Save;
        EXPECT_EQ(box.acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        EXPECT_EQ(box.fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(box.nameFilters(), c.dialog.filters);
        EXPECT_EQ(box.selectedNameFilter(), c.dialog.filters.first());
        // Asking before replacing would put up a modal box of its own.
        ASSERT_TRUE(!save || box.testOption(QFileDialog::DontConfirmOverwrite));
        if (!c.typed.isEmpty())
            box.selectFile(c.typed);
        static_cast<QDialog&>(box).accept();
        EXPECT_EQ(box.result(), QDialog::Accepted);
        EXPECT_EQ(app::chosenTableFile(box), c.chosen);
    }
}

} // namespace
