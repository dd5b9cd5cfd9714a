#include "core/form1.h"

#include "core/control_placement.h"
#include "core/units.h"

#include <QButtonGroup>
#include <QFrame>
#include <QStatusBar>

namespace {

QLabel* label(QWidget* parent, const char* name, const char* caption, double left, double top, double width,
              double height, int points, std::uint32_t fore = VbColor::Black)
{
    auto* l = place(new QLabel(QString::fromUtf8(caption), parent), name, left, top, width, height, points);
    setForeColor(l, fore);
    return l;
}

QLineEdit* textBox(QWidget* parent, const char* name, const char* text, double left, double top, QLabel* label,
                   double width = 1080)
{
    auto* t = place(new QLineEdit(QString::fromUtf8(text), parent), name, left, top, width, 360, 11);
    t->setAccessibleName(label->text());
    return t;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, double left, double top, double width)
{
    auto* c = place(new QCheckBox(QString::fromUtf8(caption), parent), name, left, top, width, 375, 12);
    setForeColor(c, VbColor::Black);
    return c;
}

QComboBox* comList(QWidget* parent, const char* name, const char* current, double left, double top, QLabel* heading)
{
    auto* c = place(new QComboBox(parent), name, left, top, 1455, 375, 11);
    for (int n = 1; n <= 30; ++n) c->addItem(QStringLiteral("COM%1").arg(n));
    c->setCurrentText(QString::fromLatin1(current));
    c->setMaxVisibleItems(12);
    c->setAccessibleName(heading->text());
    return c;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VXM Operation Program"));
    canvas_ = new QWidget(this);
    canvas_->setObjectName(QStringLiteral("Form1Canvas"));
    setBackColor(canvas_, VbColor::White);
    setCentralWidget(canvas_);
    QWidget* w = canvas_;

    // Group frames behind the controls: module and laser port set-up, scan, measurements, analysis.
    const struct { double l, t, wd, h; } frames[] = {
        {600, 1860, 3120, 3060}, {600, 5100, 3120, 1860}, {3780, 1860, 4260, 5100},
        {8100, 1860, 4260, 5220}, {12240, 1860, 4800, 5100}};
    for (const auto& f : frames) {
        auto* frame = new QFrame(w);
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setGeometry(twipsRect(f.l, f.t, f.wd, f.h));
        frame->setAccessibleDescription(QStringLiteral("group frame"));
    }

    TitleLabel = label(w, "TitleLabel", "Ostrel VXM Demo Operation Program", 3000, 360, 12600, 900, 36, VbColor::Blue);
    RevisionLabel = label(w, "RevisionLabel", "VXM Operation Program Revision 3.0C", 12960, 1320, 4080, 300, 10);

    VXMSetting = label(w, "VXMSetting", "VXM Setting", 720, 1920, 2880, 420, 14, VbColor::Blue);
    ComboBoxVXMCOM = comList(w, "ComboBoxVXMCOM", "COM6", 840, 2520, VXMSetting);
    SetVXMComPort = placeButton(w, "SetVXMComPort", "Set VXM COM Port", 840, 3000, 2760);
    SetConnection = placeButton(w, "SetConnection", "Set VXM Connection", 840, 3600, 2760);
    ChannelID = place(new QComboBox(w), "ChannelID", 840, 4200, 2760, 375, 11);
    ChannelID->addItem(QStringLiteral("1. Channel #1"));
    ChannelID->addItem(QStringLiteral("2. Channel #2"));
    ChannelID->setCurrentIndex(0);
    ChannelID->setAccessibleName(QStringLiteral("Channel"));

    TLSSetting = label(w, "TLSSetting", "TLS Setting", 720, 5160, 2880, 420, 14, VbColor::Red);
    ComboBoxTLSCOM = comList(w, "ComboBoxTLSCOM", "COM7", 840, 5760, TLSSetting);
    CheckTLS = checkBox(w, "CheckTLS", "TLS?", 2400, 5760, 1200);
    CheckTLS->setChecked(true);
    SetTLSComPort = placeButton(w, "SetTLSComPort", "Set TLS COM Port", 840, 6360, 2760);
    setBackColor(SetTLSComPort, VbColor::DarkBlue);
    setForeColor(SetTLSComPort, VbColor::White);

    ScanSetting = label(w, "ScanSetting", "VXM&TLS Scan Setting", 3840, 1920, 4140, 420, 14, VbColor::Black);
    ScanSetting->setTextFormat(Qt::PlainText);
    TextLabel1 = label(w, "TextLabel1", "Start Wavelength", 4080, 2400, 1900, 360, 12);
    Text1 = textBox(w, "Text1", "1260", 6000, 2400, TextLabel1);
    TextLabel2 = label(w, "TextLabel2", "Stop Wavelength", 4080, 2760, 1900, 360, 12);
    Text2 = textBox(w, "Text2", "1340", 6000, 2760, TextLabel2);
    TextLabel3 = label(w, "TextLabel3", "Sweep Speed", 4080, 3120, 1900, 360, 12);
    Text3 = textBox(w, "Text3", "100", 6000, 3120, TextLabel3);
    Label1[0] = label(w, "Label1(0)", "(nm)", 7140, 2400, 840, 360, 11);
    Label1[1] = label(w, "Label1(1)", "(nm)", 7140, 2760, 840, 360, 11);
    Label1[2] = label(w, "Label1(2)", "(nm/s)", 7140, 3120, 840, 360, 11);
    TLSOnOff = placeButton(w, "TLSOnOff", "Set TLS On", 4080, 3600, 1500, true);
    StartStopSweep = placeButton(w, "StartStopSweep", "Start TLS Sweep", 5640, 3600, 2280, true);
    Transmission = placeButton(w, "Transmission", "Transmission", 4080, 4200, 1800);
    Reflection = placeButton(w, "Reflection", "Reflection", 6000, 4200, 1800);
    setBackColor(Transmission, VbColor::LightGrey);
    setBackColor(Reflection, VbColor::LightGrey);
    SingleMeasure = placeButton(w, "SingleMeasure", "Single Measurement", 3960, 5160, 3960);
    RepeatMeasure = placeButton(w, "RepeatMeasure", "Repeat Measurements", 3960, 5760, 3960, true);
    setBackColor(RepeatMeasure, VbColor::LightYellow);
    StopVXMScan = placeButton(w, "StopVXMScan", "Stop VXM Scan", 3960, 6360, 3960);
    setBackColor(StopVXMScan, VbColor::Pink);

    VXMMeasure = label(w, "VXMMeasure", "VXM Measurements", 8160, 1920, 4080, 420, 14, VbColor::Blue);
    CheckPowerMeter = checkBox(w, "CheckPowerMeter", "Power Meter", 8280, 2400, 3960);
    TextLabel4 = label(w, "TextLabel4", "Wavelength =", 8640, 2880, 1500, 360, 12);
    Text4 = textBox(w, "Text4", "1300", 10200, 2880, TextLabel4);
    Label1[3] = label(w, "Label1(3)", "(nm)", 11400, 2880, 840, 360, 11);
    TextLabel5 = label(w, "TextLabel5", "Power =", 8640, 3285, 1500, 360, 12);
    Text5 = textBox(w, "Text5", "0.000", 10200, 3285, TextLabel5);
    PLabel = label(w, "PLabel", "(dBm)", 11400, 3285, 840, 360, 11);
    BasePower = checkBox(w, "BasePower", "Base Power", 8640, 3720, 1780);
    Ref0Power = checkBox(w, "Ref0Power", "Ref-0 dBm", 10440, 3720, 1800);
    CheckAlignMode = checkBox(w, "CheckAlignMode", "TLS Power Spectrum", 8280, 4200, 3960);
    CheckVXMScanMode = checkBox(w, "CheckVXMScanMode", "Device IL Spectrum", 8280, 4680, 3960);
    TextLabel6 = label(w, "TextLabel6", "Average Number (<255)", 8400, 5160, 2600, 360, 12);
    Text6 = textBox(w, "Text6", "1", 11040, 5160, TextLabel6, 1080);
    TextLabel7 = label(w, "TextLabel7", "Data Length (<=20001)", 8400, 5640, 2600, 360, 12);
    Text7 = textBox(w, "Text7", "20001", 11040, 5640, TextLabel7, 1080);
    TakeBackground = place(new QRadioButton(QStringLiteral("Background"), w), "TakeBackground", 8400, 6120, 1780, 375, 12);
    MeasureSpectrum = place(new QRadioButton(QStringLiteral("Spectrum"), w), "MeasureSpectrum", 10200, 6120, 1800, 375, 12);
    MeasureSpectrum->setChecked(true);
    CheckRemoveBKG = checkBox(w, "CheckRemoveBKG", "Remove Background", 8400, 6600, 3600);

    DataSetting = label(w, "DataSetting", "Data Analysis", 12480, 1920, 4200, 420, 14, VbColor::Red);
    TextLabel8 = label(w, "TextLabel8", "Center WL & BW at", 12720, 2400, 2220, 360, 12);
    Text8 = textBox(w, "Text8", "-3.0", 15000, 2400, TextLabel8, 900);
    Label5 = label(w, "Label5", "(dB)", 15960, 2400, 720, 360, 11);
    ReadVXMInfo = placeButton(w, "ReadVXMInfo", "Read VXM Info", 12360, 3120, 2340);
    ReadTLSInfo = placeButton(w, "ReadTLSInfo", "Read TLS Info", 14880, 3120, 2040);
    setBackColor(ReadTLSInfo, VbColor::DarkBlue);
    setForeColor(ReadTLSInfo, VbColor::White);
    DisplayInfo = place(new QPlainTextEdit(w), "DisplayInfo", 12480, 3840, 4335, 2295, 12);
    DisplayInfo->setAccessibleName(QStringLiteral("Information"));
    DisplayInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LanguageButton = placeButton(w, "LanguageButton", "English", 12360, 6360, 2280, true);
    CloseExit = placeButton(w, "CloseExit", "Close / Exit", 14760, 6360, 2055);
    setBackColor(CloseExit, VbColor::LightRed);
    HistoryButton = placeButton(w, "HistoryButton", "History…", 10320, 1320, 2280);
    HistoryButton->setGeometry(twipsRect(10320, 1320, 2280, 420));  // lower than the others: the band is narrow

    // In the free band between the title and the group frames.
    DeviceIdLabel = label(w, "DeviceIdLabel", "Device ID", 720, 1380, 1200, 360, 11);
    DeviceId = textBox(w, "DeviceId", "", 1980, 1350, DeviceIdLabel, 3600);
    RecordsStatus = label(w, "RecordsStatus", "", 5760, 1395, 4200, 330, 9);

    for (QLabel* l : {TitleLabel, VXMSetting, TLSSetting, ScanSetting, VXMMeasure, DataSetting})
        setBackColor(l, VbColor::White);

    // Only the exclusive pair Background / Spectrum forms a group; nothing else is exclusive.
    auto* options = new QButtonGroup(this);
    options->addButton(TakeBackground);
    options->addButton(MeasureSpectrum);

    const QSize client(twipsToPixels(17160), twipsToPixels(7260));
    canvas_->setMinimumSize(client);
    // The progress strip below the designed area; the window grows by its height.
    statusBar()->setObjectName(QStringLiteral("StatusStrip"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(twipsToPixels(375));
    resize(client.width(), client.height() + statusBar()->height());
}

QWidget* Form1::control(const QString& name) const { return canvas_->findChild<QWidget*>(name); }
