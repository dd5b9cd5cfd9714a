// The laser link under the simulated laser's faults: a corrupted checksum, error statuses, a reply
// in two blocks, garbage after the frame, and the laser's terminal closed during a sweep. In each
// the program keeps running, reports what the operator must know in the current language, and the
// next operation works.

#include "e2e_bench.h"

#include "core/units.h"
#include "laser/frame_codec.h"
#include "laser/tls_control_controller.h"
#include "laser/tls_link.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace {

// One reply as the link handed it over, with the checksum it computed over the announced frame.
struct Exchange {
    QString reply;
    QString checksum;
    qint64 elapsedMs = 0;
    // Bytes the length field announces: header, data words, checksum.
    int announcedBytes() const
    {
        return 9 + 2 * static_cast<int>(frame::lengthWords(reply.toStdString()));
    }
};

class LaserFaultsE2e : public E2eBench {
protected:
    void switchFault(const QString& name, bool on = true)
    {
        const QString line = QStringLiteral("fault laser:%1 %2").arg(name, on ? QStringLiteral("on") : QStringLiteral("off"));
        ASSERT_EQ(sim->command(line), QStringLiteral("ok: ") + line);
    }

    // The set-wavelength request straight through the link, as the wavelength step sends it.
    Exchange setWavelengthThroughLink(std::int32_t pm)
    {
        Exchange ex;
        QElapsedTimer clock;
        clock.start();
        QString command = QStringLiteral("AA474F574C0002");
        bench->link().SendTLSCommand(2, 12, pm, command);
        bench->link().ReceiveTLSReply(ex.reply, ex.checksum);
        ex.elapsedMs = clock.elapsed();
        return ex;
    }

    // A neutral box, so that any report the link makes shows.
    void markInfo()
    {
        info().setColor(VbColor::Black);
        info().setText(QStringLiteral("-"));
    }

    void setWavelength(const char* nm)
    {
        form().Text4->setText(QString::fromLatin1(nm));
        bench->tlsControl().SetTLSWavelength();
    }

    bool laserAt(const char* nm) { return sim->command(QStringLiteral("status")).contains(QStringLiteral("%1.000 nm").arg(QLatin1String(nm))); }
};

TEST_F(LaserFaultsE2e, ACorruptedChecksumIsReturnedSilentlyAndTheOperationGoesOn)
{
    openLaserPort();
    switchFault(QStringLiteral("bad-checksum"));

    markInfo();
    const Exchange good = setWavelengthThroughLink(1305000);
    ASSERT_EQ(good.reply.size(), 2 * good.announcedBytes()) << good.reply.toStdString();
    EXPECT_EQ(good.reply.mid(14, 4), QStringLiteral("0000"));
    EXPECT_NE(good.reply.right(4), good.checksum) << "the checksum is computed, not copied from the reply";
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    EXPECT_TRUE(laserAt("1305"));

    // An error status under a corrupted checksum is not trusted: the link reports nothing.
    switchFault(QStringLiteral("error-status=0001"));
    markInfo();
    const Exchange bad = setWavelengthThroughLink(1306000);
    EXPECT_EQ(bad.reply.mid(14, 4), QStringLiteral("0001"));
    EXPECT_NE(bad.reply.right(4), bad.checksum);
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    EXPECT_EQ(info().color(), VbColor::Black);
    switchFault(QStringLiteral("error-status"), false);

    // The operator's step with a corrupted but otherwise good reply: carried out, nothing reported.
    markInfo();
    setWavelength("1310");
    EXPECT_TRUE(laserAt("1310"));
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    EXPECT_EQ(info().color(), VbColor::Black);

    // With the fault gone the same frame is answered with a matching checksum.
    switchFault(QStringLiteral("bad-checksum"), false);
    const Exchange clean = setWavelengthThroughLink(1320000);
    EXPECT_EQ(clean.reply.right(4), clean.checksum);
    EXPECT_TRUE(laserAt("1320"));
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

struct StatusCase {
    const char* code;
    const char* english;
    const char* chinese;
};

TEST_F(LaserFaultsE2e, ErrorStatusesAreReportedInRedInBothLanguages)
{
    openLaserPort();
    const StatusCase cases[] = {
        {"0001", "  TLS received an unknown command.", "  激光器接收到未知命令"},
        {"0002", "  TLS received data is Out-Of-Range.", "  激光器接收到的数据超出范围"},
        {"0009", "  TLS received data has Checksum Error.", "  激光器接收到的数据Checksum错误"},
        {"1234", "  Unknown error code.\r\n  Please report to Ostrel.", "  未知错误码。请联系Ostrel。"},
    };
    for (const StatusCase& c : cases) {
        const QString code = QString::fromLatin1(c.code);
        switchFault(QStringLiteral("error-status=") + code);

        if (Module1.Language != 1) click(form().LanguageButton);
        ASSERT_EQ(Module1.Language, 1);
        markInfo();
        setWavelength("1300");
        EXPECT_EQ(infoText(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = %1\r\n").arg(code) + QString::fromUtf8(c.english)) << c.code;
        EXPECT_EQ(info().color(), VbColor::Red) << c.code;
        EXPECT_EQ(info().fontSize(), 12) << c.code;

        click(form().LanguageButton);
        ASSERT_EQ(Module1.Language, 2);
        markInfo();
        setWavelength("1300");
        EXPECT_EQ(infoText(), QStringLiteral("  出错提醒!\r\n\r\n  错误码 = %1\r\n").arg(code) + QString::fromUtf8(c.chinese)) << c.code;
        EXPECT_EQ(info().color(), VbColor::Red) << c.code;
    }

    // The laser recovers: the next wavelength is set and no error is shown.
    switchFault(QStringLiteral("error-status"), false);
    markInfo();
    setWavelength("1333");
    EXPECT_TRUE(laserAt("1333"));
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(LaserFaultsE2e, AReplySplitInTwoBlocksIsAssembledWhole)
{
    openLaserPort();
    click(form().ReadTLSInfo);
    const QString listing = infoText();
    ASSERT_TRUE(listing.contains(QStringLiteral("7. W/L: 1260-1340 (nm)"))) << listing.toStdString();

    switchFault(QStringLiteral("split"));
    markInfo();
    const Exchange ex = setWavelengthThroughLink(1315000);
    EXPECT_GE(ex.elapsedMs, 300) << "the second half comes after the pause";
    EXPECT_LT(ex.elapsedMs, 3000);
    EXPECT_EQ(ex.reply.size(), 2 * ex.announcedBytes()) << ex.reply.toStdString();
    EXPECT_EQ(ex.reply.right(4), ex.checksum);
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    EXPECT_TRUE(laserAt("1315"));

    // The identity is long enough that its first half passes the first wait on its own: the rest
    // is then awaited by length, and the listing is the same as unsplit.
    markInfo();
    click(form().ReadTLSInfo);
    EXPECT_EQ(infoText(), listing);

    // An error status split in two is still whole enough to be reported.
    switchFault(QStringLiteral("error-status=0009"));
    setWavelength("1300");
    EXPECT_EQ(infoText(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0009\r\n  TLS received data has Checksum Error."));
    EXPECT_EQ(info().color(), VbColor::Red);
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(LaserFaultsE2e, TrailingBytesAfterTheFrameCountAsAChecksumMismatch)
{
    openLaserPort();
    switchFault(QStringLiteral("extra-bytes"));

    markInfo();
    const Exchange ex = setWavelengthThroughLink(1302000);
    const int frameHex = 2 * ex.announcedBytes();
    ASSERT_EQ(ex.reply.size(), frameHex + 8) << "the garbage is kept with the reply: " << ex.reply.toStdString();
    EXPECT_EQ(ex.reply.right(8), QStringLiteral("5500AA13"));
    EXPECT_EQ(ex.reply.mid(frameHex - 4, 4), ex.checksum) << "the checksum covers the announced frame only";
    EXPECT_NE(ex.reply.right(4), ex.checksum);
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    EXPECT_TRUE(laserAt("1302"));

    // An error status followed by garbage is a mismatch too: the link does not report it.
    switchFault(QStringLiteral("error-status=0001"));
    markInfo();
    const Exchange err = setWavelengthThroughLink(1303000);
    EXPECT_EQ(err.reply.mid(14, 4), QStringLiteral("0001"));
    EXPECT_EQ(infoText(), QStringLiteral("-"));
    switchFault(QStringLiteral("error-status"), false);

    // The next exchange starts clean: the garbage of the last one is not taken for its reply.
    switchFault(QStringLiteral("extra-bytes"), false);
    markInfo();
    const Exchange clean = setWavelengthThroughLink(1304000);
    EXPECT_EQ(clean.reply.size(), 2 * clean.announcedBytes());
    EXPECT_EQ(clean.reply.right(4), clean.checksum);
    EXPECT_TRUE(laserAt("1304"));

    click(form().ReadTLSInfo);
    EXPECT_TRUE(infoText().contains(QStringLiteral("1. P/N: TLS-OB-2611-S"))) << infoText().toStdString();
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(LaserFaultsE2e, TheLaserTerminalClosedDuringASweepEndsTheExchangesAndTheWindowGoesOn)
{
    openLaserPort();
    switchLaserOn();
    click(form().StartStopSweep);
    ASSERT_TRUE(sim->command(QStringLiteral("status")).contains(QStringLiteral("sweeping")));
    Module1.TLSTimeoutMs = 400;

    // The next command the laser sees closes its terminal, unanswered.
    switchFault(QStringLiteral("unplug-after=0"));
    QElapsedTimer clock;
    clock.start();
    click(form().StartStopSweep);
    EXPECT_LT(clock.elapsed(), 3000) << "no wait beyond the time-out";
    EXPECT_EQ(form().StartStopSweep->text(), QStringLiteral("Start TLS Sweep"));
    EXPECT_TRUE(form().StartStopSweep->isEnabled());
    EXPECT_TRUE(form().CheckPowerMeter->isEnabled());
    EXPECT_TRUE(form().Text1->isEnabled());
    // No reply came: its empty status reads as an unknown code.
    EXPECT_TRUE(infoText().contains(QStringLiteral("Unknown error code."))) << infoText().toStdString();

    // The link to the laser's terminal is gone.
    QElapsedTimer gone;
    gone.start();
    while (QFileInfo::exists(sim->linkPath(7)) && gone.elapsed() < 3000) QTest::qWait(20);
    ASSERT_FALSE(QFileInfo::exists(sim->linkPath(7)));

    // Later clicks: each exchange ends at once or at the time-out, the states still walk.
    clock.restart();
    click(form().StartStopSweep);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(form().StartStopSweep->text(), QStringLiteral("Stop TLS Sweep"));

    clock.restart();
    click(form().TLSOnOff);
    EXPECT_LT(clock.elapsed(), 3000);
    // Off while sweeping runs the sweep stop too, whose exchange again finds no reply.
    EXPECT_TRUE(infoText().contains(QStringLiteral("Unknown error code."))) << infoText().toStdString();
    EXPECT_FALSE(form().TLSOnOff->isChecked());
    EXPECT_EQ(form().TLSOnOff->text(), QStringLiteral("Set TLS On"));
    EXPECT_FALSE(form().StartStopSweep->isChecked());
    EXPECT_FALSE(form().StartStopSweep->isEnabled());

    // The rest of the window is untouched by the lost laser.
    click(form().LanguageButton);
    EXPECT_EQ(Module1.Language, 2);
    click(form().TLSOnOff);
    EXPECT_EQ(infoText(), QStringLiteral("激光已经打开"));
    EXPECT_TRUE(dialogs->warnings.isEmpty());
    EXPECT_EQ(endRequests, 0);
}

}  // namespace
