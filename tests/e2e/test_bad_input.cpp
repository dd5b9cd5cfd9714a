// Bad input typed into every text box of the main window, through the operations that read it,
// against the simulated bench. Each test builds its rows of the table (box, typed text, operation,
// outcome) from what the program and the instruments did, and the rows must equal those in
// docs/bad-input.md: a changed outcome fails here, and the new rows land in test-output.

#include "e2e_bench.h"
#include "results/form2.h"
#include "test_paths.h"

#include <QFile>
#include <QRegularExpression>

#include <functional>

namespace {

struct BoxInputs {
    const char* box;
    QLineEdit* edit;
    QStringList typed;
};

// Empty, letters, negative, huge, decimal comma, leading blanks, around a usable value of each box.
QStringList badInputsAround(const QString& usable)
{
    const QString negative = usable.startsWith(QLatin1Char('-')) ? usable.mid(1) : QLatin1Char('-') + usable;
    const QString huge = usable.startsWith(QLatin1Char('-')) ? QStringLiteral("-99999999999") : QStringLiteral("99999999999");
    return {QString(), QStringLiteral("abc"), negative, huge, usable + QStringLiteral(",5"), QStringLiteral("   ") + usable};
}

QString shown(const QString& typed) { return typed.isEmpty() ? QStringLiteral("(empty)") : QLatin1Char('`') + typed + QLatin1Char('`'); }

// The boxes start at their usable values: 1260-1340 nm from the laser, 100 nm/s.
class BadInput : public LiveBench {
protected:
    // The information box as one line: its non-empty lines, trimmed, joined by " / ".
    QString infoLine() const
    {
        QStringList lines;
        for (const QString& line : bench->info().text().split(QStringLiteral("\r\n")))
            if (!line.trimmed().isEmpty()) lines << line.trimmed();
        return lines.join(QStringLiteral(" / "));
    }

    // "refused" when the request never reached the instrument, else what `sent` makes of it.
    QString outcome(const QString& request, const std::function<void()>& operate, const std::function<QString()>& sent)
    {
        const int requestsBefore = requestCount(request);
        operate();
        if (requestCount(request) == requestsBefore) return QStringLiteral("refused, nothing sent: ") + infoLine();
        return sent();
    }

    QString laserStatus() { return sim->command(QStringLiteral("status")).section(QLatin1Char(';'), 0, 0); }

    QString sweepOutcome()
    {
        return outcome(QStringLiteral("SWST"), [this] { f->StartStopSweep->click(); }, [this] {
            const QString status = laserStatus();
            const qsizetype at = status.indexOf(QLatin1String("sweeping"));
            return at >= 0 ? QStringLiteral("laser ") + status.mid(at) : QStringLiteral("sent; laser answers: ") + infoLine();
        });
    }

    // Single Measurement of a spectrum: its points when it completed, else the message shown.
    QString scanOutcome()
    {
        const int before = Module1.MeasureCount;
        return outcome(QStringLiteral("module:SCAN"), [this] { f->SingleMeasure->click(); }, [&]() -> QString {
            if (Module1.MeasureCount == before) return QStringLiteral("sent; ") + infoLine();
            const int points = Module1.LastPointIndex + 1;
            return QStringLiteral("%1 points, %2-%3 nm")
                .arg(points)
                .arg(Module1.ScanWL[0], 0, 'f', 3)
                .arg(Module1.ScanWL[static_cast<std::size_t>(points - 1)], 0, 'f', 3);
        });
    }

    QString analysisOutcome()
    {
        const QString scanned = scanOutcome();
        if (Module1.ChannelCount == 0) return scanned + QStringLiteral("; no channel found");
        // The count and heading only: band widths at a level near the top follow the noise.
        return scanned + QStringLiteral("; %1 channels; heading \"%2\"")
                             .arg(Module1.ChannelCount)
                             .arg(bench->form2().ResultLabel->text());
    }

    // The power meter reads whether or not the laser went to Text4's wavelength.
    QString powerOutcome()
    {
        const int requestsBefore = requestCount(QStringLiteral("GOWL"));
        const int measuredBefore = Module1.MeasureCount;
        f->SingleMeasure->click();
        const QString at = laserStatus().section(QLatin1Char(' '), 2, 3);
        const QString laser = requestCount(QStringLiteral("GOWL")) == requestsBefore
                                  ? QStringLiteral("nothing sent: %1; laser stays at %2").arg(infoLine(), at)
                                  : QStringLiteral("laser at ") + at;
        if (Module1.MeasureCount == measuredBefore) return laser + QStringLiteral("; failed: ") + infoLine();
        const QString reading = f->Text5->text();
        const bool formatted = QRegularExpression(QStringLiteral("^-?\\d+\\.\\d{3}$")).match(reading).hasMatch();
        return laser + QStringLiteral(", Text5 shows the reading ") +
               (formatted ? QStringLiteral("(0.000 format)") : QStringLiteral("MALFORMED ") + reading);
    }

    void add(const char* box, const QString& typed, const char* operation, const QString& result)
    {
        rows << QStringLiteral("| `%1` | %2 | %3 | %4 |").arg(QLatin1String(box), shown(typed), QLatin1String(operation), result);
    }

    // Types each bad input into its box, runs `operate` on it, and puts the usable text back.
    template <typename Operate>
    void typeEach(const std::vector<BoxInputs>& boxes, Operate operate)
    {
        for (const BoxInputs& b : boxes) {
            const QString usable = b.edit->text();
            for (const QString& typed : b.typed) {
                SCOPED_TRACE(b.box + (" " + typed.toStdString()));
                ASSERT_TRUE(b.edit->isEnabled());
                b.edit->setText(typed);
                operate(b, typed);
                b.edit->setText(usable);
            }
        }
    }

    void startSweep()
    {
        f->StartStopSweep->click();
        ASSERT_TRUE(f->CheckVXMScanMode->isEnabled()) << infoLine().toStdString();
        f->CheckVXMScanMode->click();
        f->MeasureSpectrum->click();
        f->Transmission->click();
        f->Text6->setText(QStringLiteral("1"));
        f->Text7->setText(QStringLiteral("1001"));
        f->Text8->setText(QStringLiteral("-3.0"));
    }

    // The rows of docs/bad-input.md for the given boxes must be exactly those found.
    void expectTable(const QStringList& boxes, const QString& name)
    {
        QStringList documented;
        for (const QString& line : QString::fromUtf8(fileBytes(QStringLiteral(VXM_SOURCE_DIR "/docs/bad-input.md"))).split(u'\n'))
            for (const QString& box : boxes)
                if (line.startsWith(QStringLiteral("| `%1` |").arg(box))) documented << line;
        QFile found(QDir(testOutputDir()).filePath(QStringLiteral("bad-input-%1.md").arg(name)));
        ASSERT_TRUE(found.open(QIODevice::WriteOnly | QIODevice::Text));
        found.write((rows.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        for (qsizetype i = 0; i < std::max(rows.size(), documented.size()); ++i)
            EXPECT_EQ(rows.value(i).toStdString(), documented.value(i).toStdString()) << "row " << i << "; the rows found are in " << found.fileName().toStdString();
    }

    QStringList rows;
};

// The sweep frame and the scan both read the start, stop and speed boxes, which can only be changed
// while the sweep is idle.
TEST_F(BadInput, StartStopAndSpeedThroughTheSweepAndTheScan)
{
    const std::vector<BoxInputs> boxes{{"Text1", f->Text1, badInputsAround(QStringLiteral("1270"))},
                                       {"Text2", f->Text2, badInputsAround(QStringLiteral("1330"))},
                                       {"Text3", f->Text3, badInputsAround(QStringLiteral("100"))}};
    typeEach(boxes, [this](const BoxInputs& b, const QString& typed) {
        add(b.box, typed, "Start TLS Sweep", sweepOutcome());
        if (!f->StartStopSweep->isChecked()) return;
        f->CheckVXMScanMode->click();
        f->MeasureSpectrum->click();
        f->Text7->setText(QStringLiteral("1001"));
        add(b.box, typed, "Single Measurement, Device IL Spectrum", scanOutcome());
        f->CheckVXMScanMode->click();
        f->StartStopSweep->click();
        EXPECT_FALSE(f->StartStopSweep->isChecked());
    });
    expectTable({QStringLiteral("Text1"), QStringLiteral("Text2"), QStringLiteral("Text3")}, QStringLiteral("sweep"));
}

TEST_F(BadInput, PowerMeterWavelengthAndReading)
{
    f->CheckPowerMeter->click();
    ASSERT_TRUE(f->Text4->isEnabled());
    f->Text4->setText(QStringLiteral("1300"));
    typeEach({{"Text4", f->Text4, badInputsAround(QStringLiteral("1300"))}}, [this](const BoxInputs& b, const QString& typed) {
        f->Text5->setText(QStringLiteral("0.000"));
        add(b.box, typed, "Single Measurement, Power Meter", powerOutcome());
        EXPECT_TRUE(f->SingleMeasure->isEnabled());
    });
    f->Text5->setText(QStringLiteral("abc"));
    add("Text5", QStringLiteral("abc"), "Single Measurement, Power Meter", powerOutcome());
    expectTable({QStringLiteral("Text4"), QStringLiteral("Text5")}, QStringLiteral("power"));
}

TEST_F(BadInput, AverageLengthAndDownLevelThroughTheScanAndItsAnalysis)
{
    startSweep();
    const std::vector<BoxInputs> boxes{{"Text6", f->Text6, badInputsAround(QStringLiteral("2"))},
                                       {"Text7", f->Text7, badInputsAround(QStringLiteral("1001"))},
                                       {"Text8", f->Text8, badInputsAround(QStringLiteral("-3.0"))}};
    typeEach(boxes, [this](const BoxInputs& b, const QString& typed) {
        if (b.edit == f->Text8)
            add(b.box, typed, "Single Measurement, channel analysis", analysisOutcome());
        else
            add(b.box, typed, "Single Measurement, Device IL Spectrum", scanOutcome());
    });
    expectTable({QStringLiteral("Text6"), QStringLiteral("Text7"), QStringLiteral("Text8")}, QStringLiteral("scan"));
}

}  // namespace
