// The main window without a clock: its controls, settings, start-up and
// the clock shift arrows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "WindowFixture.h"
#include "app/Cp1252.h"
#include "app/ShiftArrows.h"
#include "serial/ComLed.h"
#include "support/FakeLocalClock.h"
#include "support/FakeSerialDevice.h"

using windowtest::WindowTest;

namespace {

class MainFormTest : public WindowTest {};

TEST_F(MainFormTest, ControlsCarryTheirCaptions)
{
    app::TMainForm& w = makeWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Ladda VILO Corvalinder ver:10021"));
    ASSERT_EQ(w.PageControl->count(), 3);
    EXPECT_EQ(w.PageControl->tabText(0), QStringLiteral("Vanlig"));
    EXPECT_EQ(w.PageControl->tabText(1), QStringLiteral("Jaktstart"));
    EXPECT_EQ(w.PageControl->tabText(2), QStringLiteral("Uppdatera"));

    const std::vector<std::pair<const char*, const char*>> buttons = {
        {"Button4", "Set Klocka"},    {"Button5", "Sänd tider"},   {"BSave", "Spara i Prom"},
        {"BLoad", "Läs Prom"},        {"Button3", "Init laddning"}, {"Button6", "Blanka tider"},
        {"Button7", "Blanka tider"},  {"LasFile", "Läs Tidfil"},   {"Button2", "Add Starttid"},
        {"Button8", "Sub Starttid"},  {"Button9", "Läs"},          {"Button10", "Spara"},
        {"Button11", "Läs"},          {"Button12", "Spara"},        {"CBGran", "Gran på"},
        {"Tutinga", "Inga"},          {"Tuten", "En Tut"},          {"Tutfem", "6 tut"},
        {"TutAlla", "Alla tut"},
    };
    for (const auto& [name, text] : buttons) {
        auto* b = w.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), QString::fromUtf8(text)) << name;
    }

    QStringList labels;
    for (QLabel* l : w.findChildren<QLabel*>())
        labels << l->text();
    for (const char* text : {"Från nr:", "Till nr:", "Första Starttid:", "Difftid:", "Parstart", "Ant/Start:",
                             "Antal köer:", "Sänd Kö:", "Första start:", "Sekund", "1 / 10Sek.", "TXD   RXD",
                             "Ver:", "In:", "Ut:", "Uppdaera programmet i klockan",
                             "OBS Detta kan förstöra minnet i klockan !"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(w.TutGroup->title(), QStringLiteral("Tutinställning"));
}

TEST_F(MainFormTest, GridsHaveTheirHeadersAndColumnWidths)
{
    app::TMainForm& w = makeWindow();
    struct Column {
        QTableWidget* grid;
        int index;
        const char* header;
        int width;
    };
    const std::vector<Column> columns = {
        {w.StringGrid1, 0, "Från nr", 50}, {w.StringGrid1, 1, "Till nr", 50}, {w.StringGrid1, 2, "Tid", 80},
        {w.StringGrid1, 3, "Difftid", 60}, {w.StringGrid1, 4, "Ant/sta", 50}, {w.StringGrid2, 0, "Nr", 62},
        {w.StringGrid2, 1, "F", 35},       {w.StringGrid2, 2, "Tid", 86},     {w.StringGrid2, 3, "Diff", 64},
    };
    EXPECT_EQ(w.StringGrid1->columnCount(), 5);
    EXPECT_EQ(w.StringGrid2->columnCount(), 4);
    for (const Column& c : columns) {
        EXPECT_EQ(c.grid->horizontalHeaderItem(c.index)->text(), QString::fromUtf8(c.header)) << c.header;
        EXPECT_EQ(c.grid->columnWidth(c.index), c.width) << c.header;
    }
    EXPECT_EQ(w.StringGrid1->rowCount(), app::kGridDataRows);
    EXPECT_EQ(w.StringGrid2->rowCount(), app::kGridDataRows);
}

TEST_F(MainFormTest, FirstStartWithoutSettingsRunsWithoutAPort)
{
    portList.setNames({QStringLiteral("ttyS0")});  // no "Com1" here
    app::TMainForm& w = makeWindow();
    EXPECT_EQ(w.size(), QSize(200, 400));
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    EXPECT_EQ(w.comComboBoxText(), QString());
    EXPECT_EQ(w.ComPort().Port(), "COM1");
    EXPECT_TRUE(w.Timer1().isActive());
    EXPECT_EQ(w.Timer1().interval(), 100);
    EXPECT_EQ(w.Timer1().timerType(), Qt::PreciseTimer);

    w.Init();
    EXPECT_TRUE(messages().empty()) << "the message is shown from the event loop, not inside Init";
    settle();
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("Ingen comport")});
    EXPECT_FALSE(w.ComPort().Connected());
    // "VER" waits framed as the outstanding command.
    EXPECT_EQ(w.Lut->text(), app::fromCp1252("VER\x93"));
    EXPECT_EQ(w.link().Tid1(), 100);

    closeWindow();
    const std::string ini = settingsFileText();
    EXPECT_NE(ini.find("Comport="), std::string::npos) << ini;
    EXPECT_EQ(storedSettings().Comport, QString());
    EXPECT_NE(ini.find("Vidd=200"), std::string::npos) << ini;
    EXPECT_NE(ini.find("hojd=400"), std::string::npos) << ini;
    // The import dialog does not exist yet: its columns are not written.
    EXPECT_EQ(ini.find("Tabid"), std::string::npos) << ini;
}

TEST_F(MainFormTest, GeometryComesBackUnchangedRunAfterRun)
{
    app::MainSettings start;
    start.Vidd = 700;
    start.hojd = 520;
    start.Top = 30;
    start.Left = 45;
    storeSettings(start);
    for (int run = 0; run < 3; ++run) {
        app::TMainForm& w = makeWindow();
        w.show();
        EXPECT_EQ(w.size(), QSize(700, 520)) << run;
        EXPECT_EQ(w.pos(), QPoint(45, 30)) << run;
        closeWindow();
        const app::MainSettings stored = storedSettings();
        EXPECT_EQ(stored.Vidd, 700);
        EXPECT_EQ(stored.hojd, 520);
        EXPECT_EQ(stored.Top, 30);
        EXPECT_EQ(stored.Left, 45);
    }

    app::TMainForm& w = makeWindow();
    w.show();
    w.resize(810, 610);
    closeWindow();
    EXPECT_EQ(storedSettings().Vidd, 810);
    EXPECT_EQ(storedSettings().hojd, 610);
}

TEST_F(MainFormTest, ImportColumnsAreWrittenOnceTheDialogProvidesThem)
{
    app::TMainForm& w = makeWindow();
    w.setImportColumns([] { return app::ImportColumns{4, 7}; });
    closeWindow();
    EXPECT_EQ(storedSettings().Tabid, 4);
    EXPECT_EQ(storedSettings().Tabtid, 7);
}

TEST_F(MainFormTest, RemembersThePortChosenFromTheList)
{
    portList.setNames({QStringLiteral("COM1"), QStringLiteral("COM2")});
    app::MainSettings s;
    s.Comport = QStringLiteral("com2");
    storeSettings(s);
    app::TMainForm& w = makeWindow();
    EXPECT_EQ(w.comComboBoxText(), QStringLiteral("COM2"));
    closeWindow();
    EXPECT_EQ(storedSettings().Comport, QStringLiteral("COM2"));
}

TEST_F(MainFormTest, InitOpensThePortAs9600EightNoneOneWithDtrOnAndRtsOff)
{
    testenv::FakeSerialDevices devices;
    portList.setNames({QStringLiteral("COM1"), QStringLiteral("COM2")});
    app::MainSettings s;
    s.Comport = QStringLiteral("COM2");
    storeSettings(s);
    app::TMainForm& w = makeWindow();
    w.Init();
    settle();
    EXPECT_TRUE(messages().empty());
    ASSERT_TRUE(w.ComPort().Connected());
    const testenv::FakeSerialLine line = devices.line("/dev/COM2");
    ASSERT_TRUE(line.state.has_value());
    EXPECT_EQ(line.state->BaudRate, 9600u);
    EXPECT_EQ(line.state->ByteSize, 8);
    EXPECT_EQ(line.state->Parity, platform::kParityNone);
    EXPECT_EQ(line.state->StopBits, platform::kOneStopBit);
    EXPECT_EQ(line.state->EvtChar, 13);
    EXPECT_EQ(line.state->Flags & platform::kLineDtrControlMask, platform::kLineDtrEnable);
    EXPECT_EQ(line.state->Flags & platform::kLineRtsControlMask, 0u);
    EXPECT_EQ(line.state->Flags & (platform::kLineOutxCtsFlow | platform::kLineOutxDsrFlow | platform::kLineOutX |
                                   platform::kLineInX),
              0u);
    EXPECT_TRUE(w.ComPort().Events().Contains(serial::TComEvent::evRxFlag));
    EXPECT_FALSE(w.ComPort().OnRxChar);  // the lamps' events carry no handler
    EXPECT_EQ(line.written, std::string("VER\x93\r"));
}

TEST_F(MainFormTest, ChoosingAPortThatCannotBeOpenedSaysIngenComport)
{
    testenv::FakeSerialDevices devices;
    portList.setNames({QStringLiteral("COM2"), QStringLiteral("COM3")});
    app::TMainForm& w = makeWindow();
    devices.fail(testenv::FakeSerialDevices::Op::Open, ENOENT);  // no port chosen: the empty name
    w.Init();
    settle();
    ASSERT_EQ(messages(), std::vector<QString>{QStringLiteral("Ingen comport")});

    devices.fail(testenv::FakeSerialDevices::Op::Open, EBUSY);
    w.show();
    w.ComComboBox->setFocus();
    QTest::keyClick(w.ComComboBox, Qt::Key_Down);  // the user picks COM2
    settle();
    EXPECT_EQ(w.ComPort().Port(), "COM2");
    EXPECT_FALSE(w.ComPort().Connected());
    EXPECT_EQ(messages().back(), QStringLiteral("Ingen Comport"));

    QTest::keyClick(w.ComComboBox, Qt::Key_Down);  // then COM3, which opens
    settle();
    EXPECT_EQ(w.ComPort().Port(), "COM3");
    EXPECT_TRUE(w.ComPort().Connected());
    EXPECT_EQ(messages().size(), 2u);
}

bool isControl(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const app::ShiftArrows*>(w) || qobject_cast<const serial::TComLed*>(w);
}

// Inner widgets of a control (a spin entry's button, a grid's headers, a
// tab bar's scroll arrows) lie inside it by design.
bool isPartOfAControl(const QWidget* w, const QWidget* top)
{
    for (const QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (isControl(p) || qobject_cast<const QTabBar*>(p))
            return true;
    return false;
}

// Every control keeps its own place: no two visible controls overlap, at
// any window size and on every tab.
TEST_F(MainFormTest, NoControlCoversAnotherAtAnySize)
{
    app::TMainForm& w = makeWindow();
    w.show();
    auto* scroll = w.findChild<QScrollArea*>(QStringLiteral("MainScroll"));
    ASSERT_NE(scroll, nullptr);
    QWidget* content = scroll->widget();
    for (const QSize size : {QSize(200, 400), QSize(640, 480), QSize(1400, 1000)}) {
        for (int tab = 0; tab < w.PageControl->count(); ++tab) {
            w.resize(size);
            w.PageControl->setCurrentIndex(tab);
            settle();
            std::vector<QWidget*> controls;
            for (QWidget* c : content->findChildren<QWidget*>())
                if (isControl(c) && !isPartOfAControl(c, content) && c->isVisible())
                    controls.push_back(c);
            ASSERT_GT(controls.size(), 15u);
            for (std::size_t i = 0; i < controls.size(); ++i) {
                const QRect a(controls[i]->mapTo(content, QPoint(0, 0)), controls[i]->size());
                EXPECT_GE(controls[i]->width(), controls[i]->minimumSizeHint().width())
                    << controls[i]->objectName().toStdString() << " squeezed at " << size.width() << "x" << size.height();
                for (std::size_t j = i + 1; j < controls.size(); ++j) {
                    const QRect b(controls[j]->mapTo(content, QPoint(0, 0)), controls[j]->size());
                    EXPECT_FALSE(a.intersects(b))
                        << controls[i]->metaObject()->className() << " '" << controls[i]->objectName().toStdString()
                        << "' and " << controls[j]->metaObject()->className() << " '"
                        << controls[j]->objectName().toStdString() << "' overlap at " << size.width() << "x"
                        << size.height() << " on tab " << tab;
                }
            }
        }
    }
}

TEST_F(MainFormTest, ShiftArrowsMoveThePcClock)
{
    struct Case {
        const char* arrows;
        bool up;
        platform::LocalDateTime expected;
    };
    const std::vector<Case> cases = {
        {"SESekund", true, {2026, 6, 15, 12, 0, 1, 0}},
        {"SESekund", false, {2026, 6, 15, 11, 59, 59, 0}},
        {"SETiondel", true, {2026, 6, 15, 12, 0, 0, 100}},
        {"SETiondel", false, {2026, 6, 15, 11, 59, 59, 900}},
    };
    app::TMainForm& w = makeWindow();
    w.show();
    for (const Case& c : cases) {
        testenv::FakeLocalClock clock({2026, 6, 15, 12, 0, 0, 0});
        testenv::ScopedFakeClock scoped(clock);
        auto* arrows = w.findChild<app::ShiftArrows*>(QString::fromLatin1(c.arrows));
        ASSERT_NE(arrows, nullptr);
        QTest::mouseClick(c.up ? arrows->upHalf() : arrows->downHalf(), Qt::LeftButton);
        ASSERT_EQ(clock.setCalls().size(), 1u) << c.arrows << c.up;
        EXPECT_EQ(clock.setCalls()[0], c.expected) << c.arrows << c.up;
    }
}

TEST_F(MainFormTest, HeldArrowRepeatsUntilReleased)
{
    testenv::FakeLocalClock clock({2026, 6, 15, 12, 0, 0, 0});
    testenv::ScopedFakeClock scoped(clock);
    app::TMainForm& w = makeWindow();
    w.show();
    QTest::mousePress(w.SETiondel->upHalf(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return clock.setCalls().size() >= 3; }, 3000));
    QTest::mouseRelease(w.SETiondel->upHalf(), Qt::LeftButton);
    const std::size_t held = clock.setCalls().size();
    QTest::qWait(250);
    EXPECT_EQ(clock.setCalls().size(), held);
}

TEST_F(MainFormTest, AClockThatCannotBeSetIsReportedOnce)
{
    testenv::FakeLocalClock clock({2026, 6, 15, 12, 0, 0, 0});
    clock.failSetWith("no right to set the clock");
    testenv::ScopedFakeClock scoped(clock);
    app::TMainForm& w = makeWindow();
    w.SESekundUpClick();
    w.SESekundUpClick();
    w.SETiondelDownClick();
    settle();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(errors()[0].contains(QStringLiteral("no right to set the clock")));
}

} // namespace
