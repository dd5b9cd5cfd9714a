#include "records/record_capture.h"

#include "core/form1.h"
#include "core/numeric_text.h"
#include "core/shared_state.h"
#include "records/record_writer.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <utility>

namespace {
std::int32_t whole(const QLineEdit* box) { return floorToInt32(leadingNumber(box->text())); }

// The identities arrive with the line end the information box shows them with.
QString field(const QString& identity) { return identity.trimmed(); }
}  // namespace

QString userDataFolder() { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }

QString defaultRecordsPath() { return QDir(userDataFolder()).filePath(QStringLiteral("records.sqlite")); }

QString defaultSpoolPath() { return QDir(userDataFolder()).filePath(QStringLiteral("records-spool.sqlite")); }

QString recordsTarget()
{
    const QString env = qEnvironmentVariable("VXM_RECORDS_URL").trimmed();
    if (!env.isEmpty()) return env;
    // The program's one settings file, shared with the channel plan.
    const QSettings settings(QStringLiteral("ostrel-vxm"), QStringLiteral("vxm-operator"));
    const QString url = settings.value(QStringLiteral("records/url")).toString().trimmed();
    return url.isEmpty() ? defaultRecordsPath() : url;
}

RecordCapture::RecordCapture(Form1& form, RecordWriter& writer, QString programVersion)
    : QObject(&form), form_(form), writer_(writer), programVersion_(std::move(programVersion))
{
}

void RecordCapture::setModuleIdentity(const QString& part, const QString& serial)
{
    modulePart_ = field(part);
    moduleSerial_ = field(serial);
}

void RecordCapture::spectrumAnalysed() { analysed_ = true; }

void RecordCapture::verdictJudged(const verdict::DeviceVerdict& verdict) { verdict_ = verdict; }

MeasurementRecord RecordCapture::build(RecordKind kind, int pass) const
{
    const Form1& f = form_;
    MeasurementRecord r;
    r.uid = newRecordUid();
    const QDateTime now = QDateTime::currentDateTime();
    r.utc = now.toUTC();
    r.utcOffsetS = now.offsetFromUtc();
    r.deviceId = f.DeviceId->text().trimmed();
    r.bench = {modulePart_, moduleSerial_, field(Module1.TLSInfoPN), field(Module1.TLSInfoSN), programVersion_,
               QSysInfo::machineHostName()};
    r.kind = kind;
    r.pass = pass;

    RecordSettings& s = r.settings;
    s.startNm = whole(f.Text1);
    s.stopNm = whole(f.Text2);
    s.speedNmPerS = whole(f.Text3);
    s.averages = whole(f.Text6);
    s.dataLength = whole(f.Text7);
    s.channel = f.ChannelID->currentText();
    s.mode = f.CheckPowerMeter->isChecked()  ? RecordMode::PowerMeter
             : f.CheckAlignMode->isChecked() ? RecordMode::Align
                                             : RecordMode::Regular;
    s.background = f.TakeBackground->isChecked();
    s.removeBackground = f.CheckRemoveBKG->isChecked();
    s.basePower = f.BasePower->isChecked();
    s.ref0 = f.Ref0Power->isChecked();
    s.nDb = f.Text8->text();
    s.transmission = Module1.ChannelSelect == 1;
    s.powerWavelengthNm = f.Text4->text();
    if (kind == RecordKind::PowerReading) return r;

    // A background is plotted, not analysed: its record has no table.
    if (!s.background) {
        const auto& rows = Module1.ChannelResults;
        const std::size_t last = std::min<std::size_t>(static_cast<std::size_t>(std::max(Module1.ChannelCount, 0)),
                                                       rows.empty() ? 0 : rows.size() - 1);
        for (std::size_t i = 1; i <= last; ++i)
            if (rows[i][0] >= 1.0F) r.channels.push_back({rows[i][0], rows[i][1], rows[i][2]});
    }
    const auto points = static_cast<std::size_t>(std::max(Module1.LastPointIndex + 1, 0));
    const std::size_t n = std::min({points, Module1.ScanWL.size(), Module1.ScanValue.size()});
    r.wavelengthsNm.assign(Module1.ScanWL.begin(), Module1.ScanWL.begin() + static_cast<std::ptrdiff_t>(n));
    r.values.assign(Module1.ScanValue.begin(), Module1.ScanValue.begin() + static_cast<std::ptrdiff_t>(n));
    if (analysed_ && verdict_) {
        r.figuresJson = verdict::figuresJson(*verdict_);
        if (verdict_->outcome != verdict::Outcome::NotJudged) r.verdict = verdict::outcomeText(verdict_->outcome);
    }
    r.recipeName = station_.recipeName;
    r.recipeRevision = station_.recipeRevision;
    r.recipeHash = station_.recipeHash;
    r.port = station_.port;
    r.portCount = station_.portCount;
    r.runUid = station_.runUid;
    // The background a spectrum was corrected with, as the engine used it.
    const auto channel = static_cast<std::size_t>(Module1.ChannelIndex);
    if (s.removeBackground && !s.background && channel < Module1.BackgroundSources.size()) {
        const BackgroundSource& source = Module1.BackgroundSources[channel];
        if (source.utcMs != 0) {
            r.backgroundUid = source.uid;
            r.backgroundAgeS = static_cast<double>(r.utc.toMSecsSinceEpoch() - source.utcMs) / 1000.0;
        }
    }
    return r;
}

void RecordCapture::submitDevice(const verdict::DeviceVerdict& verdict, const StationContext& context)
{
    const StationContext previous = std::exchange(station_, context);
    MeasurementRecord device = build(RecordKind::Device, -1);
    station_ = previous;
    device.port = 0;
    device.channels.clear();
    device.wavelengthsNm.clear();
    device.values.clear();
    device.backgroundUid.clear();
    device.backgroundAgeS.reset();
    device.figuresJson = verdict::figuresJson(verdict);
    device.verdict = verdict.outcome == verdict::Outcome::NotJudged ? QString() : verdict::outcomeText(verdict.outcome);
    for (MeasurementRecord& r : held_) writer_.submit(std::move(r));
    held_.clear();
    emit captured(device);
    writer_.submit(std::move(device));
}


void RecordCapture::captureSpectrum(int pass)
{
    MeasurementRecord r = build(pass < 0 ? RecordKind::Spectrum : RecordKind::RepeatPass, pass);
    // The stored background is known by its record from now on.
    const auto channel = static_cast<std::size_t>(Module1.ChannelIndex);
    if (r.settings.background && channel < Module1.BackgroundSources.size())
        Module1.BackgroundSources[channel].uid = r.uid;
    handOver(std::move(r));
}

void RecordCapture::capturePower(double shown)
{
    MeasurementRecord r = build(RecordKind::PowerReading, -1);
    r.power = shown;
    r.powerUnit = form_.PLabel->text();
    handOver(std::move(r));
}

void RecordCapture::handOver(MeasurementRecord record)
{
    analysed_ = false;
    emit captured(record);
    if (station_.port > 0) held_.push_back(std::move(record));
    else writer_.submit(std::move(record));
}
