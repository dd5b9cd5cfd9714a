#include "remote/remote_commands.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/numeric_text.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "measure/scan_engine.h"
#include "module/device_library.h"
#include "module/module_record.h"
#include "remote/remote_dispatcher.h"
#include "remote/scpi_format.h"
#include "remote/status_commands.h"
#include "results/form2.h"
#include "results/results_window_host.h"
#include "station/station_controller.h"
#include "verdict/device_verdict.h"
#include "verdict/limits.h"
#include "verdict/verdict_controller.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

using scpi::Command;
using scpi::Reply;

namespace {

// FETCh:VERDict?: the device's outcome first, then one quoted string per line of the verdict text
// ("CH4 1331.004 nm FAIL insertion_loss", ..., "DEVICE FAIL").
QByteArray verdictResponse(const verdict::DeviceVerdict& verdict)
{
    QByteArray response = verdict::outcomeText(verdict.outcome).toLatin1();
    for (const QString& line : verdict::verdictText(verdict).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        response += ',' + scpi::quotedString(line);
    return response;
}

// FETCh:FIGures?: six fields per figure of every channel, comma-separated: the channel's number,
// the figure's key, its value, the lower and upper bound it is held to (-9.9E+37 and 9.9E+37 for
// none) and PASS, FAIL, MARGINAL or "-" where it is not judged.
QByteArray figuresResponse(const verdict::DeviceVerdict& verdict)
{
    const double none = std::numeric_limits<double>::infinity();
    QByteArrayList fields;
    for (const verdict::ChannelVerdict& channel : verdict.channels) {
        const verdict::FigureBounds& bounds = channel.bounds;
        for (const verdict::Figure figure : verdict::kFigures) {
            const auto bound = bounds.find(figure);
            const bool bounded = bound != bounds.end() && (bound->second.min || bound->second.max);
            const auto among = [figure](const std::vector<verdict::Figure>& list) {
                return std::find(list.begin(), list.end(), figure) != list.end();
            };
            const bool judged = bounded && channel.outcome != verdict::Outcome::NotJudged &&
                                !(figure == verdict::Figure::Isolation && channel.figures.isolationShared);
            const char* outcome = among(channel.failing)    ? "FAIL"
                                  : among(channel.marginal) ? "MARGINAL"
                                  : judged                  ? "PASS"
                                                            : "-";
            fields << QByteArray::number(channel.number) << verdict::figureKey(figure).toUtf8()
                   << scpi::realNumber(channel.figures[figure])
                   << scpi::realNumber(bounded && bound->second.min ? *bound->second.min : -none)
                   << scpi::realNumber(bounded && bound->second.max ? *bound->second.max : none) << QByteArray(outcome);
        }
    }
    return fields.join(',');
}

// Quoted texts, comma-separated.
QByteArray quotedList(const QStringList& texts)
{
    QByteArrayList quoted;
    for (const QString& t : texts) quoted << scpi::quotedString(t);
    return quoted.join(',');
}

// The longest device ID the station takes.
constexpr qsizetype kMaxDeviceId = 64;

const char* const kMaker = "Ostrel";
const char* const kModel = "VXM";
const char* const kRevision = "3.0C";
// *OPT?: the program has no options to install; all it offers is always there.
const char* const kOptions = "0";
// Wavelengths settable remotely: every band a module and laser of the bench can cover, far inside
// what the laser's 32-bit picometre fields hold.
constexpr double kMinWavelengthNm = 1;
constexpr double kMaxWavelengthNm = 2000;

Reply refuse(const QString& reason) { return Reply::failure(scpi::executionError(reason)); }

// The first line of a report, without the blanks and line breaks around it.
QString firstLine(const QString& text)
{
    const QString t = text.trimmed();
    return t.left(t.indexOf(QLatin1Char('\r'))).trimmed();
}

// The control's English caption, as a reason names it.
QString captionOf(const QWidget* control)
{
    if (qobject_cast<const QLineEdit*>(control)) return control->accessibleName();
    for (const CaptionRow& row : form1Captions())
        if (control->objectName() == QLatin1String(row.control)) return QString::fromUtf8(row.english);
    return control->objectName();
}

QByteArray number(double value) { return scpi::realNumber(value); }

// Fields of an identity without their line ends, comma-separated.
QByteArray fields(std::initializer_list<QString> values)
{
    QStringList out;
    for (const QString& v : values) out << v.trimmed();
    return out.join(QLatin1Char(',')).toUtf8();
}

// While a remote command clicks, a handler's fault box does not wait for an OK nobody may be
// there to give: it shows without blocking, and its text becomes the command's error.
class RemoteDialogs final : public UserDialogs {
public:
    RemoteDialogs(QWidget* parent, QString& warning) : parent_(parent), warning_(warning) {}
    void warning(const QString& text) override
    {
        warning_ = text;
        auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral(" Warning "), text, QMessageBox::Ok, parent_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }
    QString saveFileName(const QString& folder, const QString& fileName, const QString& filter) override
    {
        return inner_->saveFileName(folder, fileName, filter);
    }
    UserDialogs* inner_ = nullptr;

private:
    QPointer<QWidget> parent_;
    QString& warning_;
};

class RemoteDialogsScope {
public:
    RemoteDialogsScope(QWidget* parent, QString& warning)
    {
        auto mine = std::make_unique<RemoteDialogs>(parent, warning);
        RemoteDialogs* raw = mine.get();
        previous_ = setDialogs(std::move(mine));
        raw->inner_ = previous_.get();
    }
    ~RemoteDialogsScope() { setDialogs(std::move(previous_)); }
    RemoteDialogsScope(const RemoteDialogsScope&) = delete;
    RemoteDialogsScope& operator=(const RemoteDialogsScope&) = delete;

private:
    std::unique_ptr<UserDialogs> previous_;
};

}  // namespace

RemoteCommands::RemoteCommands(Form1& form, InfoBox& info, DeviceLibrary& library, ResultsWindowHost& results,
                               ScanEngine& engine, VerdictController& verdict, StationController& station)
    : QObject(&form), form_(form), info_(info), library_(library), results_(results), engine_(engine),
      verdict_(verdict), station_(station)
{
    connect(&verdict_, &VerdictController::evaluated, this, [this] { deviceVerdict_.reset(); });
    connect(&station_, &StationController::deviceJudged, this,
            [this](const verdict::DeviceVerdict& v) { deviceVerdict_ = v; });
    // The toggle starts pressed with the laser off; its handler runs on every change after that.
    connect(form_.TLSOnOff, &QAbstractButton::toggled, this, [this](bool on) { laserOn_ = on; });
    // After the sweep's handler, which may have put the toggle back.
    connect(form_.StartStopSweep, &QAbstractButton::toggled, this, [this] { updateConditions(); });
    addCommon();
    addLaser();
    addModule();
    addSettings();
    addMeasurement();
    addStation();
}

bool RemoteCommands::measuring() const
{
    return pending_ || engine_.busy() || form_.RepeatMeasure->isChecked();
}

QString RemoteCommands::refusal(const QWidget* control) const
{
    if (measuring()) return textIn("remote.measuring", 1);
    if (control && !control->isEnabled()) return textIn("remote.disabled", 1).arg(captionOf(control));
    return {};
}

QString RemoteCommands::perform(const std::function<bool()>& action)
{
    QString warning;
    bool done = false;
    {
        RemoteDialogsScope scope(&form_, warning);
        done = action();
    }
    if (!warning.isEmpty()) return warning.trimmed();
    return done ? QString() : firstLine(info_.text());
}

QString RemoteCommands::click(QAbstractButton* button)
{
    const QString textBefore = info_.text();
    const std::uint32_t colourBefore = info_.color();
    const QString warning = perform([button] {
        button->click();
        return true;
    });
    if (!warning.isEmpty()) return warning;
    // Handlers report failures in red; a red report left from before is not this click's.
    const bool red = info_.color() == VbColor::Red;
    if (red && (info_.text() != textBefore || colourBefore != VbColor::Red)) return firstLine(info_.text());
    return {};
}

Reply RemoteCommands::clickChecked(QAbstractButton* button)
{
    if (const QString why = refusal(button); !why.isEmpty()) return refuse(why);
    if (const QString failure = click(button); !failure.isEmpty()) return refuse(failure);
    return Reply::done();
}

void RemoteCommands::setDispatcher(RemoteDispatcher* dispatcher)
{
    dispatcher_ = dispatcher;
    if (dispatcher_) connect(dispatcher_, &RemoteDispatcher::forgotten, this, [this](int id) { clients_.erase(id); });
}

RemoteCommands::ClientSettings& RemoteCommands::client()
{
    return clients_[dispatcher_ ? dispatcher_->currentClient() : -1];
}

QString RemoteCommands::moduleSerial()
{
    // Read once the module is connected; not while a scan owns the module.
    if (serial_.isEmpty() && Module1.ModuleHandle > 1000 && !measuring()) {
        std::array<std::uint8_t, module_record::kInfoBufferBytes> record{};
        if (library_.Get_Info(Module1.ModuleHandle, record.data()) == 1)
            serial_ = module_record::decodeRecord(record).serialNumber.trimmed();
    }
    return serial_.isEmpty() ? QStringLiteral("0") : serial_;
}

scpi::Conditions RemoteCommands::updateConditions()
{
    const std::uint16_t operation = (form_.StartStopSweep->isChecked() ? scpi::Sweeping : 0) |
                                    (measuring() ? scpi::Measuring : 0);
    const scpi::Conditions now{operation, questionable_};
    if (now != conditions_ && dispatcher_)
        dispatcher_->forEachStatus([&](scpi::ClientStatus& status) { status.latch(conditions_, now); });
    conditions_ = now;
    return now;
}

void RemoteCommands::setQuestionable(scpi::QuestionableBit bit, bool on)
{
    questionable_ = on ? questionable_ | bit : questionable_ & ~bit;
    updateConditions();
}

void RemoteCommands::addCommon()
{
    scpi::addStatusCommands(table_, {[this] { return updateConditions(); }, [this] { return pending_; }});
    table_.add(QStringLiteral("*IDN?"), [this](const Command&) {
        return Reply::text(fields({QLatin1String(kMaker), QLatin1String(kModel), moduleSerial(),
                                   QLatin1String(kRevision)}));
    });
    table_.add(QStringLiteral("*RST"), [this](const Command&, scpi::ClientStatus& status) {
        client() = ClientSettings{};
        status.cancelOperationComplete();
        return Reply::done();
    });
    // The self test is the device library: without it no module can be used. That the parser and
    // the server work shows in the answer itself.
    table_.add(QStringLiteral("*TST?"), [this](const Command&, scpi::ClientStatus& status) {
        const QString problem = library_.loadProblem();
        if (problem.isEmpty()) return Reply::text("0");
        status.pushError({scpi::SelfTestFailed, firstLine(textIn("app.libraryMissing", 1).arg(problem))});
        return Reply::text("1");
    });
    table_.add(QStringLiteral("*OPT?"), [](const Command&) { return Reply::text(kOptions); });
    table_.add(QStringLiteral("SYSTem:LANGuage"), [this](const Command& c) {
        const auto choice = scpi::choiceParameter(c, 0, {QStringLiteral("EN"), QStringLiteral("ZH")});
        if (!choice.ok()) return Reply::failure(*choice.error);
        if (Module1.Language == choice.value + 1) return Reply::done();
        return clickChecked(form_.LanguageButton);
    });
    table_.add(QStringLiteral("SYSTem:LANGuage?"),
               [](const Command&) { return Reply::text(Module1.Language == 2 ? "ZH" : "EN"); });
}

void RemoteCommands::addLaser()
{
    Form1& f = form_;
    const auto portCommand = [this](QComboBox* list, QAbstractButton* button) {
        return [this, list, button](const Command& c) {
            if (c.parameters.isEmpty()) return Reply::failure({scpi::MissingParameter, {}});
            const int index = list->findText(c.parameters[0].trimmed().toUpper());
            if (index < 0) return Reply::failure({scpi::IllegalParameterValue, {}});
            for (const QWidget* w : {static_cast<const QWidget*>(list), static_cast<const QWidget*>(button)})
                if (const QString why = refusal(w); !why.isEmpty()) return refuse(why);
            list->setCurrentIndex(index);
            return clickChecked(button);
        };
    };
    table_.add(QStringLiteral("LASer:PORT"), portCommand(f.ComboBoxTLSCOM, f.SetTLSComPort));
    table_.add(QStringLiteral("LASer:PORT?"),
               [&f](const Command&) { return Reply::text(f.ComboBoxTLSCOM->currentText().toUtf8()); });
    table_.add(QStringLiteral("MODule:PORT"), portCommand(f.ComboBoxVXMCOM, f.SetVXMComPort));
    table_.add(QStringLiteral("MODule:PORT?"),
               [&f](const Command&) { return Reply::text(f.ComboBoxVXMCOM->currentText().toUtf8()); });

    table_.add(QStringLiteral("LASer:IDN?"), [this](const Command&) {
        const Reply clicked = clickChecked(form_.ReadTLSInfo);
        if (clicked.error) return clicked;
        const SharedState& m = Module1;
        return Reply::text(fields({m.TLSInfoPN, m.TLSInfoSN, m.TLSInfoDate, m.TLSInfoFR, m.TLSInfoHR}));
    });
    table_.add(QStringLiteral("OUTPut[:STATe]"), [this](const Command& c) {
        const auto on = scpi::booleanParameter(c, 0);
        if (!on.ok()) return Reply::failure(*on.error);
        if (on.value == laserOn_) return Reply::done();
        // Pressed while the laser is off (as at start-up): released first, as the operator would.
        if (on.value && form_.TLSOnOff->isChecked()) {
            const Reply released = clickChecked(form_.TLSOnOff);
            if (released.error) return released;
        }
        return clickChecked(form_.TLSOnOff);
    });
    table_.add(QStringLiteral("OUTPut[:STATe]?"), [this](const Command&) { return Reply::text(laserOn_ ? "1" : "0"); });
    addSwitch(QStringLiteral("LASer:SWEep[:STATe]"), f.StartStopSweep);
    // The power meter's wavelength: sent to the laser by the next power reading.
    addTextBox(QStringLiteral("LASer:WAVelength"), f.Text4, {kMinWavelengthNm, kMaxWavelengthNm});
}

void RemoteCommands::addModule()
{
    Form1& f = form_;
    table_.add(QStringLiteral("MODule:CONNect"), [this](const Command&) {
        serial_.clear();
        return clickChecked(form_.SetConnection);
    });
    table_.add(QStringLiteral("MODule:IDN?"), [this](const Command&) {
        const Reply clicked = clickChecked(form_.ReadVXMInfo);
        if (clicked.error) return clicked;
        std::array<std::uint8_t, module_record::kInfoBufferBytes> record{};
        if (library_.Get_Info(Module1.ModuleHandle, record.data()) != 1) return refuse(firstLine(info_.text()));
        const module_record::ModuleRecord r = module_record::decodeRecord(record);
        serial_ = r.serialNumber.trimmed();
        return Reply::text(fields({r.partNumber, r.serialNumber, r.manufacturingDate, r.firmwareVersion,
                                   r.hardwareVersion}));
    });
    table_.add(QStringLiteral("MODule:CHANnel"), [this](const Command& c) {
        const auto channel = scpi::integerParameter(c, 0, 1, 2);
        if (!channel.ok()) return Reply::failure(*channel.error);
        if (const QString why = refusal(form_.ChannelID); !why.isEmpty()) return refuse(why);
        form_.ChannelID->setCurrentIndex(channel.value - 1);
        return Reply::done();
    });
    table_.add(QStringLiteral("MODule:CHANnel?"),
               [&f](const Command&) { return Reply::text(QByteArray::number(f.ChannelID->currentIndex() + 1)); });
}

void RemoteCommands::addTextBox(const QString& pattern, QLineEdit* box, NumberRange range)
{
    table_.add(pattern, [this, box, range](const Command& c) {
        if (const auto extra = scpi::checkParameterCount(c, 1)) return Reply::failure(*extra);
        QString text;
        if (range.integer) {
            const auto n = scpi::integerParameter(c, 0, static_cast<int>(range.min), static_cast<int>(range.max));
            if (!n.ok()) return Reply::failure(*n.error);
            text = QString::number(n.value);
        } else {
            const auto x = scpi::numberParameter(c, 0, range.min, range.max);
            if (!x.ok()) return Reply::failure(*x.error);
            text = QString::fromLatin1(number(x.value));
        }
        if (const QString why = refusal(box); !why.isEmpty()) return refuse(why);
        box->setText(text);
        return Reply::done();
    });
    table_.add(pattern + QLatin1Char('?'), [box](const Command&) { return Reply::text(number(leadingNumber(box->text()))); });
}

void RemoteCommands::addSwitch(const QString& pattern, QAbstractButton* button)
{
    table_.add(pattern, [this, button](const Command& c) {
        const auto on = scpi::booleanParameter(c, 0);
        if (!on.ok()) return Reply::failure(*on.error);
        if (button->isChecked() == on.value) return Reply::done();
        const Reply clicked = clickChecked(button);
        // A handler that refuses puts the control back: that is a refusal too.
        if (!clicked.error && button->isChecked() != on.value) return refuse(firstLine(info_.text()));
        return clicked;
    });
    table_.add(pattern + QLatin1Char('?'), [button](const Command&) { return Reply::text(button->isChecked() ? "1" : "0"); });
}

void RemoteCommands::addSettings()
{
    Form1& f = form_;
    addTextBox(QStringLiteral("SENSe:WAVelength:STARt"), f.Text1, {kMinWavelengthNm, kMaxWavelengthNm});
    addTextBox(QStringLiteral("SENSe:WAVelength:STOP"), f.Text2, {kMinWavelengthNm, kMaxWavelengthNm});
    // A scan needs at least 1 nm/s; the laser's start-sweep frame holds the speed in 16 bits.
    addTextBox(QStringLiteral("SENSe:SWEep:SPEed"), f.Text3, {1, 65535});
    addTextBox(QStringLiteral("SENSe:AVERage"), f.Text6, {1, kMaxAverages, true});
    addTextBox(QStringLiteral("SENSe:POINts"), f.Text7, {kMinBackgroundLength, kMaxDataLength, true});
    // Down from the peak: at 0 dB or above the analysis finds no channel; 100 dB lies far beyond
    // any spectrum's depth.
    addTextBox(QStringLiteral("CALCulate:LEVel"), f.Text8, {-100, std::nextafter(0.0, -1.0)});

    // POWer, TLS and IL tick their box; NONE unticks the ticked one.
    const std::array<QAbstractButton*, 3> modes{f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode};
    table_.add(QStringLiteral("MEASure:MODE"), [this, modes](const Command& c) {
        const auto choice = scpi::choiceParameter(
            c, 0, {QStringLiteral("POWer"), QStringLiteral("TLS"), QStringLiteral("IL"), QStringLiteral("NONE")});
        if (!choice.ok()) return Reply::failure(*choice.error);
        if (choice.value == 3) {
            for (QAbstractButton* box : modes)
                if (box->isChecked()) return clickChecked(box);
            return Reply::done();
        }
        QAbstractButton* box = modes[static_cast<std::size_t>(choice.value)];
        return box->isChecked() ? Reply::done() : clickChecked(box);
    });
    table_.add(QStringLiteral("MEASure:MODE?"), [modes](const Command&) {
        const char* names[] = {"POW", "TLS", "IL"};
        for (std::size_t i = 0; i < modes.size(); ++i)
            if (modes[i]->isChecked()) return Reply::text(names[i]);
        return Reply::text("NONE");
    });
    table_.add(QStringLiteral("MEASure:REFerence"), [this](const Command& c) {
        const auto choice = scpi::choiceParameter(c, 0, {QStringLiteral("BACKground"), QStringLiteral("SPECtrum")});
        if (!choice.ok()) return Reply::failure(*choice.error);
        QAbstractButton* option = choice.value == 0 ? static_cast<QAbstractButton*>(form_.TakeBackground)
                                                    : static_cast<QAbstractButton*>(form_.MeasureSpectrum);
        return option->isChecked() ? Reply::done() : clickChecked(option);
    });
    table_.add(QStringLiteral("MEASure:REFerence?"),
               [&f](const Command&) { return Reply::text(f.TakeBackground->isChecked() ? "BACK" : "SPEC"); });
    addSwitch(QStringLiteral("MEASure:BACKground:REMove"), f.CheckRemoveBKG);
    table_.add(QStringLiteral("CALCulate:PATH"), [this](const Command& c) {
        const auto choice =
            scpi::choiceParameter(c, 0, {QStringLiteral("REFLection"), QStringLiteral("TRANsmission")});
        if (!choice.ok()) return Reply::failure(*choice.error);
        return clickChecked(choice.value == 0 ? form_.Reflection : form_.Transmission);
    });
    table_.add(QStringLiteral("CALCulate:PATH?"),
               [](const Command&) { return Reply::text(Module1.ChannelSelect == 0 ? "REFL" : "TRAN"); });
}

void RemoteCommands::startOperation(std::function<QString()> action)
{
    const int issuer = dispatcher_ ? dispatcher_->currentClient() : -1;
    pending_ = true;
    updateConditions();
    // The handler returns when the measurement has ended; run from the event loop, not from here.
    QTimer::singleShot(0, this, [this, issuer, action = std::move(action)] {
        const QString failure = action();
        pending_ = false;
        updateConditions();
        if (!dispatcher_) return;
        if (!failure.isEmpty()) dispatcher_->pushError(issuer, scpi::executionError(failure));
        dispatcher_->forEachStatus([](scpi::ClientStatus& status) { status.pendingEnded(); });
        dispatcher_->wake();
    });
}

const verdict::DeviceVerdict* RemoteCommands::lastVerdict() const
{
    if (deviceVerdict_) return &*deviceVerdict_;
    return verdict_.latest() ? &*verdict_.latest() : nullptr;
}

void RemoteCommands::addMeasurement()
{
    Form1& f = form_;
    table_.add(QStringLiteral("INITiate[:IMMediate]"), [this](const Command&) {
        if (const QString why = refusal(form_.SingleMeasure); !why.isEmpty()) return refuse(why);
        startOperation([this] {
            const std::int32_t countBefore = Module1.MeasureCount;
            if (form_.SingleMeasure->isEnabled()) form_.SingleMeasure->click();
            return Module1.MeasureCount == countBefore ? firstLine(info_.text()) : QString();
        });
        return Reply::done();
    });
    table_.add(QStringLiteral("ABORt"), [this](const Command&) {
        if (!measuring()) return Reply::done();
        if (!form_.StopVXMScan->isEnabled()) return refuse(textIn("remote.disabled", 1).arg(captionOf(form_.StopVXMScan)));
        const QString failure = click(form_.StopVXMScan);
        return failure.isEmpty() ? Reply::done() : refuse(failure);
    });
    table_.add(QStringLiteral("FETCh:POWer?"), [&f](const Command&) { return Reply::text(f.Text5->text().trimmed().toUtf8()); });
    table_.add(QStringLiteral("FETCh:CHANnels?"), [this](const Command&) {
        QStringList cells;
        if (Form2* window = results_.loaded()) {
            const QTableWidget& grid = *window->MSFlexGrid1;
            // Row 0 is the heading and row 1 the units; channels follow until the first empty row.
            for (int r = 2; r < grid.rowCount(); ++r) {
                const QTableWidgetItem* first = grid.item(r, 0);
                if (!first || first->text().isEmpty()) break;
                for (int c = 0; c < grid.columnCount(); ++c)
                    cells << (grid.item(r, c) ? grid.item(r, c)->text().trimmed() : QString());
            }
        }
        return Reply::text(cells.join(QLatin1Char(',')).toUtf8());
    });
    table_.add(QStringLiteral("FETCh:TRACe?"), [this](const Command&) {
        const SharedState& m = Module1;
        const auto points = static_cast<std::size_t>(m.LastPointIndex) + 1;
        if (m.TraceKind == 0 || m.LastPointIndex < 0 || m.ScanWL.size() < points || m.ScanValue.size() < points)
            return refuse(textIn("remote.noTrace", 1));
        const std::span<const float> wl(m.ScanWL.data(), points);
        const std::span<const float> value(m.ScanValue.data(), points);
        return Reply::text(client().binaryTrace ? scpi::traceBlock(wl, value) : scpi::traceAscii(wl, value));
    });
    table_.add(QStringLiteral("FETCh:VERDict?"), [this](const Command&) {
        return lastVerdict() ? Reply::text(verdictResponse(*lastVerdict())) : refuse(textIn("remote.noVerdict", 1));
    });
    table_.add(QStringLiteral("FETCh:FIGures?"), [this](const Command&) {
        return lastVerdict() ? Reply::text(figuresResponse(*lastVerdict())) : refuse(textIn("remote.noVerdict", 1));
    });
    table_.add(QStringLiteral("FETCh:RECord?"), [this](const Command&) { return Reply::text(scpi::quotedString(lastRecord_)); });
    table_.add(QStringLiteral("FORMat[:DATA]"), [this](const Command& c) {
        const auto kind = scpi::choiceParameter(c, 0, {QStringLiteral("ASCii"), QStringLiteral("REAL")});
        if (!kind.ok()) return Reply::failure(*kind.error);
        if (kind.value == 1 && c.parameters.size() > 1 && c.parameters[1].trimmed() != QLatin1String("32"))
            return Reply::failure({scpi::IllegalParameterValue, {}});
        if (const auto extra = scpi::checkParameterCount(c, kind.value == 1 ? 2 : 1)) return Reply::failure(*extra);
        client().binaryTrace = kind.value == 1;
        return Reply::done();
    });
    table_.add(QStringLiteral("FORMat[:DATA]?"),
               [this](const Command&) { return Reply::text(client().binaryTrace ? "REAL,32" : "ASC"); });
}

void RemoteCommands::addStation()
{
    // The selector reads the recipes on offer again each time it opens; so do these.
    table_.add(QStringLiteral("RECipe:LIST?"), [this](const Command&) {
        station_.refreshRecipes();
        return Reply::text(quotedList(station_.recipeNames()));
    });
    table_.add(QStringLiteral("RECipe[:LOAD]"), [this](const Command& c) {
        if (c.parameters.isEmpty()) return Reply::failure({scpi::MissingParameter, {}});
        if (const auto extra = scpi::checkParameterCount(c, 1)) return Reply::failure(*extra);
        if (const QString why = refusal(station_.widgets().RecipeBox); !why.isEmpty()) return refuse(why);
        station_.refreshRecipes();
        const QString failure = perform([&] { return station_.chooseRecipe(c.parameters[0]); });
        return failure.isEmpty() ? Reply::done() : refuse(failure);
    });
    table_.add(QStringLiteral("RECipe?"), [this](const Command&) {
        const auto& recipe = station_.recipe();
        return Reply::text(scpi::quotedString(recipe ? recipe->name : QString()) + ',' +
                           QByteArray::number(recipe ? recipe->revision : 0));
    });

    table_.add(QStringLiteral("DEVice:ID"), [this](const Command& c) {
        if (c.parameters.isEmpty()) return Reply::failure({scpi::MissingParameter, {}});
        if (const auto extra = scpi::checkParameterCount(c, 1)) return Reply::failure(*extra);
        const QString& id = c.parameters[0];
        if (std::any_of(id.begin(), id.end(), [](QChar ch) { return ch.category() == QChar::Other_Control; }))
            return Reply::failure({scpi::IllegalParameterValue, textIn("remote.idControl", 1)});
        if (id.size() > kMaxDeviceId)
            return Reply::failure({scpi::TooMuchData, textIn("remote.idTooLong", 1).arg(kMaxDeviceId)});
        if (const QString why = refusal(form_.DeviceId); !why.isEmpty()) return refuse(why);
        station_.setDeviceId(id);
        return Reply::done();
    });
    table_.add(QStringLiteral("DEVice:ID?"),
               [this](const Command&) { return Reply::text(scpi::quotedString(form_.DeviceId->text())); });

    // Enter in the Device ID box. A device with ports is only asked for its first port: that
    // answers at once; a device without is measured, in the background as INITiate's measurement.
    table_.add(QStringLiteral("DEVice:MEASure"), [this](const Command&) {
        if (measuring()) return refuse(textIn("remote.measuring", 1));
        const auto& recipe = station_.recipe();
        if (!recipe || !recipe->ports.empty()) {
            const QString failure = perform([this] { return station_.startDevice(); });
            return failure.isEmpty() ? Reply::done() : refuse(failure);
        }
        startOperation([this] { return perform([this] { return station_.startDevice(); }); });
        return Reply::done();
    });
    table_.add(QStringLiteral("DEVice:PORT?"), [this](const Command&) {
        const std::optional<int> port = station_.promptedPort();
        if (!port || !station_.recipe()) return Reply::text("0");
        const std::vector<int>& ports = station_.recipe()->ports;
        return Reply::text(QByteArray::number(*port) + ',' + QByteArray::number(*std::max_element(ports.begin(), ports.end())));
    });
    // Enter at the port prompt.
    table_.add(QStringLiteral("DEVice:PORT:NEXT"), [this](const Command&) {
        if (measuring()) return refuse(textIn("remote.measuring", 1));
        if (!station_.promptedPort()) return refuse(textIn("remote.noPort", 1));
        startOperation([this] { return perform([this] { return station_.nextPort(); }); });
        return Reply::done();
    });
    // Escape at the port prompt; nothing when none is shown.
    table_.add(QStringLiteral("DEVice:ABORt"), [this](const Command&) {
        if (measuring()) return refuse(textIn("remote.measuring", 1));
        station_.abandon();
        return Reply::done();
    });

    // A limits file's text, as a block or a quoted string, taken as the Limits... button takes the
    // file: the mask goes, a refusal names the line and the reason.
    table_.add(QStringLiteral("LIMits[:LOAD]"), [this](const Command& c) {
        if (c.parameters.isEmpty()) return Reply::failure({scpi::MissingParameter, {}});
        if (const auto extra = scpi::checkParameterCount(c, 1)) return Reply::failure(*extra);
        if (const QString why = refusal(nullptr); !why.isEmpty()) return refuse(why);
        auto parsed = verdict::parseLimits(c.parameters[0].toUtf8());
        if (const auto* error = std::get_if<verdict::LimitsError>(&parsed))
            return refuse(textIn("verdict.refused", 1).arg(error->line).arg(verdict::limitsReason(*error)));
        verdict_.useRecipe(T("remote.limitsName"), std::get<verdict::Limits>(std::move(parsed)),
                           std::nullopt);
        return Reply::done();
    });
}
