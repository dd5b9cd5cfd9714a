// Port detection at start-up, opening the laser's port and the identity listing, against scripted
// instruments on a fake serial port.

#include "bench_fixture.h"
#include "laser_replies.h"

#include "app/form1.h"
#include "app/info_box.h"
#include "app/units.h"
#include "laser/identity_fields.h"
#include "laser/tls_port_controller.h"

#include <QSignalBlocker>

#include <gtest/gtest.h>

namespace {

QStringList itemsOf(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

QStringList designList()
{
    QStringList items;
    for (int n = 1; n <= 30; ++n) items << QStringLiteral("COM%1").arg(n);
    return items;
}

struct PortTest : ::testing::Test {
    FakeBench bench{false};
    Form1& f = bench->form1();
    ScriptedLaser laser;
    ScriptedLaser module;
    ScriptedLaser secondLaser;

    void SetUp() override { module.identity.pn = "VXM-A0-1234"; }
    void load() { bench->Form_Load(); }
    QString info() { return bench->info().text(); }
};

TEST_F(PortTest, ModuleAndLaserAreListedAloneInBlue)
{
    bench.serial->addPort(3, module.device());
    bench.serial->addPort(4, laser.device());
    load();

    EXPECT_EQ(itemsOf(f.ComboBoxVXMCOM), QStringList{QStringLiteral("COM3")});
    EXPECT_EQ(f.ComboBoxVXMCOM->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(foreColorOf(f.ComboBoxVXMCOM), VbColor::Blue);
    EXPECT_EQ(itemsOf(f.ComboBoxTLSCOM), QStringList{QStringLiteral("COM4")});
    EXPECT_EQ(f.ComboBoxTLSCOM->currentText(), QStringLiteral("COM4"));
    EXPECT_EQ(foreColorOf(f.ComboBoxTLSCOM), VbColor::Blue);

    // Every port 1..30 was tried with the bench's settings; each found one got one identity query.
    EXPECT_EQ(bench.serial->openAttempts.size(), 30);
    EXPECT_EQ(bench.serial->lastSettings, QStringLiteral("115200,N,8,1"));
    EXPECT_EQ(bench.serial->lastInputBufferSize, 8192);
    ASSERT_EQ(bench.serial->writtenTo(3).size(), 1u);
    EXPECT_EQ(bench.serial->writtenTo(3)[0].toHex().toUpper(), QByteArray("AA534E465600010000013E"));
    EXPECT_FALSE(bench->MSComm1().isOpen());
    EXPECT_EQ(Module1.TLSTimeoutMs, 10000);
    // The probe variables hold the answer of the last port that opened.
    EXPECT_EQ(Module1.ProbePN, QStringLiteral("TLS-1300-A\r\n"));
    EXPECT_EQ(Module1.ProbeDate, QStringLiteral("05/17/2019\r\n"));
    EXPECT_EQ(Module1.ProbeDateCN, QStringLiteral("2019年05月17日\r\n"));
    EXPECT_EQ(Module1.ProbeHR, QStringLiteral("HW-B\r\n"));
}

TEST_F(PortTest, TwoLasersAreBothListedAndTheLastIsShown)
{
    bench.serial->addPort(4, laser.device());
    bench.serial->addPort(9, secondLaser.device());
    load();
    EXPECT_EQ(itemsOf(f.ComboBoxTLSCOM), (QStringList{QStringLiteral("COM4"), QStringLiteral("COM9")}));
    EXPECT_EQ(f.ComboBoxTLSCOM->currentText(), QStringLiteral("COM9"));
    EXPECT_EQ(itemsOf(f.ComboBoxVXMCOM), designList()) << "nothing found keeps the design list";
    EXPECT_EQ(f.ComboBoxVXMCOM->currentText(), QStringLiteral("COM6"));
}

TEST_F(PortTest, SilentBusyAndMissingPortsAreNotListed)
{
    module.identity.pn = "KQT-77";
    bench.serial->addPort(2, {});  // opens, never answers
    bench.serial->addPort(5, module.device());
    bench.serial->addBusyPort(8);
    bench.serial->addPort(12, {});
    bench.serial->addBusyPort(20);
    load();

    EXPECT_EQ(itemsOf(f.ComboBoxVXMCOM), QStringList{QStringLiteral("COM5")}) << "KQT is a module too";
    EXPECT_EQ(itemsOf(f.ComboBoxTLSCOM), designList());
    EXPECT_EQ(f.ComboBoxTLSCOM->currentText(), QStringLiteral("COM7"));
    EXPECT_NE(foreColorOf(f.ComboBoxTLSCOM), VbColor::Blue);
    EXPECT_TRUE(bench.serial->writtenTo(8).empty());
    EXPECT_EQ(bench.serial->writtenTo(12).size(), 1u);
    // The silent COM12 was the last to open: its empty answer is made of NUL characters.
    EXPECT_EQ(Module1.ProbePN, QString(20, QChar(0)) + QStringLiteral("\r\n"));
    EXPECT_EQ(Module1.ProbeSN, QString(20, QChar(0)) + QStringLiteral("\r\n"));
    EXPECT_EQ(Module1.ProbeFR, QString(8, QChar(0)) + QStringLiteral("\r\n"));
    EXPECT_EQ(Module1.ProbeHR, QString(12, QChar(0)) + QStringLiteral("\r\n"));
    EXPECT_EQ(Module1.ProbeDate, QStringLiteral("%1/%1/%2\r\n").arg(QString(2, QChar(0)), QString(4, QChar(0))));
}

TEST_F(PortTest, APortThatFailsToOpenOtherwiseIsStillProbedInVain)
{
    // Only "no such port" and "busy" skip a port; any other failure goes on with the probe,
    // whose exchange then ends silently on the closed port.
    bench.serial->addPort(4, laser.device());
    bench.serial->addFaultyPort(10);
    load();
    EXPECT_EQ(itemsOf(f.ComboBoxTLSCOM), QStringList{QStringLiteral("COM4")});
    EXPECT_TRUE(bench.serial->writtenTo(10).empty());
    EXPECT_EQ(Module1.ProbePN, QString(20, QChar(0)) + QStringLiteral("\r\n"));
}

TEST_F(PortTest, LasersAreIgnoredWhenTheLaserTakesNoPart)
{
    bench.serial->addPort(4, laser.device());
    load();
    f.ComboBoxTLSCOM->clear();
    f.CheckTLS->setChecked(false);
    EXPECT_FALSE(f.SetTLSComPort->isEnabled());
    EXPECT_FALSE(f.ComboBoxTLSCOM->isEnabled());
    bench->tlsPort().DetectComPorts();
    EXPECT_EQ(f.ComboBoxTLSCOM->count(), 0);
    f.CheckTLS->setChecked(true);
    EXPECT_TRUE(f.SetTLSComPort->isEnabled());
    EXPECT_TRUE(f.ComboBoxTLSCOM->isEnabled());
}

TEST_F(PortTest, SetTlsComPortOpensReadsAndFillsTheWavelengthBoxes)
{
    bench.serial->addPort(7, laser.device());
    load();
    f.SetTLSComPort->click();

    EXPECT_TRUE(bench->MSComm1().isOpen());
    EXPECT_EQ(bench->MSComm1().portNumber(), 7);
    EXPECT_EQ(foreColorOf(f.SetTLSComPort), VbColor::Black);
    EXPECT_EQ(backColorOf(f.SetTLSComPort), VbColor::LightGreen);
    EXPECT_TRUE(f.TLSOnOff->isEnabled());
    EXPECT_TRUE(f.ReadTLSInfo->isEnabled());
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1260"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1340"));
    EXPECT_EQ(f.Text4->text(), QStringLiteral("1300"));
    EXPECT_EQ(Module1.TLSInfoWL, QStringLiteral("1260-1340 (nm)"));
    EXPECT_TRUE(info().startsWith(QStringLiteral("1. P/N: TLS-1300-A")));
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());

    // A second click keeps the port and resets the boxes from the laser's range.
    f.Text1->setText(QStringLiteral("1300"));
    const qsizetype attempts = bench.serial->openAttempts.size();
    laser.identity.minPm = 1527500;
    laser.identity.maxPm = 1567500;
    f.SetTLSComPort->click();
    EXPECT_EQ(bench.serial->openAttempts.size(), attempts);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1527.5"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1567.5"));
    EXPECT_EQ(f.Text4->text(), QStringLiteral("1547.5"));
    EXPECT_EQ(Module1.TLSInfoWL, QStringLiteral("1527.5-1567.5 (nm)"));
}

TEST_F(PortTest, SetTlsComPortReadsTheTwoDigitsAfterCom)
{
    bench.serial->addPort(12, laser.device());
    load();
    f.ComboBoxTLSCOM->setCurrentText(QStringLiteral("COM12"));
    f.SetTLSComPort->click();
    EXPECT_EQ(bench->MSComm1().portNumber(), 12);
}

TEST_F(PortTest, AFailedOpenShowsTheWarningAndChangesNothing)
{
    bench.serial->addBusyPort(7);
    load();
    const QString before = info();
    const std::uint32_t back = backColorOf(f.SetTLSComPort);
    f.SetTLSComPort->click();
    EXPECT_EQ(bench.dialogs->warnings, QStringList{QStringLiteral(" Error in TLS COM port setting!")});
    EXPECT_EQ(info(), before);
    EXPECT_EQ(backColorOf(f.SetTLSComPort), back);
    EXPECT_FALSE(f.ReadTLSInfo->isEnabled());
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1260"));

    f.ComboBoxTLSCOM->setCurrentText(QStringLiteral("COM25"));  // no such port
    f.SetTLSComPort->click();
    EXPECT_EQ(bench.dialogs->warnings.size(), 2);
    EXPECT_FALSE(bench->MSComm1().isOpen());
}

TEST_F(PortTest, IdentityListingInBothLanguagesAndFonts)
{
    laser.identity.state = 1;
    bench.serial->addPort(7, laser.device());
    load();
    f.SetTLSComPort->click();

    Module1.Language = 1;
    f.ReadTLSInfo->click();
    EXPECT_EQ(info(), QStringLiteral("1. P/N: TLS-1300-A\r\n2. S/N: SN20190517\r\n3. M/D: 05/17/2019\r\n"
                                     "4. F/R: 1.2.3\r\n5. H/R: HW-B\r\n6. L/S: 1 = On\r\n7. W/L: 1260-1340 (nm)"));
    EXPECT_EQ(bench->info().fontName(), QStringLiteral("Courier New"));
    EXPECT_EQ(bench->info().color(), VbColor::Blue);
    EXPECT_EQ(bench->info().fontSize(), 12);
    EXPECT_EQ(Module1.TLSLaserState, 1);

    Module1.Language = 2;
    laser.identity.state = 0;
    f.ReadTLSInfo->click();
    EXPECT_EQ(info(), QStringLiteral("1. 产品型号 (P/N): TLS-1300-A\r\n2. 序 列 号 (S/N): SN20190517\r\n"
                                     "3. 生产日期 (M/D): 2019年05月17日\r\n4. 软件版本 (F/R): 1.2.3\r\n"
                                     "5. 硬件版本 (H/R): HW-B\r\n6. 激光状态 (L/S): 0 = 关\r\n"
                                     "7. 波长范围 (W/L): 1260-1340 (nm)"));
    EXPECT_EQ(bench->info().fontName(), QStringLiteral("SimSun"));
    EXPECT_EQ(Module1.TLSInfoDate, QStringLiteral("05/17/2019\r\n"));

    std::array<QString, 8> fields;
    QString checksum;
    bench->tlsPort().GetTLSInfo(fields, checksum);
    EXPECT_EQ(fields[0], QStringLiteral("TLS-1300-A"));
    EXPECT_EQ(fields[2], QStringLiteral("05/17/2019"));
    EXPECT_EQ(fields[6], QStringLiteral("1260"));
    EXPECT_EQ(checksum, QString::fromLatin1(identityReply(laser.identity).right(2).toHex().toUpper()));
}

TEST_F(PortTest, AShortIdentityReplyLeavesStateAndRangeEmpty)
{
    bench.serial->addPort(7, laser.device());
    load();
    f.SetTLSComPort->click();
    ASSERT_EQ(Module1.TLSWLMax, 1340.0F);

    // The same reply without its range: L = 40.
    QByteArray shortReply = identityReply(laser.identity);
    std::vector<std::uint16_t> words;
    for (int w = 0; w < 40; ++w)
        words.push_back(static_cast<std::uint16_t>((static_cast<std::uint8_t>(shortReply[7 + 2 * w]) << 8) |
                                                   static_cast<std::uint8_t>(shortReply[8 + 2 * w])));
    ASSERT_EQ(words.size(), 40u);
    bench.serial->addPort(7, answering({{0, bytesOf(frame::build("SNFV", words))}}));
    f.SetTLSComPort->click();

    EXPECT_EQ(Module1.TLSInfoPN, QStringLiteral("TLS-1300-A\r\n"));
    EXPECT_EQ(Module1.TLSInfoLS, QStringLiteral("\r\n"));
    EXPECT_EQ(Module1.TLSInfoWL, QStringLiteral("- (nm)"));
    EXPECT_EQ(Module1.TLSWLMin, 0.0F);
    EXPECT_EQ(Module1.TLSWLMax, 0.0F);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("0"));
    EXPECT_EQ(f.Text4->text(), QStringLiteral("0"));
}

TEST_F(PortTest, ALaserThatDoesNotAnswerKeepsThePreviousInformation)
{
    bench.serial->addPort(7, laser.device());
    load();
    f.SetTLSComPort->click();
    bench.serial->addPort(7, {});
    f.ReadTLSInfo->click();
    EXPECT_EQ(Module1.TLSInfoPN, QStringLiteral("TLS-1300-A\r\n"));
    EXPECT_EQ(Module1.TLSInfoWL, QStringLiteral("1260-1340 (nm)"));
    EXPECT_TRUE(info().contains(QStringLiteral("7. W/L: 1260-1340 (nm)")));
}

TEST(IdentityFields, DecodingRules)
{
    // Pairs "00" are skipped wherever they stand; pairs beyond the end add NUL characters.
    const QString reply = QStringLiteral("AA534E4656002A0000") + QStringLiteral("41004200") + QString(32, QLatin1Char('0')) +
                          QStringLiteral("5A");
    const auto fields = identity::decodeTextFields(reply, 161);
    EXPECT_EQ(fields[0], QStringLiteral("AB"));
    EXPECT_EQ(fields[1], QStringLiteral("Z") + QString(19, QChar(0)));
    EXPECT_EQ(fields[4].size(), 12);

    EXPECT_EQ(identity::nmText(1260000), QStringLiteral("1260"));
    EXPECT_EQ(identity::nmText(1527500), QStringLiteral("1527.5"));
    EXPECT_EQ(identity::nmText(1527501), QStringLiteral("1527.501"));
    EXPECT_EQ(identity::nmText(-1000), QStringLiteral("-1"));
    EXPECT_FALSE(identity::hexField(QStringLiteral("AA5344"), 11, 4).has_value());
    EXPECT_EQ(identity::hexField(QStringLiteral("AA534E4656002A"), 11, 4), 42u);
}

}  // namespace
