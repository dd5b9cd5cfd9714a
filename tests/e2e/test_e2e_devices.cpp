// The instruments' side of the program against the simulator, through the project's
// libKetrolanLib.so and the system's serial port: the laser's wavelength range ends (a silent
// laser's reply wait is the link tests', on the fake clock); the module's port, connection,
// identity, a scan stopped from the window, and a device library that lacks most of the module's
// functions (PartialKetrolanLib); Close / Exit switching the laser off on the wire and closing its
// port, also in the middle of a repeated measurement (a simulator that quits leaves no link behind:
// its process tests).

#include "e2e_bench.h"

#include "laser/tls_control_controller.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

using LaserE2e = E2eBench;

TEST_F(LaserE2e, WavelengthAtTheRangeEndsIsSentAndOnePicometreOutsideIsRefused)
{
    openLaserPort();
    TlsControlController& control = bench->tlsControl();
    Form1& f = form();

    for (const char* nm : {"1260", "1340"}) {
        f.Text4->setText(QString::fromLatin1(nm));
        control.SetTLSWavelength();
        EXPECT_TRUE(sim->command("status").contains(QStringLiteral("%1.000 nm").arg(nm))) << nm;
    }
    const int sent = requestCount("GOWL");
    EXPECT_EQ(sent, 2);

    for (const char* nm : {"1259.999", "1340.001"}) {
        f.Text4->setText(QString::fromLatin1(nm));
        control.SetTLSWavelength();
        EXPECT_EQ(infoText(), QStringLiteral("Wavelength is Out-Of-Range !\r\n  Please set Wavelength again !")) << nm;
    }
    EXPECT_EQ(requestCount("GOWL"), sent) << "a refused wavelength is not sent";
    EXPECT_TRUE(sim->command("status").contains(QStringLiteral("1340.000 nm")));
}

using ModuleE2e = E2eBench;

TEST_F(ModuleE2e, PortConnectionAndIdentityListing)
{
    // Texts, colours and enabled controls of each outcome are the controller tests'; here what the
    // real library and simulated module give: the handle and the identity listing.
    Form1& f = form();
    click(f.SetVXMComPort);
    EXPECT_EQ(infoText(), QStringLiteral("VXM COM port set successfully\r\nHandle = 1006"));
    ASSERT_TRUE(f.SetConnection->isEnabled());
    click(f.SetConnection);
    EXPECT_EQ(f.SetConnection->text(), QStringLiteral("VXM Connected"));
    const QStringList lines = infoText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7) << infoText().toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^0\\. Lib: .{8}$")).match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1, 3), QStringList({"1. P/N: VXMOB-2CH-S01", "2. S/N: VX26110815", "3. M/D: 03/02/2025"}));
    EXPECT_EQ(lines[6], QStringLiteral("6. T =  25.3 °C"));
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(ModuleE2e, ScanStartedThroughTheLibraryIsStoppedFromTheWindow)
{
    connectModule();
    DeviceLibrary& library = bench->library();
    const std::int32_t handle = Module1.ModuleHandle;
    // 80 nm at 1 nm/s: the scan would run for over a minute.
    ASSERT_EQ(library.Start_Scan(handle, 1260, 1340, 1, 1, 1001, 0, -1), 1);
    EXPECT_EQ(library.Is_Scan_Done(handle), 0);

    form().StopVXMScan->setEnabled(true);  // as a running measurement leaves it
    click(form().StopVXMScan);
    EXPECT_EQ(infoText(), QStringLiteral("Stop Scan Code = 1\r\nCurrent VXM scan is stopped"));
    EXPECT_EQ(library.Is_Scan_Done(handle), 1);
}

// The module's functions resolved from a library that lacks most of them.
class PartialLibraryE2E : public E2eBench {
protected:
    QByteArray moduleLibrary() const override { return VXM_PARTIAL_LIBRARY; }
};

TEST_F(PartialLibraryE2E, StartUpNamesTheMissingFunctionsAndModuleButtonsFail)
{
    const QString startUp = bench->info().text();
    EXPECT_TRUE(startUp.startsWith(QStringLiteral("\r\nWelcome to use VXM\r\nThe device library libKetrolanLib.so could "
                                                  "not be loaded (")))
        << startUp.toStdString();
    EXPECT_TRUE(startUp.endsWith(QStringLiteral(").\r\nThe VXM module cannot be used."))) << startUp.toStdString();
    // The twelve it lacks, not the three it has.
    EXPECT_EQ(startUp.count(QStringLiteral("Ketrolan_")), 12) << startUp.toStdString();
    EXPECT_TRUE(startUp.contains(QStringLiteral("Ketrolan_Initialize_Port")));
    EXPECT_FALSE(startUp.contains(QStringLiteral("Ketrolan_Initialize_Lib")));

    choose(f->ComboBoxVXMCOM, QStringLiteral("COM6"));
    f->SetVXMComPort->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("VXM COM port set failed \r\nPlease check VXM COM port"));
    EXPECT_LT(Module1.ModuleHandle, 1000);

    // A button the failed port leaves disabled, pressed anyway, fails with the missing function's
    // code; how each button shows a failing code is the module controller tests'.
    f->StopVXMScan->setEnabled(true);
    f->StopVXMScan->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("Stop Scan Code = -1\r\nPlease check status"));

    // The window still answers: the language changes and the port can be tried again.
    f->LanguageButton->click();
    f->SetVXMComPort->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("VXM COM端口设置失败 \r\n请检查VXM COM端口"));
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

using ShutdownE2e = E2eBench;

TEST_F(ShutdownE2e, LaserOnIsSwitchedOffTwiceAndItsPortClosed)
{
    connectModule();
    openLaserPort();
    switchLaserOn();
    ASSERT_TRUE(sim->command("status").startsWith(QStringLiteral("laser on")));
    const int offsBefore = requestCount("LSOF");

    click(form().CloseExit);
    EXPECT_EQ(endRequests, 1);
    EXPECT_EQ(requestCount("LSOF"), offsBefore + 2);
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser off")));
    EXPECT_FALSE(bench->MSComm1().isOpen());
}

// Close / Exit while the fourth pass of a repeated measurement is being scanned (run by the
// program close_during_repeat, which the click ends): the process ends at once, the laser is
// switched off, and the log holds the three finished passes, each line whole.
TEST(ShutdownDuringRepeat, LogHoldsEveryFinishedPassWhole)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    sim.exportComDir();
    const QDir built(SimulatorProcess::builtDir());
    qputenv("VXM_MODULE_LIBRARY", built.filePath(QStringLiteral("libKetrolanLib.so")).toUtf8());
    QTemporaryDir logs;
    QProcess program;
    program.start(built.filePath(QStringLiteral("close_during_repeat")), {logs.path(), QStringLiteral("3")});
    ASSERT_TRUE(program.waitForFinished(60000)) << "Close / Exit did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(sim.command(QStringLiteral("status")).startsWith(QStringLiteral("laser off")));

    const QStringList files = QDir(logs.path()).entryList({QStringLiteral("VXM_Test_*.txt")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QByteArray log = fileBytes(QDir(logs.path()).filePath(files.first()));
    EXPECT_TRUE(log.endsWith("\r\n")) << "no line cut short";
    QList<QByteArray> lines = log.split('\n');
    lines.removeLast();
    ASSERT_EQ(lines.size(), 4) << log.toStdString();
    for (int pass = 1; pass <= 3; ++pass) {
        const QList<QByteArray> fields = lines[pass].chopped(1).split('\t');
        ASSERT_EQ(fields.size(), 4) << lines[pass].toStdString();
        EXPECT_EQ(fields[0].toInt(), pass);
        EXPECT_NEAR(fields[1].toDouble(), 1271.0, 0.1) << "the first channel's centre";
    }
}

}  // namespace
