#pragma once
// Brings the module on line and stops its scans: Set VXM COM Port, Set VXM Connection,
// Read VXM Info and Stop VXM Scan of the main window.

#include <QObject>

class DeviceLibrary;
class Form1;
class InfoBox;

class ModuleController : public QObject {
    Q_OBJECT
public:
    ModuleController(Form1& form, InfoBox& info, DeviceLibrary& library);

    void SetVXMComPort_Click();
    void SetConnection_Click();
    void ReadVXMInfo_Click();
    void StopVXMScan_Click();

signals:
    // The module's information record was read: its part and serial numbers.
    void moduleIdentified(const QString& partNumber, const QString& serialNumber);

private:
    void setPort();
    void connectModule();
    void readInfo();
    // Without a laser the connection itself opens the scan controls.
    void prepareLaserlessScan();

    Form1& form_;
    InfoBox& info_;
    DeviceLibrary& library_;
};
