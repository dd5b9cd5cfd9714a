#pragma once
// The laser's output, wavelength and sweep, and the choice of the module's channel. Each
// operation is one exchange with the laser followed by the enable states, captions and colours
// that walk the operator through the bench's order: laser on, then sweep, then measurement.

#include <QObject>
#include <QString>

class Form1;
class InfoBox;
class TlsLink;
class QPushButton;
class Waits;

class TlsControlController : public QObject {
    Q_OBJECT
public:
    // `waits` gives the laser its time between a command and the reply wait.
    TlsControlController(Form1& form, InfoBox& info, TlsLink& link, Waits& waits);

    void TLSOnOff_Click();
    void StartStopSweep_Click();
    void ReadTLSSweepMode();
    // Sends the wavelength in Text4 when it lies within the laser's range; otherwise says so in red
    // and sends nothing. An error status is reported in the information box.
    void SetTLSWavelength();
    void Reflection_Click();
    void Transmission_Click();

private:
    void laserOn();
    void laserOff();
    void startSweep();
    void stopSweep();
    void refuseSweep(const QString& reason);
    QString exchange(QString command, std::int16_t mode, std::int16_t lastIndex, std::int32_t parameter = 0,
                     double delayMs = 0);
    void checkStatus(const QString& reply);

    Form1& form_;
    InfoBox& info_;
    TlsLink& link_;
    Waits& waits_;
};

// The start-sweep frame text with its checksum appended: start and stop (nm, integer part taken),
// speed (nm/s, already rounded).
QString sweepStartCommand(double startNm, double stopNm, std::int64_t speed);
