#pragma once
// The main window: every control of the bench's operating order, placed at its design position.
// It holds widgets only; the controllers of each subsystem give them behaviour.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);

    // The control of a caption-table row, or nullptr.
    QWidget* control(const QString& name) const;

    QLabel* TitleLabel;
    QLabel* RevisionLabel;
    QLabel* VXMSetting;
    QComboBox* ComboBoxVXMCOM;
    QPushButton* SetVXMComPort;
    QPushButton* SetConnection;
    QComboBox* ChannelID;
    QLabel* TLSSetting;
    QComboBox* ComboBoxTLSCOM;
    QCheckBox* CheckTLS;
    QPushButton* SetTLSComPort;
    QLabel* ScanSetting;
    QLabel* TextLabel1;
    QLineEdit* Text1;
    QLabel* TextLabel2;
    QLineEdit* Text2;
    QLabel* TextLabel3;
    QLineEdit* Text3;
    std::array<QLabel*, 4> Label1{};  // unit labels (0)..(3)
    QPushButton* TLSOnOff;            // toggle
    QPushButton* StartStopSweep;      // toggle
    QPushButton* Transmission;
    QPushButton* Reflection;
    QPushButton* SingleMeasure;
    QPushButton* RepeatMeasure;       // toggle
    QPushButton* StopVXMScan;
    QLabel* VXMMeasure;
    QCheckBox* CheckPowerMeter;
    QLabel* TextLabel4;
    QLineEdit* Text4;
    QLabel* TextLabel5;
    QLineEdit* Text5;
    QLabel* PLabel;
    QCheckBox* BasePower;
    QCheckBox* Ref0Power;
    QCheckBox* CheckAlignMode;
    QCheckBox* CheckVXMScanMode;
    QLabel* TextLabel6;
    QLineEdit* Text6;
    QLabel* TextLabel7;
    QLineEdit* Text7;
    QRadioButton* TakeBackground;
    QRadioButton* MeasureSpectrum;
    QCheckBox* CheckRemoveBKG;
    QLabel* DataSetting;
    QLabel* TextLabel8;
    QLineEdit* Text8;
    QLabel* Label5;
    QPushButton* ReadVXMInfo;
    QPushButton* ReadTLSInfo;
    QPlainTextEdit* DisplayInfo;
    QPushButton* LanguageButton;      // toggle
    QPushButton* CloseExit;
    // Measurement records: the device the next measurements are recorded for, and how many
    // records still wait for their database.
    QLabel* DeviceIdLabel;
    QLineEdit* DeviceId;
    QLabel* RecordsStatus;

    // Beyond the window's design: the measurement history, in the free band below the title.
    QPushButton* HistoryButton;

private:
    QWidget* canvas_;
};
