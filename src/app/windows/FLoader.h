#pragma once
// The firmware loader dialog: puts new firmware into the clock through its
// boot loader, from an Intel HEX file, page by page.
//
// Made once at start-up and shown modally by the main window's hand-over
// (execOn) with the main window's port name; the dialog then owns the line
// through its own port. While it waits it sends the wake-up byte every
// 500 ms; "Ladda Hexfil" asks for a file and starts the upload (BootUpload),
// showing the page being sent. The event loop moves the upload on, by a
// short timer and at once when a reply line has come, so the windows keep
// painting and answering throughout; while it runs the button is disabled
// and the dialog cannot be closed. When the boot loader has taken the last
// page the dialog closes. Files are chosen and the dialog is run through the
// Desktop it is given, and messages are shown through its ErrorReporter.
#include <QDialog>
#include <QString>
#include <QTimer>

#include <string>

#include "app/loader/BootUpload.h"
#include "app/loader/ComBootPort.h"
#include "serial/ComPort.h"

class QLabel;
class QPushButton;

namespace app {

class Desktop;
class ErrorReporter;

inline constexpr const char* kLoaderCaption = "BootLoadeer";
inline constexpr const char* kHexFileFilter = "Intel Hexfiler (*.hex);;Alla (*.*)";
inline constexpr const char* kStrangeAddress = "Konstig adress dök upp";
inline constexpr int kTimerBootIntervalMs = 500;
// How often a running upload looks at the line and the time.
inline constexpr int kUploadTickMs = 20;

class TFLoader : public QDialog {
    Q_OBJECT
public:
    // Files are chosen and the dialog is run modally through `desktop`; the
    // upload's messages, which the user closes before it goes on, and every
    // failure go to `reporter`.
    TFLoader(Desktop& desktop, ErrorReporter& reporter, QWidget* parent = nullptr);
    ~TFLoader() override;

    // The main window's hand-over, on its port name: opens the port and
    // starts the wake-up (FormActivate), shows the dialog modally, then
    // stops the wake-up and closes the port (FormClose). When the port
    // cannot be opened the error goes to the reporter and the dialog
    // is not shown. Never throws.
    void execOn(const std::string& portName);

    void setTiming(const BootTiming& timing) { upload_.setTiming(timing); }

    serial::TComPort& ComPort() { return ComPort_; }
    QTimer& TimerBoot() { return TimerBoot_; }
    QTimer& TimerUpload() { return TimerUpload_; }
    const BootUpload& upload() const { return upload_; }

public slots:
    // The upload.
    void Button1Click();
    // The wake-up byte.
    void TimerBootTimer();
    // Moves a running upload on.
    void TimerUploadTimer();

protected:
    // Closing the dialog, by the user or at the end of an upload, runs
    // FormClose; while an upload runs, closing is refused.
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormActivate(const std::string& portName);
    void FormClose();
    void showLBoot(const QString& text);
    // Runs one call into the upload (errors to the error reporter), then
    // either asks for the next or ends the upload.
    template <class Call>
    void stepUpload(Call&& call);
    void uploadEnded();

    // ---- components, each named as here (tests find them by that name) ----
    QPushButton* Button1 = nullptr;  // "Ladda Hexfil"
    QLabel* StaticText1 = nullptr;   // "Page:"
    QLabel* LBoot = nullptr;         // the page being sent, "OK" at the end

    serial::TComPort ComPort_;
    ComBootPort line_{ComPort_};
    BootUpload upload_;
    QTimer TimerBoot_;
    QTimer TimerUpload_;
    // A call into the upload is under way (its message box may be up): the
    // timer and the port's events must not call again until it returns.
    bool stepping_ = false;
    Desktop& desktop_;
    ErrorReporter& reporter_;
};

} // namespace app
