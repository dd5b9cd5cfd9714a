// The module side of the program through the project's libKetrolanLib.so and the simulated
// module: port, connection, identity, a scan stopped from the window, and a device library that
// lacks most of the module's functions (PartialKetrolanLib).

#include "e2e_bench.h"

#include <QRegularExpression>

namespace {

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

}  // namespace
