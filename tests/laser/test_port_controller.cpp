// Port detection at start-up, the laser's port and its identity listing, against scripted instruments.

#include "bench_fixture.h"
#include "form_checks.h"
#include "laser_replies.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "core/units.h"
#include "laser/identity_fields.h"
#include "laser/tls_port_controller.h"

#include <list>
#include <tuple>

#include <gtest/gtest.h>

namespace {

QString itemsOf(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items.join(QLatin1Char(' '));
}

QString nuls(int n) { return QString(n, QChar(0)) + QStringLiteral("\r\n"); }

struct PortTest : ::testing::Test {
    FakeBench bench{false};
    Form1& f = bench->form1();
    ScriptedLaser laser;

    void open(int port = 7)
    {
        bench.serial->addPort(port, laser.device());
        bench->startup().Form_Load();
        f.SetTLSComPort->click();
    }
    QString info() { return bench->info().text(); }
};

TEST(Detection, EveryPortIsProbedAndModulesAndLasersAreListedInBlue)
{
    // Ports: M module, K another maker's module, L laser, S silent, B busy, F failing to open (probed in vain).
    // Lists found ("": the design list COM1..COM30 stays), the item shown; probe variables: the last opened port's answer.
    const struct {
        const char *ports, *modules, *moduleShown, *lasers, *laserShown;
        bool lastOpenedIsALaser;
    } rows[] = {
        {"3M 4L", "COM3", "COM3", "COM4", "COM4", true},
        {"4L 9L", "", "COM6", "COM4 COM9", "COM9", true},
        {"2S 5K 8B 12S 20B", "COM5", "COM5", "", "COM7", false},
        {"4L 10F", "", "COM6", "COM4", "COM4", false},
    };
    QStringList designList;
    for (int n = 1; n <= 30; ++n) designList << QStringLiteral("COM%1").arg(n);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ports);
        FakeBench bench{false};
        std::list<ScriptedLaser> instruments;
        std::map<int, std::size_t> queries;
        for (const QString& token : QString::fromLatin1(row.ports).split(QLatin1Char(' '))) {
            const int n = token.chopped(1).toInt();
            const char kind = token.back().toLatin1();
            queries[n] = QByteArray("MKLS").contains(kind) ? 1 : 0;
            ScriptedLaser& instrument = instruments.emplace_back();
            if (kind == 'M') instrument.identity.pn = "VXM-A0-1234";
            if (kind == 'K') instrument.identity.pn = "KQT-77";
            if (kind == 'B') bench.serial->addBusyPort(n);
            else if (kind == 'F') bench.serial->addFaultyPort(n);
            else bench.serial->addPort(n, kind == 'S' ? FakeDevice{} : instrument.device());
        }
        bench->startup().Form_Load();
        const Form1& f = bench->form1();
        EXPECT_EQ(itemsOf(f.ComboBoxVXMCOM), *row.modules ? QLatin1String(row.modules) : designList.join(QLatin1Char(' ')));
        EXPECT_EQ(itemsOf(f.ComboBoxTLSCOM), *row.lasers ? QLatin1String(row.lasers) : designList.join(QLatin1Char(' ')));
        EXPECT_EQ(std::tuple(f.ComboBoxVXMCOM->currentText(), f.ComboBoxTLSCOM->currentText()),
                  std::tuple(QString::fromLatin1(row.moduleShown), QString::fromLatin1(row.laserShown)));
        EXPECT_EQ(std::tuple(foreColorOf(f.ComboBoxVXMCOM) == VbColor::Blue, foreColorOf(f.ComboBoxTLSCOM) == VbColor::Blue),
                  std::tuple(*row.modules != 0, *row.lasers != 0));

        EXPECT_EQ(std::tuple(bench.serial->openAttempts.size(), bench.serial->lastSettings, bench.serial->lastInputBufferSize),
                  std::tuple(30, QStringLiteral("115200,N,8,1"), 8192));
        for (const auto& [n, count] : queries)  // one identity query to each port that opened
            EXPECT_EQ(bench.serial->writtenTo(n), std::vector<QByteArray>(count, QByteArray::fromHex("AA534E465600010000013E"))) << n;
        EXPECT_FALSE(bench->MSComm1().isOpen());
        EXPECT_EQ(Module1.TLSTimeoutMs, 10000);  // back from the probe's short time-out
        if (row.lastOpenedIsALaser) {
            EXPECT_EQ(Module1.ProbePN + Module1.ProbeDate + Module1.ProbeDateCN + Module1.ProbeHR,
                      QStringLiteral("TLS-1300-A\r\n05/17/2019\r\n2019年05月17日\r\nHW-B\r\n"));
        } else {  // an empty answer is made of NUL characters
            EXPECT_EQ(Module1.ProbePN + Module1.ProbeSN + Module1.ProbeFR + Module1.ProbeHR,
                      nuls(20) + nuls(20) + nuls(8) + nuls(12));
            EXPECT_EQ(Module1.ProbeDate, QStringLiteral("%1/%1/%2\r\n").arg(QString(2, QChar(0)), QString(4, QChar(0))));
        }
    }
}

TEST_F(PortTest, LasersAreIgnoredWhenTheLaserTakesNoPart)
{
    bench.serial->addPort(4, laser.device());
    bench->startup().Form_Load();
    f.ComboBoxTLSCOM->clear();
    f.CheckTLS->setChecked(false);
    expectEnabled(f, "-SetTLSComPort -ComboBoxTLSCOM");
    bench->tlsPort().DetectComPorts();
    EXPECT_EQ(f.ComboBoxTLSCOM->count(), 0);
    f.CheckTLS->setChecked(true);
    expectEnabled(f, "SetTLSComPort ComboBoxTLSCOM");
}

TEST_F(PortTest, SetTlsComPortOpensReadsAndFillsTheWavelengthBoxesEachTime)
{
    open(12);  // two digits after "COM"
    EXPECT_EQ(std::tuple(bench->MSComm1().isOpen(), bench->MSComm1().portNumber()), std::tuple(true, 12));
    const qsizetype attempts = bench.serial->openAttempts.size();
    EXPECT_EQ(foreColorOf(f.SetTLSComPort), VbColor::Black);  // the rest of the first open is checked end to end

    // A second click keeps the port and resets the boxes from the laser's range.
    const struct {
        std::int32_t minPm, maxPm;
        const char *boxes, *range;  // boxes: Text1 Text2 Text4
    } rows[] = {{1260000, 1340000, "1260 1340 1300", "1260-1340 (nm)"}, {1527500, 1567500, "1527.5 1567.5 1547.5", "1527.5-1567.5 (nm)"}};
    for (const auto& row : rows) {
        laser.identity.minPm = row.minPm, laser.identity.maxPm = row.maxPm;
        f.Text1->setText(QStringLiteral("1300"));
        f.SetTLSComPort->click();
        EXPECT_EQ(bench.serial->openAttempts.size(), attempts);
        EXPECT_EQ(QStringList({f.Text1->text(), f.Text2->text(), f.Text4->text()}).join(QLatin1Char(' ')), QLatin1String(row.boxes));
        EXPECT_EQ(Module1.TLSInfoWL, QLatin1String(row.range));
    }
}

TEST_F(PortTest, AFailedOpenShowsTheWarningAndChangesNothing)
{
    bench.serial->addBusyPort(7);
    bench->startup().Form_Load();
    const QString before = info();
    const std::uint32_t back = backColorOf(f.SetTLSComPort);
    for (const char* com : {"COM7", "COM25"}) {  // busy, missing
        f.ComboBoxTLSCOM->setCurrentText(QLatin1String(com));
        f.SetTLSComPort->click();
        EXPECT_EQ(bench.dialogs->warnings.takeFirst(), QStringLiteral(" Error in TLS COM port setting!")) << com;
        EXPECT_EQ(std::tuple(info(), backColorOf(f.SetTLSComPort), f.Text1->text()), std::tuple(before, back, QStringLiteral("1260")));
        EXPECT_FALSE(f.ReadTLSInfo->isEnabled() || bench->MSComm1().isOpen());
    }
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());
}

TEST_F(PortTest, IdentityListingInBothLanguagesAndFontsAndAShortReplyWithoutStateAndRange)
{
    const struct {
        int language;
        std::uint16_t state;
        const char *listing, *font;
    } rows[] = {
        {1, 1, "1. P/N: TLS-1300-A\r\n2. S/N: SN20190517\r\n3. M/D: 05/17/2019\r\n4. F/R: 1.2.3\r\n5. H/R: HW-B\r\n"
               "6. L/S: 1 = On\r\n7. W/L: 1260-1340 (nm)", "Courier New"},
        {2, 0, "1. 产品型号 (P/N): TLS-1300-A\r\n2. 序 列 号 (S/N): SN20190517\r\n3. 生产日期 (M/D): 2019年05月17日\r\n"
               "4. 软件版本 (F/R): 1.2.3\r\n5. 硬件版本 (H/R): HW-B\r\n6. 激光状态 (L/S): 0 = 关\r\n7. 波长范围 (W/L): 1260-1340 (nm)",
         "SimSun"},
    };
    open();
    for (const auto& row : rows) {
        Module1.Language = row.language;
        laser.identity.state = row.state;
        bench->info().setFontSize(9);
        f.ReadTLSInfo->click();
        EXPECT_EQ(info(), QString::fromUtf8(row.listing));
        EXPECT_EQ(std::tuple(bench->info().fontName(), bench->info().color(), bench->info().fontSize()),
                  std::tuple(QString::fromLatin1(row.font), VbColor::Blue, 12));
        EXPECT_EQ(std::tuple(Module1.TLSLaserState, Module1.TLSInfoDate), std::tuple(row.state, QStringLiteral("05/17/2019\r\n")));
    }
    std::array<QString, 8> fields;
    QString checksum;
    bench->tlsPort().GetTLSInfo(fields, checksum);
    EXPECT_EQ(fields[0] + fields[2] + fields[6], QStringLiteral("TLS-1300-A05/17/20191260"));
    EXPECT_EQ(checksum, QString::fromLatin1(identityReply(laser.identity).right(2).toHex().toUpper()));

    // A laser that does not answer keeps the previous information.
    bench.serial->addPort(7, {});
    Module1.Language = 1;
    f.ReadTLSInfo->click();
    EXPECT_EQ(Module1.TLSInfoPN + Module1.TLSInfoWL, QStringLiteral("TLS-1300-A\r\n1260-1340 (nm)"));
    EXPECT_TRUE(info().contains(QStringLiteral("7. W/L: 1260-1340 (nm)")));

    // The same reply without its range (L = 40) leaves state and range empty.
    ASSERT_EQ(Module1.TLSWLMax, 1340.0F);
    const Identity& id = laser.identity;
    std::vector<std::uint16_t> words = vxmsim::identityWords({id.pn, id.sn, id.date, id.fr, id.hr}, id.state, id.minPm, id.maxPm);
    words.resize(40);
    bench.serial->addPort(7, answering({{0, bytesOf(frame::build("SNFV", words))}}));
    f.SetTLSComPort->click();
    EXPECT_EQ(Module1.TLSInfoPN + Module1.TLSInfoLS + Module1.TLSInfoWL, QStringLiteral("TLS-1300-A\r\n\r\n- (nm)"));
    EXPECT_EQ(std::tuple(Module1.TLSWLMin, Module1.TLSWLMax), std::tuple(0.0F, 0.0F));
    EXPECT_EQ(f.Text1->text() + f.Text4->text(), QStringLiteral("00"));
}

TEST(IdentityFields, DecodingRules)
{
    // Pairs "00" are skipped wherever they stand; pairs beyond the end add NUL characters.
    const auto fields = identity::decodeTextFields(
        QStringLiteral("AA534E4656002A000041004200") + QString(32, QLatin1Char('0')) + QStringLiteral("5A"), 161);
    EXPECT_EQ(fields[0], QStringLiteral("AB"));
    EXPECT_EQ(fields[1], QStringLiteral("Z") + QString(19, QChar(0)));
    EXPECT_EQ(fields[4].size(), 12);

    const std::pair<std::int32_t, const char*> nm[] = {{1260000, "1260"}, {1527500, "1527.5"}, {1527501, "1527.501"}, {-1000, "-1"}};
    for (const auto& [pm, text] : nm) EXPECT_EQ(identity::nmText(pm), QLatin1String(text)) << pm;
    EXPECT_FALSE(identity::hexField(QStringLiteral("AA5344"), 11, 4).has_value());
    EXPECT_EQ(identity::hexField(QStringLiteral("AA534E4656002A"), 11, 4), 42u);
}

}  // namespace
