// The main window's widgets and their places. Everything sits in layouts
// inside a scroll area, so no control covers another at any window size: a
// window smaller than the controls need scrolls instead.
#include "app/windows/MainForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <climits>
#include <initializer_list>
#include <tuple>
#include <utility>

#include "app/windows/ShiftArrows.h"
#include "serial/controls/ComComboBox.h"
#include "serial/controls/ComLed.h"
#include "timevalues/TidRut.h"
#include "timevalues/controls/TidEdit.h"
#include "timevalues/controls/ViloSpinnEdit.h"

namespace app {
namespace {

// "Difftid:" at start: 00:30 between two starts.
constexpr timevalues::TTid kDefaultDiffTid = 30 * timevalues::kTidSecond;
// "Ant/Start:" (starters per start) takes 1 to 9 and shows the least at start.
constexpr int kFewestStarters = 1;
constexpr int kMostStarters = 9;
// The clock's queues are numbered 1 to 9: "Antal köer:" takes that range and
// shows one queue at start, "Sänd Kö:" shows the first.
constexpr int kFirstQueue = 1;
constexpr int kLastQueue = 9;

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(const char* name, const char* caption)
{
    return named(new QPushButton(QString::fromUtf8(caption)), name);
}

QLabel* caption(const char* text)
{
    return new QLabel(QString::fromUtf8(text));
}

// A label that shows bytes from the clock: plain text always, and a long line
// does not widen the window.
QLabel* lineLabel(const char* name)
{
    auto* label = named(new QLabel, name);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A start grid: a header row and kGridDataRows data rows, no row numbers.
QTableWidget* startGrid(const char* name, std::initializer_list<std::pair<const char*, int>> columns)
{
    auto* grid = named(new QTableWidget(kGridDataRows, static_cast<int>(columns.size())), name);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    QStringList headers;
    int column = 0;
    for (const auto& [header, width] : columns) {
        headers << QString::fromUtf8(header);
        grid->setColumnWidth(column++, width);
    }
    grid->setHorizontalHeaderLabels(headers);
    // Wide enough for every column without scrolling sideways.
    int total = 0;
    for (int c = 0; c < grid->columnCount(); ++c)
        total += grid->columnWidth(c);
    grid->setMinimumWidth(total + grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth());
    return grid;
}

timevalues::TViloSpinnEdit* numberEntry(const char* name, int minValue, int maxValue, int value)
{
    auto* entry = named(new timevalues::TViloSpinnEdit, name);
    entry->setDecimals(0);
    entry->setMinValue(minValue);
    entry->setMaxValue(maxValue);
    entry->setValue(value);
    return entry;
}

timevalues::TTidEdit* timeEntry(const char* name, const char* editMask, timevalues::TTid tid)
{
    auto* entry = named(new timevalues::TTidEdit, name);
    entry->setEditMask(QString::fromLatin1(editMask));
    entry->setTid(tid);
    return entry;
}

// The foot of a table tab's column: the file buttons side by side, then
// "Blanka tider"; the column then goes beside the grid.
void endTableColumn(QHBoxLayout* page, QVBoxLayout* side, QPushButton* read, QPushButton* save, QPushButton* blank)
{
    auto* files = new QHBoxLayout;
    files->addWidget(read);
    files->addWidget(save);
    side->addLayout(files);
    side->addWidget(blank);
    side->addStretch(1);
    page->addLayout(side);
}

QVBoxLayout* column(QWidget* owner)
{
    auto* layout = new QVBoxLayout(owner);
    return layout;
}

} // namespace

void TMainForm::buildWindow()
{
    auto* content = new QWidget;
    auto* outer = new QVBoxLayout(content);
    auto* top = new QHBoxLayout;
    PageControl = named(new QTabWidget, "PageControl");
    PageControl->addTab(buildVanligTab(), QStringLiteral("Vanlig"));
    PageControl->addTab(buildJaktstartTab(), QStringLiteral("Jaktstart"));
    PageControl->addTab(buildUppdateraTab(), QStringLiteral("Uppdatera"));
    PageControl->setCurrentIndex(0);
    top->addWidget(PageControl, 1);
    top->addWidget(buildSidePanel());
    outer->addLayout(top, 1);
    outer->addWidget(buildLinkLabels());

    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("MainScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    // Only a place for the controls, with no frame to show a focus: the Tab
    // key passes it by, and a control it takes scrolls into view itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    setCentralWidget(scroll);
}

QWidget* TMainForm::buildVanligTab()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    StringGrid1 = startGrid("StringGrid1", {{"Från nr", 50}, {"Till nr", 50}, {"Tid", 80}, {"Difftid", 60}, {"Ant/sta", 50}});
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(StringGrid1, 1);

    auto* side = column(nullptr);
    auto* form = new QFormLayout;
    SEFnr = numberEntry("SEFnr", 0, 0, 0);
    SETnr = numberEntry("SETnr", 0, 0, 0);
    StartTid = timeEntry("StartTid", "!00:00:00;1;_", 0);
    DiffTid = timeEntry("DiffTid", "!00:00;1;_", kDefaultDiffTid);
    SEParstart = numberEntry("SEParstart", kFewestStarters, kMostStarters, kFewestStarters);
    form->addRow(caption("Från nr:"), SEFnr);
    form->addRow(caption("Till nr:"), SETnr);
    form->addRow(caption("Första Starttid:"), StartTid);
    form->addRow(caption("Difftid:"), DiffTid);
    form->addRow(caption("Parstart"));
    form->addRow(caption("Ant/Start:"), SEParstart);
    side->addLayout(form);

    TutGroup = named(new QGroupBox(QString::fromUtf8("Tutinställning")), "TutGroup");
    auto* tutLayout = new QVBoxLayout(TutGroup);
    TutButtons = new QButtonGroup(TutGroup);
    TutButtons->setExclusive(true);
    int code = 0;
    for (auto [field, name, text] : {std::tuple{&Tutinga, "Tutinga", "Inga"}, std::tuple{&Tuten, "Tuten", "En Tut"},
                                     std::tuple{&Tutfem, "Tutfem", "6 tut"}, std::tuple{&TutAlla, "TutAlla", "Alla tut"}}) {
        *field = named(new QRadioButton(QString::fromUtf8(text)), name);
        TutButtons->addButton(*field, code++);
        tutLayout->addWidget(*field);
    }
    TutAlla->setChecked(true);
    side->addWidget(TutGroup);

    Button11 = button("Button11", "Läs");
    Button12 = button("Button12", "Spara");
    Button6 = button("Button6", "Blanka tider");
    endTableColumn(layout, side, Button11, Button12, Button6);
    return page;
}

QWidget* TMainForm::buildJaktstartTab()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    StringGrid2 = startGrid("StringGrid2", {{"Nr", 62}, {"F", 35}, {"Tid", 86}, {"Diff", 64}});
    layout->addWidget(StringGrid2, 1);

    auto* side = column(nullptr);
    auto* form = new QFormLayout;
    AntalKo = named(new QSpinBox, "AntalKo");
    AntalKo->setRange(kFirstQueue, kLastQueue);
    AntalKo->setValue(kFirstQueue);
    Ako = named(new QSpinBox, "Ako");
    Ako->setRange(INT_MIN, INT_MAX);
    Ako->setValue(kFirstQueue);
    EStartTid = timeEntry("EStartTid", "!00:00:00;1;_", 0);
    form->addRow(caption("Antal köer:"), AntalKo);
    form->addRow(caption("Sänd Kö:"), Ako);
    form->addRow(caption("Första start:"), EStartTid);
    side->addLayout(form);

    LasFile = button("LasFile", "Läs Tidfil");
    Button2 = button("Button2", "Add Starttid");
    Button8 = button("Button8", "Sub Starttid");
    Button9 = button("Button9", "Läs");
    Button10 = button("Button10", "Spara");
    Button7 = button("Button7", "Blanka tider");
    side->addWidget(LasFile);
    side->addWidget(Button2);
    side->addWidget(Button8);
    endTableColumn(layout, side, Button9, Button10, Button7);
    return page;
}

QWidget* TMainForm::buildUppdateraTab()
{
    auto* page = new QWidget;
    auto* layout = column(page);
    layout->addWidget(caption("Uppdaera programmet i klockan"));
    Button3 = button("Button3", "Init laddning");
    auto* row = new QHBoxLayout;
    row->addWidget(Button3);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(caption("OBS Detta kan förstöra minnet i klockan !"));
    layout->addStretch(1);
    return page;
}

QWidget* TMainForm::buildSidePanel()
{
    auto* panel = new QWidget;
    auto* layout = column(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    Klocka = named(new QLabel, "Klocka");
    Klocka->setTextFormat(Qt::PlainText);
    QFont big = Klocka->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    Klocka->setFont(big);
    Klocka->setAlignment(Qt::AlignCenter);
    // Room for the widest time text, so the panel does not move each second.
    Klocka->setMinimumWidth(Klocka->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 MM")));
    layout->addWidget(Klocka);

    Button4 = button("Button4", "Set Klocka");
    layout->addWidget(Button4);

    auto* shift = new QGridLayout;
    SESekund = named(new ShiftArrows, "SESekund");
    SETiondel = named(new ShiftArrows, "SETiondel");
    shift->addWidget(SESekund, 0, 0);
    shift->addWidget(caption("Sekund"), 0, 1);
    shift->addWidget(SETiondel, 1, 0);
    shift->addWidget(caption("1 / 10Sek."), 1, 1);
    shift->setColumnStretch(1, 1);
    layout->addLayout(shift);

    CBGran = named(new QCheckBox(QString::fromUtf8("Gran på")), "CBGran");
    layout->addWidget(CBGran);
    Button5 = button("Button5", "Sänd tider");
    layout->addWidget(Button5);
    BSave = button("BSave", "Spara i Prom");
    BLoad = button("BLoad", "Läs Prom");
    BSave->setEnabled(false);
    BLoad->setEnabled(false);
    layout->addWidget(BSave);
    layout->addWidget(BLoad);

    ComComboBox = named(new serial::TComComboBox, "ComComboBox");
    ComComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComComboBox->setMinimumContentsLength(10);
    layout->addWidget(ComComboBox);
    auto* lampCaption = caption("TXD   RXD");
    lampCaption->setObjectName(QStringLiteral("LampCaption"));
    layout->addWidget(lampCaption);
    ComLed1 = named(new serial::TComLed, "ComLed1");
    ComLed1->SetKind(serial::TLedKind::lkRedLight);
    ComLed1->SetLedSignal(serial::TComLedSignal::lsTx);
    ComLed1->SetComPort(&ComPort_);
    ComLed2 = named(new serial::TComLed, "ComLed2");
    ComLed2->SetKind(serial::TLedKind::lkGreenLight);
    ComLed2->SetLedSignal(serial::TComLedSignal::lsRx);
    ComLed2->SetComPort(&ComPort_);
    // Each lamp under its half of the caption.
    auto* lamps = new QHBoxLayout;
    lamps->addWidget(ComLed1);
    lamps->addSpacing(lampCaption->fontMetrics().horizontalAdvance(QStringLiteral("   ")));
    lamps->addWidget(ComLed2);
    lamps->addStretch(1);
    layout->addLayout(lamps);
    layout->addStretch(1);
    return panel;
}

QWidget* TMainForm::buildLinkLabels()
{
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    VerLabel = lineLabel("VerLabel");
    Lin = lineLabel("Lin");
    Lut = lineLabel("Lut");
    grid->addWidget(caption("Ver:"), 0, 0);
    grid->addWidget(VerLabel, 0, 1);
    grid->addWidget(caption("In:"), 1, 0);
    grid->addWidget(Lin, 1, 1);
    grid->addWidget(caption("Ut:"), 2, 0);
    grid->addWidget(Lut, 2, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

void TMainForm::wireHandlers()
{
    connect(Button4, &QPushButton::clicked, this, &TMainForm::SetKlockaClick);
    connect(BSave, &QPushButton::clicked, this, &TMainForm::BSaveClick);
    connect(BLoad, &QPushButton::clicked, this, &TMainForm::BLoadClick);
    connect(Button3, &QPushButton::clicked, this, &TMainForm::Button3Click);

    // An arrow shifts once when pressed and repeats while it is held.
    connect(SESekund, &ShiftArrows::pressed, &sekundRepeat_,
            [this](int direction) { sekundRepeat_.press(direction * timevalues::kTidSecond); });
    connect(SESekund, &ShiftArrows::released, &sekundRepeat_, &ShiftRepeat::release);
    connect(SETiondel, &ShiftArrows::pressed, &tiondelRepeat_,
            [this](int direction) { tiondelRepeat_.press(direction * kShiftTenth); });
    connect(SETiondel, &ShiftArrows::released, &tiondelRepeat_, &ShiftRepeat::release);
}

} // namespace app
