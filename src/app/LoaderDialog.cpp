#include "app/LoaderDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/BootRecords.h"
#include "app/ErrorReporter.h"

namespace app {

TFLoader::TFLoader(QWidget* parent)
    : QDialog(parent),
      upload_(line_, BootEvents{
                         [this](int page) { showLBoot(QString::number(page)); },
                         [this] { showLBoot(QStringLiteral("OK")); },
                         [this] { messageBox_(this, QString::fromUtf8(kStrangeAddress)); },
                     })
{
    setObjectName(QStringLiteral("FLoader"));
    setWindowTitle(QString::fromUtf8(kLoaderCaption));

    Button1 = new QPushButton(QStringLiteral("Ladda Hexfil"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    StaticText1 = new QLabel(QStringLiteral("Page:"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    LBoot = new QLabel(QStringLiteral("0"), this);
    LBoot->setObjectName(QStringLiteral("LBoot"));
    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(StaticText1);
    pageRow->addWidget(LBoot, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Button1);
    layout->addLayout(pageRow);
    connect(Button1, &QPushButton::clicked, this, &TFLoader::Button1Click);

    TimerBoot_.setObjectName(QStringLiteral("TimerBoot"));
    TimerBoot_.setInterval(kTimerBootIntervalMs);
    connect(&TimerBoot_, &QTimer::timeout, this, &TFLoader::TimerBootTimer);

    ComPort_.SetName("ComPort");
    setUpLoaderPort(ComPort_);

    chooseFile_ = [](QWidget* owner) {
        return QFileDialog::getOpenFileName(owner, QString(), QString(), QString::fromUtf8(kHexFileFilter));
    };
    modalRun_ = [](TFLoader& dialog) { dialog.exec(); };
    messageBox_ = [](QWidget* owner, const QString& text) {
        QMessageBox::information(owner, QString::fromUtf8(kLoaderCaption), text);
    };
}

TFLoader::~TFLoader()
{
    TimerBoot_.stop();
}

void TFLoader::execOn(const std::string& portName)
{
    try {
        FormActivate(portName);
    } catch (...) {
        ErrorReporter::instance().reportError(std::current_exception());
        guarded([this] { FormClose(); });
        return;
    }
    guarded([this] { modalRun_(*this); });
    guarded([this] { FormClose(); });
}

void TFLoader::FormActivate(const std::string& portName)
{
    // Done once for each showing, not at every activation: a message box
    // closing during an upload makes the dialog active again, and must not
    // restart the wake-up under it.
    ComPort_.SetPort(portName);
    ComPort_.Open();
    upload_.activate();
    TimerBoot_.start();
}

void TFLoader::FormClose()
{
    TimerBoot_.stop();
    ComPort_.Close();
}

void TFLoader::done(int result)
{
    QDialog::done(result);
    guarded([this] { FormClose(); });
}

void TFLoader::TimerBootTimer()
{
    guarded([this] { line_.write(std::string(1, kWakeUp)); });
}

void TFLoader::Button1Click()
{
    guarded([this] {
        const QString path = chooseFile_(this);
        if (path.isEmpty())
            return;
        // The whole file is checked before the boot loader is woken: a file
        // that cannot be loaded leaves the clock untouched and waiting.
        std::vector<HexRecord> records = readFirmwareFile(QFile::encodeName(path).toStdString());
        TimerBoot_.stop();
        upload_.start(std::move(records));
        runBootUpload(upload_, line_);
        if (upload_.state() == BootUpload::State::Done)
            done(QDialog::Accepted);
        else if (upload_.state() == BootUpload::State::Failed)
            messageBox_(this, QString::fromStdString(upload_.failure()));
    });
}

void TFLoader::showLBoot(const QString& text)
{
    LBoot->setText(text);
    // The GUI thread stays busy with the upload: paint now.
    LBoot->repaint();
}

} // namespace app
