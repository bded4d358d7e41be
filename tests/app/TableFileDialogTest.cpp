// The program's own file dialog for start-list files, driven from a timer so
// that no test waits on it for longer than its deadline.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include "app/TableFileDialog.h"
#include "support/test_env.h"

namespace {

struct Seen {
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::ExistingFile;
    bool asksBeforeReplacing = true;
    QStringList filters;
    QString selectedFilter;
    int otherDialogs = 0;
};

// Shows `dialog` with the program's chooser; once it is up, records how it is
// set, types `typed` and accepts. Any other modal box is recorded and closed.
QString runDialog(const app::TableFileDialog& dialog, const QString& typed, Seen& seen)
{
    QDeadlineTimer deadline(5000);
    bool typedOnce = false;
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* files = qobject_cast<QFileDialog*>(modal);
        if (files && !typedOnce) {
            typedOnce = true;
            seen.acceptMode = files->acceptMode();
            seen.fileMode = files->fileMode();
            seen.asksBeforeReplacing = !files->testOption(QFileDialog::DontConfirmOverwrite);
            seen.filters = files->nameFilters();
            seen.selectedFilter = files->selectedNameFilter();
            files->selectFile(typed);
            // Queued: a box the dialog may open from its accept must find
            // this timer free to fire again.
            QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
        } else if (auto* other = qobject_cast<QDialog*>(modal); other && other != files) {
            ++seen.otherDialogs;
            QMetaObject::invokeMethod(other, "reject", Qt::QueuedConnection);
        } else if (files && deadline.hasExpired()) {
            QMetaObject::invokeMethod(files, "reject", Qt::QueuedConnection);
        }
    });
    driver.start();
    return app::execTableFileDialog(nullptr, dialog);
}

TEST(TableFileDialog, OffersItsFiltersAndTakesTheNameAsTyped)
{
    const std::string dir = testenv::makeTempDir("dialog");
    const QString existing = QString::fromStdString(dir + "/old.tid");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    struct Case {
        app::TableFileDialog dialog;
        QString typed;
        QFileDialog::AcceptMode mode;
    };
    const Case cases[] = {
        // Replaced without a question.
        {app::makeSaveDialog1(), existing, QFileDialog::AcceptSave},
        // No extension added.
        {app::makeSaveDialog1(), QString::fromStdString(dir + "/lista"), QFileDialog::AcceptSave},
        // A name that does not exist is taken; reading it then fails.
        {app::makeOpenDialog1(), QString::fromStdString(dir + "/missing.tid"), QFileDialog::AcceptOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Seen seen;
        EXPECT_EQ(runDialog(c.dialog, c.typed, seen).toStdString(), c.typed.toStdString());
        EXPECT_EQ(seen.acceptMode, c.mode);
        EXPECT_EQ(seen.fileMode, QFileDialog::AnyFile);
        EXPECT_FALSE(seen.asksBeforeReplacing && c.mode == QFileDialog::AcceptSave);
        EXPECT_EQ(seen.filters, c.dialog.filters);
        EXPECT_EQ(seen.selectedFilter, c.dialog.filters.first());
        EXPECT_EQ(seen.otherDialogs, 0);
    }
}

} // namespace
