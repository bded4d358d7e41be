#include "app/windows/FLoader.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

#include "app/loader/BootRecords.h"
#include "app/windows/Desktop.h"
#include "app/windows/ErrorReporter.h"

namespace app {

TFLoader::TFLoader(Desktop& desktop, ErrorReporter& reporter, QWidget* parent)
    : QDialog(parent),
      upload_(line_, BootEvents{
                         [this](int page) { showLBoot(QString::number(page)); },
                         [this] { showLBoot(QStringLiteral("OK")); },
                         // Waits for the user: the upload holds until the box is closed.
                         [this] {
                             reporter_.showAndWait(ErrorReporter::Kind::Information,
                                                   QString::fromUtf8(kStrangeAddress));
                         },
                     }),
      desktop_(desktop),
      reporter_(reporter)
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
    TimerUpload_.setObjectName(QStringLiteral("TimerUpload"));
    connect(&TimerUpload_, &QTimer::timeout, this, &TFLoader::TimerUploadTimer);

    ComPort_.SetName("ComPort");
    setUpLoaderPort(ComPort_);
    // A reply line has come: the upload takes it now, not at the next tick.
    ComPort_.OnRxFlag = [this](serial::TCustomComPort*) {
        if (upload_.running() && !stepping_)
            TimerUpload_.start(0);
    };
}

TFLoader::~TFLoader()
{
    ComPort_.OnRxFlag = nullptr;
    TimerBoot_.stop();
    TimerUpload_.stop();
}

void TFLoader::execOn(const std::string& portName)
{
    try {
        FormActivate(portName);
    } catch (...) {
        reporter_.reportError(std::current_exception());
        guarded(reporter_, [this] { FormClose(); });
        return;
    }
    guarded(reporter_, [this] { desktop_.runModal(*this); });
    guarded(reporter_, [this] { FormClose(); });
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
    // Only when the modal run was ended from outside can an upload still run.
    TimerUpload_.stop();
    upload_.abandon();
    Button1->setEnabled(true);
    ComPort_.Close();
}

void TFLoader::done(int result)
{
    // The upload has the line until it has ended, and the clock half its
    // firmware: the dialog stays (Escape, the close button, the desktop).
    if (upload_.running())
        return;
    QDialog::done(result);
    guarded(reporter_, [this] { FormClose(); });
}

void TFLoader::closeEvent(QCloseEvent* event)
{
    if (upload_.running())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TFLoader::TimerBootTimer()
{
    guarded(reporter_, [this] { line_.write(std::string(1, kWakeUp)); });
}

void TFLoader::Button1Click()
{
    guarded(reporter_, [this] {
        const QString path = desktop_.chooseFileToOpen(this, QString::fromUtf8(kHexFileFilter));
        if (path.isEmpty())
            return;
        // The whole file is checked before the boot loader is woken: a file
        // that cannot be loaded leaves the clock untouched and waiting.
        std::vector<HexRecord> records = readFirmwareFile(QFile::encodeName(path).toStdString());
        // A line lost under an earlier upload was let go: it is taken again,
        // and a port that cannot be had says so itself.
        if (!ComPort_.Connected())
            ComPort_.Open();
        TimerBoot_.stop();
        showLBoot(QStringLiteral("0"));
        Button1->setEnabled(false);
        stepUpload([&] { upload_.start(std::move(records)); });
    });
}

void TFLoader::TimerUploadTimer()
{
    // While a message box of the upload is up, the upload waits for it.
    if (stepping_ || !upload_.running())
        return;
    stepUpload([this] { stepBootUpload(upload_, line_); });
}

template <class Call>
void TFLoader::stepUpload(Call&& call)
{
    stepping_ = true;
    TimerUpload_.start(kUploadTickMs);
    guarded(reporter_, call);
    stepping_ = false;
    if (upload_.state() == BootUpload::State::Sending)
        TimerUpload_.start(0);
    else if (!upload_.running())
        uploadEnded();
}

void TFLoader::uploadEnded()
{
    TimerUpload_.stop();
    Button1->setEnabled(true);
    guarded(reporter_, [this] {
        if (upload_.state() == BootUpload::State::Done) {
            done(QDialog::Accepted);
        } else if (upload_.state() == BootUpload::State::Failed) {
            reporter_.showAndWait(ErrorReporter::Kind::Failure, QString::fromStdString(upload_.failure()));
        } else if (upload_.state() == BootUpload::State::Abandoned) {
            // The port's own error has been reported; the line is let go, and
            // the operator learns that the clock holds part of its firmware.
            ComPort_.Close();
            reporter_.show(ErrorReporter::Kind::Failure, QString::fromStdString(upload_.failure()));
        }
    });
}

void TFLoader::showLBoot(const QString& text)
{
    LBoot->setText(text);
}

} // namespace app
