// The status a remote client reads: status byte, event registers, *CLS, STATus:PRESet and *OPC held
// for a pending measurement; then the status commands through a command table, as a client sends them.

#include "remote/status_commands.h"
#include "remote/status_model.h"

#include <gtest/gtest.h>

#include <functional>

using scpi::ClientStatus;
using scpi::Conditions;

TEST(ScpiStatus, EachErrorClassSetsItsEventBitAfterThePowerOnOneAndAnOverflowIsADeviceError)
{
    const struct { int code; std::uint8_t bit; } cases[] = {
        {-100, scpi::CommandErrorBit}, {-199, scpi::CommandErrorBit}, {-200, scpi::ExecutionErrorBit},
        {-299, scpi::ExecutionErrorBit}, {-300, scpi::DeviceErrorBit}, {-350, scpi::DeviceErrorBit},
        {-400, scpi::QueryErrorBit}, {-499, scpi::QueryErrorBit}, {1, scpi::DeviceErrorBit},
        {0, 0}, {-99, 0}, {-500, 0}, {-800, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(scpi::eventBitOf(c.code), c.bit) << c.code;
    // A session starts as after power-on; an overflow of the queue is a device error.
    ClientStatus status;
    EXPECT_EQ(status.takeEvents(), scpi::PowerOn);
    for (int i = 0; i < scpi::ErrorQueue::kCapacity; ++i) status.pushError({scpi::SyntaxError, {}});
    EXPECT_EQ(status.takeEvents(), scpi::CommandErrorBit);
    status.pushError({scpi::UndefinedHeader, {}});
    EXPECT_EQ(status.takeEvents(), scpi::CommandErrorBit | scpi::DeviceErrorBit) << "lost to -350";
    EXPECT_EQ(status.errorCount(), scpi::ErrorQueue::kCapacity);
}

TEST(ScpiStatus, TheStatusByteSummarizesWhatIsEnabled)
{
    constexpr Conditions none{};
    constexpr Conditions measuringAndMask{scpi::Measuring, scpi::MaskFailed};
    const struct {
        const char* name;
        int error;  // queued when not 0
        std::uint8_t eventEnable, serviceEnable;
        std::uint16_t operationEnable, questionableEnable;
        Conditions risen;
        bool messageAvailable;
        std::uint8_t statusByte;
    } cases[] = {
        {"power-on, nothing enabled", 0, 0, 0, 0, 0, none, false, 0},
        {"power-on enabled", 0, scpi::PowerOn, 0, 0, 0, none, false, 32},
        {"power-on asks for service", 0, scpi::PowerOn, 32, 0, 0, none, false, 32 | 64},
        {"another event enabled", 0, scpi::OperationComplete, 255, 0, 0, none, false, 0},
        {"an error queued", -113, 0, 0, 0, 0, none, false, 4},
        {"its class enabled", -113, scpi::CommandErrorBit, 0, 0, 0, none, false, 4 | 32},
        {"the queue asks for service", -222, scpi::CommandErrorBit, 4, 0, 0, none, false, 4 | 64},
        {"measuring enabled", 0, 0, 0, scpi::Measuring, 0, measuringAndMask, false, 128},
        {"sweeping enabled only", 0, 0, 0, scpi::Sweeping, 0, measuringAndMask, false, 0},
        {"operation asks for service", 0, 0, 128, 0xFFFF, 0, measuringAndMask, false, 128 | 64},
        {"mask enabled", 0, 0, 0, 0, scpi::MaskFailed, measuringAndMask, false, 8},
        {"reference enabled only", 0, 0, 0, 0, scpi::ReferenceQuestionable, measuringAndMask, false, 0},
        {"questionable asks for service", 0, 0, 8, 0, scpi::MaskFailed, measuringAndMask, false, 8 | 64},
        {"a response waits", 0, 0, 0, 0, 0, none, true, 16},
        {"it asks for service", 0, 0, 16, 0, 0, none, true, 16 | 64},
        {"service alone is no summary", 0, 0, 64, 0, 0, none, false, 0},
    };
    for (const auto& c : cases) {
        ClientStatus status;
        if (c.error != 0) status.pushError({c.error, {}});
        status.setEventEnable(c.eventEnable);
        status.setServiceEnable(c.serviceEnable);
        status.operation().setEnable(c.operationEnable);
        status.questionable().setEnable(c.questionableEnable);
        status.latch(none, c.risen);
        status.setMessageAvailable(c.messageAvailable);
        EXPECT_EQ(status.statusByte(), c.statusByte) << c.name;
    }
}

TEST(ScpiStatus, EventsLatchOnTheRisingEdgeAndAreClearedByTheirRead)
{
    const struct { std::vector<std::uint16_t> conditions; std::uint16_t events; } cases[] = {
        {{0, scpi::Sweeping, 0}, scpi::Sweeping},                                  // kept after it fell
        {{scpi::Measuring, scpi::Measuring}, 0},                                   // on before: no edge
        {{0, scpi::Sweeping | scpi::Measuring}, scpi::Sweeping | scpi::Measuring},
        {{scpi::Sweeping, scpi::Measuring}, scpi::Measuring},                      // a fall latches nothing
        {{0, scpi::Measuring, 0, scpi::Measuring}, scpi::Measuring},
        {{0, 0x8000}, 0},                                                          // bit 15 is never used
    };
    for (const auto& c : cases) {
        ClientStatus status;
        for (std::size_t i = 1; i < c.conditions.size(); ++i) {
            status.latch({c.conditions[i - 1], 0}, {c.conditions[i], 0});
            status.latch({0, c.conditions[i - 1]}, {0, c.conditions[i]});
        }
        EXPECT_EQ(status.questionable().take(), c.events);
        EXPECT_EQ(status.operation().take(), c.events);
        EXPECT_EQ(status.operation().take(), 0);
    }
}

TEST(ScpiStatus, ClearEmptiesQueueAndEventsButKeepsEnablesAndPresetOnlyTheRegisterEnables)
{
    const auto prepared = [] {
        ClientStatus status;
        status.pushError({scpi::ExecutionError, {}});
        status.setEventEnable(0xFF);
        status.setServiceEnable(0xFF);
        status.operation().setEnable(0xFFFF);
        status.questionable().setEnable(scpi::MaskFailed);
        status.latch({}, {scpi::Measuring, scpi::MaskFailed});
        status.requestOperationComplete(true);
        return status;
    };
    ClientStatus cleared = prepared();
    cleared.clear();
    EXPECT_EQ(std::tuple(cleared.errorCount(), cleared.statusByte()), std::tuple(0, 0));
    EXPECT_EQ(cleared.eventEnable(), 0xFF);
    EXPECT_EQ(cleared.serviceEnable(), 0xFF & ~scpi::MasterSummary);
    EXPECT_EQ(cleared.operation().enable(), scpi::kRegisterBits);
    EXPECT_EQ(cleared.questionable().enable(), scpi::MaskFailed);

    ClientStatus preset = prepared();
    preset.preset();
    EXPECT_EQ(preset.operation().enable() | preset.questionable().enable(), 0);
    EXPECT_EQ(preset.eventEnable(), 0xFF);
    EXPECT_EQ(preset.statusByte(), 4 | 32 | 64) << "queue and events stay; their summaries are gone";
    EXPECT_EQ(preset.operation().take(), scpi::Measuring);
}

TEST(ScpiStatus, OperationCompleteWaitsForThePendingMeasurement)
{
    const struct { const char* name; bool pending; std::function<void(ClientStatus&)> between; std::uint8_t atEnd; } cases[] = {
        {"nothing pending: at once", false, nullptr, scpi::OperationComplete},
        {"pending: at its end", true, nullptr, scpi::OperationComplete},
        {"*RST drops it", true, [](ClientStatus& s) { s.cancelOperationComplete(); }, 0},
        {"*CLS drops it", true, [](ClientStatus& s) { s.clear(); }, 0},
    };
    for (const auto& c : cases) {
        ClientStatus status;
        status.takeEvents();
        status.requestOperationComplete(c.pending);
        if (c.pending) {
            EXPECT_EQ(status.takeEvents(), 0) << c.name;
        }
        if (c.between) c.between(status);
        status.pendingEnded();
        EXPECT_EQ(status.takeEvents(), c.atEnd) << c.name;
        status.pendingEnded();
        EXPECT_EQ(status.takeEvents(), 0) << c.name << ": once";
    }
}

namespace {

// The status commands on a bench whose conditions and pending measurement the test sets.
struct StatusTable : ::testing::Test {
    scpi::CommandTable table;
    ClientStatus status;
    Conditions conditions;
    bool pending = false;

    StatusTable() { scpi::addStatusCommands(table, {[this] { return conditions; }, [this] { return pending; }}); }
    void setConditions(Conditions now)
    {
        status.latch(conditions, now);
        conditions = now;
    }
    // The line's response, "(none)" without one, "(waits)" when it waits.
    QByteArray run(const char* line)
    {
        scpi::LineExecution execution(table, scpi::parseLine(QByteArrayView(line)));
        if (!execution.run(status)) return "(waits)";
        return execution.hasResponse() ? execution.response() : QByteArray("(none)");
    }
};

TEST_F(StatusTable, SettingsAreReadBackAndRefusedOutsideTheirRange)
{
    const struct { const char* line; const char* response; const char* error; } cases[] = {
        {"*ESE 36;*ESE?", "36", "0,\"No error\""},
        {"*ESE 256;*ESE?", "36", "-222,\"Data out of range\""},
        {"*ESE -1;*ESE?", "36", "-222,\"Data out of range\""},
        {"*ESE 1.5;*ESE?", "36", "-220,\"Parameter error\""},
        {"*ESE;*ESE?", "36", "-109,\"Missing parameter\""},
        {"*ESE 1,2;*ESE?", "36", "-108,\"Parameter not allowed\""},
        {"*SRE 255;*SRE?", "191", "0,\"No error\""},
        {"*SRE 256;*SRE?", "191", "-222,\"Data out of range\""},
        {"STAT:OPER:ENAB 24;ENAB?", "24", "0,\"No error\""},
        {"STAT:OPER:ENAB 65535;ENAB?", "32767", "0,\"No error\""},
        {"STAT:OPER:ENAB 65536;ENAB?", "32767", "-222,\"Data out of range\""},
        {"STATUS:QUESTIONABLE:ENABLE 1536;:STAT:QUES:ENAB?", "1536", "0,\"No error\""},
        {"STAT:QUES:ENAB ON;ENAB?", "1536", "-220,\"Parameter error\""},
        {"STAT:PRES;:STAT:OPER:ENAB?;:STAT:QUES:ENAB?;*ESE?;*SRE?", "0;0;36;191", "0,\"No error\""},
        {"SYST:VERS?", "1999.0", "0,\"No error\""},
        {"*ESE 0;*ESE?;:STAT:QUES:ENAB 0;ENAB?", "0;0", "0,\"No error\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.line), c.response) << c.line;
        EXPECT_EQ(status.popErrorText(), c.error) << c.line;
    }
}

TEST_F(StatusTable, AClientFollowsItsQueueEventsAndConditions)
{
    EXPECT_EQ(run("*ESR?;*ESR?"), "128;0") << "power-on, then read and cleared";
    EXPECT_EQ(run("NOPE;SENS:X 1;*ESE 255;*STB?;SYST:ERR:COUN?"), "36;2");
    EXPECT_EQ(run("*IDN?;*STB?"), "36") << "an unknown query leaves no message waiting";
    EXPECT_EQ(run("SYST:ERR:COUN?;*ESR?;*STB?"), "3;32;20") << "two responses wait";
    EXPECT_EQ(run("SYST:ERR:ALL?"), "-113,\"Undefined header\",-113,\"Undefined header\",-113,\"Undefined header\"");
    EXPECT_EQ(run("SYST:ERR:ALL?;:SYST:ERR:COUN?;*STB?"), "0,\"No error\";0;16") << "the first response waits";

    EXPECT_EQ(run("STAT:OPER:ENAB 16;:STAT:QUES:ENAB 1024;*SRE 136"), "(none)");
    setConditions({scpi::Sweeping | scpi::Measuring, scpi::MaskFailed});
    setConditions({scpi::Measuring, 0});
    EXPECT_EQ(run("*STB?;STAT:OPER:COND?;:STAT:QUES:COND?"), "200;16;0") << "8 + 128 + request service";
    EXPECT_EQ(run("STAT:OPER?;:STAT:OPER:EVEN?;:STAT:QUES:EVEN?;*STB?"), "24;0;1024;16");
    setConditions({scpi::Measuring, scpi::MaskFailed});
    EXPECT_EQ(run("*CLS;:STAT:QUES?;:SYST:ERR?;:STAT:QUES:ENAB?"), "0;0,\"No error\";1024");
}

TEST_F(StatusTable, OpcIsSetAtTheEndOfThePendingMeasurementWhileOpcQueryAndWaiWait)
{
    run("*CLS");
    pending = true;
    EXPECT_EQ(run("*OPC;*ESR?"), "0");
    EXPECT_EQ(run("*OPC?"), "(waits)");
    EXPECT_EQ(run("*WAI"), "(waits)");
    pending = false;
    status.pendingEnded();
    EXPECT_EQ(run("*ESR?;*OPC?;*WAI;*OPC;*ESR?"), "1;1;1");
}

}  // namespace
