#include "app/windows/MainForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTableWidget>

#include "app/link/LineSetup.h"
#include "app/windows/ErrorReporter.h"
#include "app/windows/FLasin.h"
#include "app/windows/FLoader.h"
#include "platform/ScopeExit.h"
#include "platform/settings/SettingsStore.h"
#include "serial/controls/ComComboBox.h"

namespace app {

TMainForm::TMainForm(const MainSettings& settings, Desktop& desktop, ErrorReporter& reporter, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      desktop_(desktop),
      reporter_(reporter),
      // The import dialog keeps its entries from one showing to the next; the
      // loader takes the window's serial line while it is shown.
      FLasin_(std::make_unique<TFLasin>(settings, desktop, reporter, this)),
      FLoader_(std::make_unique<TFLoader>(desktop, reporter, this)),
      link_(linkPort_, *this, reporter_.errorHandler(), systemWaitClock(), &transfer_),
      clockShift_(reporter_.errorHandler()),
      sekundRepeat_([this](int amount) { Settiddiff(amount); }),
      tiondelRepeat_([this](int amount) { Settiddiff(amount); })
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8(kMainFormCaption));
    setUpComPort();
    buildWindow();
    bindPortSelector();
    wireHandlers();
    wireTables();
    wireTransfer();
    wireFiles();

    Timer1_.setObjectName(QStringLiteral("Timer1"));
    Timer1_.setTimerType(Qt::PreciseTimer);
    Timer1_.setInterval(kTimer1IntervalMs);
    connect(&Timer1_, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1_.start();

    FormCreate();
}

TMainForm::~TMainForm()
{
    Timer1_.stop();
    // The port closes itself; its handler must not reach a half-destroyed window.
    ComPort_.OnRxFlag = nullptr;
    ComPort_.OnRx80Full = nullptr;
    ComPort_.OnAfterOpen = nullptr;
}

void TMainForm::setUpComPort()
{
    ComPort_.SetName("ComPort");
    setUpClockLine(ComPort_, serial::TDTRFlowControl::dtrEnable);
    // The receive flag drives the link. So does a nearly full input queue:
    // noise without a CR would otherwise fill the queue, the port would stop
    // taking bytes from the line, and the CR that wakes the link would never
    // get in; read, the noise is thrown away by the link's line-length rule.
    // Received characters and an empty output queue are watched too, only so
    // that the lamps follow the data: on the flag alone the TXD lamp would
    // stay lit after the first write and the RXD lamp never light. No handler
    // is attached to either.
    ComPort_.SetEvents(serial::TComEvents{serial::TComEvent::evRxFlag, serial::TComEvent::evRx80Full,
                                          serial::TComEvent::evRxChar, serial::TComEvent::evTxEmpty});
    ComPort_.OnRxFlag = [this](serial::TCustomComPort*) { ComPortRxFlag(); };
    ComPort_.OnRx80Full = [this](serial::TCustomComPort*) { ComPortRxFlag(); };
    // A port opened again (another port chosen, the line back from the
    // loader) starts with a clean slate: its first failure is reported.
    ComPort_.OnAfterOpen = [this](serial::TCustomComPort*) { link_.portOpened(); };
}

void TMainForm::FormCreate()
{
    // The same quantities are written back on close, so the window keeps
    // its place and size from run to run.
    resize(settings_.Vidd, settings_.hojd);
    move(settings_.Left, settings_.Top);
    setComComboBoxText(settings_.Comport);
}

void TMainForm::FormClose()
{
    MainSettings s = settings_;
    s.Vidd = width();
    s.hojd = height();
    s.Top = y();
    s.Left = x();
    s.Comport = comComboBoxText();
    platform::SettingsStore store;
    writeMainWindowSettings(store, s, FLasin_->columns());
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A close always ends the program. The link stops and the port closes
    // first, whatever the save does. What is left to say (a save that failed)
    // is shown now, over the window still on screen: a box that outlived the
    // window would keep the program running without it.
    Timer1_.stop();
    guarded(reporter_, [this] { ComPort_.Close(); });
    try {
        FormClose();
    } catch (...) {
        settingsSaved_ = false;
        reporter_.reportError(std::current_exception());
    }
    reporter_.drain();
    event->accept();
}

void TMainForm::Init()
{
    guarded(reporter_, [this] {
        try {
            ComPort_.SetPort(comComboBoxText().toStdString());
            ComPort_.Open();
        } catch (...) {
            reporter_.show(ErrorReporter::Kind::Failure, QStringLiteral("Ingen comport"));
        }
        link_.startPolling();
    });
}

void TMainForm::ComComboBoxChange()
{
    guarded(reporter_, [this] {
        try {
            ComPort_.Open();
        } catch (...) {
            reporter_.show(ErrorReporter::Kind::Failure, QStringLiteral("Ingen Comport"));
        }
    });
}

void TMainForm::Button3Click()
{
    guarded(reporter_, [this] {
        ComPort_.Close();
        Timer1_.stop();
        // Whatever happens from here on, the timer runs again afterwards:
        // polling, resending and a transfer must not stop for the rest of
        // the run because the port could not be had back.
        platform::ScopeExit restart([this] { Timer1_.start(); });
        try {
            FLoader_->execOn(ComPort_.Port());
        } catch (...) {
            reporter_.reportError(std::current_exception());
        }
        ComPort_.Open();
    });
}

void TMainForm::Timer1Timer()
{
    guarded(reporter_, [this] { link_.tick(); });
}

void TMainForm::ComPortRxFlag()
{
    guarded(reporter_, [this] { link_.receive(); });
}

void TMainForm::SetKlockaClick()
{
    guarded(reporter_, [this] { link_.SetKlockaClick(); });
}

void TMainForm::BSaveClick()
{
    guarded(reporter_, [this] { link_.BSaveClick(); });
}

void TMainForm::BLoadClick()
{
    guarded(reporter_, [this] { link_.BLoadClick(); });
}

void TMainForm::Settiddiff(int diff)
{
    guarded(reporter_, [this, diff] { clockShift_.Settiddiff(diff); });
}

// ---- labels of the link ----

void TMainForm::showPcTime(const QString& text)
{
    Klocka->setText(text);
}

void TMainForm::showSent(const QString& text)
{
    Lut->setText(text);
}

void TMainForm::showReceived(const QString& text)
{
    Lin->setText(text);
}

void TMainForm::showVersion(const QString& text)
{
    VerLabel->setText(text);
}

// ---- port selector ----

void TMainForm::bindPortSelector()
{
    // The machine's ports with no item chosen; linking the port then selects
    // the port's own name when it is listed, and a choice applies the name to
    // the port at once.
    ComComboBox->SetComProperty(serial::TComProperty::cpPort);
    ComComboBox->SetAutoApply(true);
    ComComboBox->setCurrentIndex(-1);
    ComComboBox->SetComPort(&ComPort_);
    ComComboBox->OnChange = [this](serial::TComComboBox*) { ComComboBoxChange(); };
}

QString TMainForm::comComboBoxText() const
{
    return QString::fromStdString(ComComboBox->Text());
}

void TMainForm::setComComboBoxText(const QString& name)
{
    ComComboBox->SetText(name.toStdString());
}

} // namespace app
