#pragma once
// The laser's port and identity: the start-up probe of COM1..COM30, opening the laser's port,
// and reading and listing the laser's identity and wavelength range.

#include <QObject>
#include <QString>

#include <array>

class Form1;
class InfoBox;
class ProgressStrip;
class SerialPort;
class TlsLink;

class TlsPortController : public QObject {
    Q_OBJECT
public:
    // `port` is the laser's port (MSComm1) the link talks through; `progress` shows the probing.
    TlsPortController(Form1& form, InfoBox& info, TlsLink& link, SerialPort& port, ProgressStrip& progress);

    // Probes every port with the identity command and fills the module's and the laser's lists.
    void DetectComPorts();
    // One identity exchange on the open port, decoded into P/N, S/N, M/D, F/R, H/R and `Probe*`.
    void ProbeDeviceIdentity(std::array<QString, 5>& fields, QString& checksum);
    // One identity exchange, decoded into the five text fields, laser state and range, and `TLSInfo*`.
    void GetTLSInfo(std::array<QString, 8>& fields, QString& checksum);

    void CheckTLS_Click();
    void SetTLSComPort_Click();
    void ReadTLSInfo_Click();

private:
    QString identityReply(QString& checksum);
    void probePort(int portNumber, int& modulesFound, int& lasersFound);

    Form1& form_;
    InfoBox& info_;
    TlsLink& link_;
    SerialPort& port_;
    ProgressStrip& progress_;
};
