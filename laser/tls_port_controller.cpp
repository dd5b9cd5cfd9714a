#include "laser/tls_port_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/numeric_text.h"
#include "core/progress_strip.h"
#include "core/texts.h"
#include "core/units.h"
#include "laser/frame_codec.h"
#include "laser/identity_fields.h"
#include "laser/serial_port.h"
#include "laser/tls_link.h"

#include <exception>

namespace {

const QString kSettings = QStringLiteral("115200,N,8,1");
constexpr int kInputBufferSize = 8192;
constexpr int kLastPort = 30;
const QString kCrLf = QStringLiteral("\r\n");

// Makes "COMn" the only kind of entry of a list that found something, shown in blue, last shown.
void listFound(QComboBox* list, int portNumber, int& found)
{
    if (found == 0) list->clear();
    setForeColor(list, VbColor::Blue);
    const QString name = QStringLiteral("COM%1").arg(portNumber);
    list->addItem(name);
    list->setCurrentText(name);
    ++found;
}

// Single-precision numbers written as the bench writes them: shortest form, no leading blank.
QString singleText(float value) { return QString::number(static_cast<double>(value), 'g', 7); }

}  // namespace

TlsPortController::TlsPortController(Form1& form, InfoBox& info, TlsLink& link, SerialPort& port, ProgressStrip& progress)
    : QObject(&form), form_(form), info_(info), link_(link), port_(port), progress_(progress)
{
    Form1& f = form_;
    connect(f.CheckTLS, &QCheckBox::toggled, this, [this] { CheckTLS_Click(); });
    connect(f.SetTLSComPort, &QPushButton::clicked, this, [this] { SetTLSComPort_Click(); });
    connect(f.ReadTLSInfo, &QPushButton::clicked, this, [this] { ReadTLSInfo_Click(); });
}

QString TlsPortController::identityReply(QString& checksum)
{
    const std::uint16_t word0[] = {0};
    QString command = QString::fromStdString(frame::commandText("SNFV", 1, word0));
    link_.SendTLSCommand(1, 10, 0, command);
    QString reply;
    link_.ReceiveTLSReply(reply, checksum);
    return reply;
}

void TlsPortController::DetectComPorts()
{
    SerialPort& port = port_;
    int modulesFound = 0;
    int lasersFound = 0;
    for (int n = 1; n <= kLastPort; ++n) {
        progress_.probing(n);
        // A fault on one port never stops the probe of the others.
        try {
            probePort(n, modulesFound, lasersFound);
        } catch (const std::exception&) {
        }
        port.close();
    }
    port.close();
}

void TlsPortController::probePort(int portNumber, int& modulesFound, int& lasersFound)
{
    const SerialOpenResult opened = port_.open(portNumber, kSettings, kInputBufferSize);
    if (opened == SerialOpenResult::NoSuchPort || opened == SerialOpenResult::Busy) return;

    std::array<QString, 5> fields;
    QString checksum;
    ProbeDeviceIdentity(fields, checksum);

    Form1& f = form_;
    const QString kind = fields[0].left(3);
    if (kind == QLatin1String("VXM") || kind == QLatin1String("KQT"))
        listFound(f.ComboBoxVXMCOM, portNumber, modulesFound);
    else if (f.CheckTLS->isChecked() && kind == QLatin1String("TLS"))
        listFound(f.ComboBoxTLSCOM, portNumber, lasersFound);
}

void TlsPortController::ProbeDeviceIdentity(std::array<QString, 5>& fields, QString& checksum)
{
    const QString reply = identityReply(checksum);
    fields = identity::decodeTextFields(reply, 161);
    Module1.ProbePN = fields[0] + kCrLf;
    Module1.ProbeSN = fields[1] + kCrLf;
    Module1.ProbeDate = identity::englishDate(fields[2]);
    Module1.ProbeDateCN = identity::chineseDate(fields[2]);
    Module1.ProbeFR = fields[3] + kCrLf;
    Module1.ProbeHR = fields[4] + kCrLf;
}

void TlsPortController::GetTLSInfo(std::array<QString, 8>& fields, QString& checksum)
{
    const QString reply = identityReply(checksum);
    // A laser that did not answer leaves no length field: nothing is stored then.
    const std::optional<std::uint32_t> length = identity::hexField(reply, 11, 4);
    if (!length) return;

    fields = {};
    const std::array<QString, 5> text = identity::decodeTextFields(reply, 157);
    std::copy(text.begin(), text.end(), fields.begin());

    if (*length == identity::kFullLengthWords) {
        Module1.TLSLaserState = static_cast<std::int32_t>(identity::hexField(reply, 163, 4).value_or(0));
        if (Module1.TLSLaserState == 0) fields[5] = T("laser.stateOff");
        if (Module1.TLSLaserState == 1) fields[5] = T("laser.stateOn");
        fields[6] = identity::nmText(static_cast<std::int32_t>(identity::hexField(reply, 167, 8).value_or(0)));
        fields[7] = identity::nmText(static_cast<std::int32_t>(identity::hexField(reply, 175, 8).value_or(0)));
    }

    Module1.TLSInfoPN = fields[0] + kCrLf;
    Module1.TLSInfoSN = fields[1] + kCrLf;
    Module1.TLSInfoDate = identity::englishDate(fields[2]);
    Module1.TLSInfoDateCN = identity::chineseDate(fields[2]);
    Module1.TLSInfoFR = fields[3] + kCrLf;
    Module1.TLSInfoHR = fields[4] + kCrLf;
    Module1.TLSInfoLS = fields[5] + kCrLf;
    Module1.TLSInfoWL = fields[6] + QLatin1Char('-') + fields[7] + QStringLiteral(" (nm)");
    Module1.TLSWLMin = static_cast<float>(leadingNumber(fields[6]));
    Module1.TLSWLMax = static_cast<float>(leadingNumber(fields[7]));
}

void TlsPortController::CheckTLS_Click()
{
    Form1& f = form_;
    const bool laserTakesPart = f.CheckTLS->isChecked();
    f.SetTLSComPort->setEnabled(laserTakesPart);
    f.ComboBoxTLSCOM->setEnabled(laserTakesPart);
}

void TlsPortController::SetTLSComPort_Click()
{
    Form1& f = form_;
    SerialPort& port = port_;
    InfoBox& info = info_;
    try {
        if (!port.isOpen()) {
            // "COM7" gives 7, "COM12" gives 12: the two characters after "COM".
            const int n = static_cast<int>(leadingNumber(f.ComboBoxTLSCOM->currentText().mid(3, 2)));
            if (port.open(n, kSettings, kInputBufferSize) != SerialOpenResult::Ok)
                throw SerialFault("the laser's port could not be opened");
            info.setColor(VbColor::Blue);
            info.setText(T("laser.portOpen"));
        } else {
            info.setColor(VbColor::Red);
            info.setText(T("laser.portAlreadyOpen"));
        }

        setForeColor(f.SetTLSComPort, VbColor::Black);
        setBackColor(f.SetTLSComPort, VbColor::LightGreen);
        f.TLSOnOff->setEnabled(true);
        f.ReadTLSInfo->setEnabled(true);
        ReadTLSInfo_Click();
        f.Text1->setText(singleText(Module1.TLSWLMin));
        f.Text2->setText(singleText(Module1.TLSWLMax));
        f.Text4->setText(singleText((Module1.TLSWLMax + Module1.TLSWLMin) / 2));
    } catch (const std::exception&) {
        dialogs().warning(QStringLiteral(" Error in TLS COM port setting!"));
    }
}

void TlsPortController::ReadTLSInfo_Click()
{
    InfoBox& info = info_;
    try {
        std::array<QString, 8> fields;
        QString checksum;
        GetTLSInfo(fields, checksum);

        const SharedState& m = Module1;
        const QString date = m.Language == 2 ? m.TLSInfoDateCN : m.TLSInfoDate;
        const QString values[7] = {m.TLSInfoPN, m.TLSInfoSN, date, m.TLSInfoFR, m.TLSInfoHR, m.TLSInfoLS, m.TLSInfoWL};
        const char* labels[7] = {"laser.infoPN", "laser.infoSN", "laser.infoMD", "laser.infoFR",
                                 "laser.infoHR", "laser.infoLS", "laser.infoWL"};
        QString listing;
        if (m.Language == 1) info.setFontName(QStringLiteral("Courier New"));
        if (m.Language == 2) info.setFontName(QStringLiteral("SimSun"));
        if (m.Language == 1 || m.Language == 2)
            for (int i = 0; i < 7; ++i) listing += T(labels[i]) + values[i];
        info.setColor(VbColor::Blue);
        info.setFontSize(12);
        info.setText(listing);  // stays null, so shows nothing, in another language
    } catch (const std::exception&) {
        dialogs().warning(QStringLiteral(" Error in reading TLS information!"));
    }
}
