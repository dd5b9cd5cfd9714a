#include "module/module_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "module/device_library.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "module/module_record.h"

#include <array>
#include <exception>

namespace {

// Runs a handler body; a fault ends it with the handler's warning box, keeping what it changed.
template <typename Body>
void trapFaults(const char* warning, Body body)
{
    try {
        body();
    } catch (...) {
        dialogs().warning(QString::fromLatin1(warning));
    }
}

// A message with a number in it; no text in a language without a column.
QString withNumber(const char* key, std::int32_t number)
{
    const QString pattern = T(key);
    return pattern.isNull() ? pattern : pattern.arg(number);
}

}  // namespace

ModuleController::ModuleController(Form1& form, InfoBox& info, DeviceLibrary& library)
    : QObject(&form), form_(form), info_(info), library_(library)
{
    Form1& f = form_;
    connect(f.SetVXMComPort, &QPushButton::clicked, this, &ModuleController::SetVXMComPort_Click);
    connect(f.SetConnection, &QPushButton::clicked, this, &ModuleController::SetConnection_Click);
    connect(f.ReadVXMInfo, &QPushButton::clicked, this, &ModuleController::ReadVXMInfo_Click);
    connect(f.StopVXMScan, &QPushButton::clicked, this, &ModuleController::StopVXMScan_Click);
}

void ModuleController::SetVXMComPort_Click()
{
    trapFaults(" Error in VXM COM port setting!", [this] { setPort(); });
}

void ModuleController::SetConnection_Click()
{
    trapFaults(" Error in VXM connection!", [this] { connectModule(); });
}

void ModuleController::ReadVXMInfo_Click()
{
    trapFaults(" Error in reading VXM information!", [this] { readInfo(); });
}

void ModuleController::setPort()
{
    Form1& f = form_;
    const std::int32_t index = module_record::portIndex(f.ComboBoxVXMCOM->currentText());
    Module1.ModuleHandle = library_.Initialize_Port(index);

    // Handles above 1000 are valid; 1000 itself is neither a success nor a failure.
    if (Module1.ModuleHandle < 1000) info_.report(kArial, VbColor::Red, T("module.portFailed"));
    if (Module1.ModuleHandle > 1000) {
        info_.report(kArial, VbColor::Blue, withNumber("module.portOk", Module1.ModuleHandle));
        f.SetConnection->setEnabled(true);
    }
    setBackColor(f.SetVXMComPort, VbColor::LightGreen);
}

void ModuleController::connectModule()
{
    Form1& f = form_;
    if (library_.Initialize_Connection(Module1.ModuleHandle) != 1) {
        info_.report(kArial, VbColor::Red, T("module.connectFailed"));
        return;
    }
    const QString caption = T("module.connectedCaption");
    if (!caption.isNull()) f.SetConnection->setText(caption);
    setBackColor(f.SetConnection, VbColor::Green);
    f.ReadVXMInfo->setEnabled(true);
    info_.report(kArial, VbColor::Blue, T("module.connected"));
    ReadVXMInfo_Click();

    if (!f.CheckTLS->isChecked()) prepareLaserlessScan();
}

void ModuleController::prepareLaserlessScan()
{
    Form1& f = form_;
    if (const auto band = module_record::bandPreset(Module1.ProbePN)) {
        f.Text1->setText(band->startNm);
        f.Text2->setText(band->stopNm);
    }
    f.SetTLSComPort->setEnabled(false);
    f.ComboBoxTLSCOM->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(f.Transmission), static_cast<QWidget*>(f.Reflection),
                       static_cast<QWidget*>(f.Text1), static_cast<QWidget*>(f.Text2), static_cast<QWidget*>(f.Text3)})
        w->setEnabled(true);
    f.CheckPowerMeter->setEnabled(false);
    f.CheckAlignMode->setEnabled(true);
    f.CheckVXMScanMode->setEnabled(true);

    if (Module1.ChannelSelect == 0) setBackColor(f.Reflection, VbColor::PaleGreen);
    if (Module1.ChannelSelect == 1) setBackColor(f.Transmission, VbColor::PaleGreen);
}

void ModuleController::readInfo()
{
    std::array<std::uint8_t, module_record::kVersionBufferBytes> version{};
    library_.Get_Lib_Version(version.data());  // its status says nothing the bytes do not
    Module1.LibVersion = module_record::libraryVersion(version);

    std::array<std::uint8_t, module_record::kInfoBufferBytes> record{};
    InfoBox& info = info_;
    if (library_.Get_Info(Module1.ModuleHandle, record.data()) == 1) {
        info.setFontName(QStringLiteral("Courier New"));
        info.setColor(VbColor::Blue);
        info.setFontSize(12);
        const module_record::ModuleRecord decoded = module_record::decodeRecord(record);
        info.setText(module_record::listing(Module1.LibVersion, decoded));
        emit moduleIdentified(decoded.partNumber, decoded.serialNumber);
    } else {
        info.setColor(VbColor::Red);
        info.setFontSize(12);
        info.setText(T("module.infoFailed"));
    }
}

void ModuleController::StopVXMScan_Click()
{
    Form1& f = form_;
    const std::int32_t result = library_.Stop_Scan(Module1.ModuleHandle);
    if (result != 1) {
        info_.report(kArial, VbColor::Red, withNumber("module.stopFailed", result));
        return;
    }
    Module1.RepeatStop = 1;
    f.TLSOnOff->setEnabled(true);
    f.StartStopSweep->setEnabled(true);
    f.RepeatMeasure->setChecked(false);  // runs the repeat toggle's handler when it was pressed
    info_.report(kArial, VbColor::Blue, withNumber("module.stopOk", result));
}
