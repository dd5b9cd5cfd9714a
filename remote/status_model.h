#pragma once
// The status a remote client reads: the IEEE 488.2 status byte and standard event status register,
// and the SCPI OPERation and QUEStionable registers. The conditions are the bench's, one set for
// all clients; everything else is each client's own: its error queue, its event registers and the
// enable masks it wrote. An event bit latches when its condition bit rises (the standard's
// transition filter defaults, fixed here) and stays until read or cleared.

#include "remote/error_queue.h"

#include <QByteArray>

#include <cstdint>

namespace scpi {

// The standard event status register (*ESR?), IEEE 488.2 placement.
enum EventStatusBit : std::uint8_t {
    OperationComplete = 1 << 0,
    QueryErrorBit = 1 << 2,
    DeviceErrorBit = 1 << 3,
    ExecutionErrorBit = 1 << 4,
    CommandErrorBit = 1 << 5,
    PowerOn = 1 << 7,
};

// The status byte (*STB?).
enum StatusByteBit : std::uint8_t {
    ErrorQueueNotEmpty = 1 << 2,
    QuestionableSummary = 1 << 3,
    MessageAvailable = 1 << 4,
    EventSummary = 1 << 5,
    MasterSummary = 1 << 6,  // request service
    OperationSummary = 1 << 7,
};

// OPERation condition bits, where the standard puts them.
enum OperationBit : std::uint16_t {
    Sweeping = 1 << 3,
    Measuring = 1 << 4,
};

// QUEStionable condition bits, from those the standard leaves to the instrument (9 to 12).
enum QuestionableBit : std::uint16_t {
    ReferenceQuestionable = 1 << 9,  // the reference is stale or does not match the settings
    MaskFailed = 1 << 10,            // the spectrum failed its mask
};

// Bit 15 of an OPERation or QUEStionable register is never used.
inline constexpr std::uint16_t kRegisterBits = 0x7FFF;

// The ESR bit an error sets by its class: -1xx command, -2xx execution, -3xx and positive codes
// device-dependent, -4xx query; 0 for none.
std::uint8_t eventBitOf(int code);

struct Conditions {
    std::uint16_t operation = 0;
    std::uint16_t questionable = 0;
    friend bool operator==(const Conditions&, const Conditions&) = default;
};

// One OPERation or QUEStionable register of a client: its latched events and its enable mask.
class EventRegister {
public:
    void latch(std::uint16_t before, std::uint16_t after) { event_ |= after & ~before & kRegisterBits; }
    std::uint16_t take();  // [:EVENt]? reads and clears
    std::uint16_t enable() const { return enable_; }
    void setEnable(std::uint16_t mask) { enable_ = mask & kRegisterBits; }
    bool summary() const { return (event_ & enable_) != 0; }
    void clearEvents() { event_ = 0; }

private:
    std::uint16_t event_ = 0;
    std::uint16_t enable_ = 0;
};

class ClientStatus {
public:
    // Queues the error and sets its class's bit in the event status register; an error that
    // overflows the queue sets the device-dependent bit as well.
    void pushError(const Error& error);
    QByteArray popErrorText();      // SYSTem:ERRor?
    QByteArray popAllErrorsText();  // SYSTem:ERRor:ALL?: every entry, comma-separated, then empty
    int errorCount() const { return errors_.size(); }

    std::uint8_t takeEvents();  // *ESR? reads and clears
    std::uint8_t eventEnable() const { return eventEnable_; }
    void setEventEnable(std::uint8_t mask) { eventEnable_ = mask; }
    std::uint8_t serviceEnable() const { return serviceEnable_; }
    void setServiceEnable(std::uint8_t mask);  // bit 6 is ignored

    // Responses of the running line wait to be sent.
    void setMessageAvailable(bool available) { messageAvailable_ = available; }
    std::uint8_t statusByte() const;

    // *OPC: operation complete at once when nothing is pending, else when pendingEnded() comes.
    void requestOperationComplete(bool pending);
    void pendingEnded();
    void cancelOperationComplete() { completeArmed_ = false; }  // *RST

    // The bench's conditions changed: the bits that rose latch in both event registers.
    void latch(const Conditions& before, const Conditions& after);
    EventRegister& operation() { return operation_; }
    EventRegister& questionable() { return questionable_; }

    void clear();   // *CLS: the queue and every event, not the enables
    void preset();  // STATus:PRESet: the OPERation and QUEStionable enables to 0

private:
    ErrorQueue errors_;
    std::uint8_t events_ = PowerOn;  // a new client's session starts as after power-on
    std::uint8_t eventEnable_ = 0;
    std::uint8_t serviceEnable_ = 0;
    bool messageAvailable_ = false;
    bool completeArmed_ = false;
    EventRegister operation_;
    EventRegister questionable_;
};

}  // namespace scpi
