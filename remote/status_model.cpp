#include "remote/status_model.h"

namespace scpi {

std::uint8_t eventBitOf(int code)
{
    if (code > 0) return DeviceErrorBit;
    switch (-code / 100) {
    case 1: return CommandErrorBit;
    case 2: return ExecutionErrorBit;
    case 3: return DeviceErrorBit;
    case 4: return QueryErrorBit;
    default: return 0;
    }
}

std::uint16_t EventRegister::take()
{
    const std::uint16_t events = event_;
    event_ = 0;
    return events;
}

void ClientStatus::pushError(const Error& error)
{
    if (errors_.size() == ErrorQueue::kCapacity) events_ |= DeviceErrorBit;  // -350 takes its place
    events_ |= eventBitOf(error.code);
    errors_.push(error);
}

QByteArray ClientStatus::popErrorText() { return errors_.popText(); }

QByteArray ClientStatus::popAllErrorsText()
{
    QByteArray all = errors_.popText();
    while (errors_.size() > 0) all += ',' + errors_.popText();
    return all;
}

std::uint8_t ClientStatus::takeEvents()
{
    const std::uint8_t events = events_;
    events_ = 0;
    return events;
}

void ClientStatus::setServiceEnable(std::uint8_t mask) { serviceEnable_ = mask & ~MasterSummary; }

std::uint8_t ClientStatus::statusByte() const
{
    std::uint8_t status = 0;
    if (errors_.size() > 0) status |= ErrorQueueNotEmpty;
    if (questionable_.summary()) status |= QuestionableSummary;
    if (messageAvailable_) status |= MessageAvailable;
    if ((events_ & eventEnable_) != 0) status |= EventSummary;
    if (operation_.summary()) status |= OperationSummary;
    if ((status & serviceEnable_) != 0) status |= MasterSummary;
    return status;
}

void ClientStatus::requestOperationComplete(bool pending)
{
    if (pending) completeArmed_ = true;
    else events_ |= OperationComplete;
}

void ClientStatus::pendingEnded()
{
    if (completeArmed_) events_ |= OperationComplete;
    completeArmed_ = false;
}

void ClientStatus::latch(const Conditions& before, const Conditions& after)
{
    operation_.latch(before.operation, after.operation);
    questionable_.latch(before.questionable, after.questionable);
}

void ClientStatus::clear()
{
    errors_.clear();
    events_ = 0;
    completeArmed_ = false;
    operation_.clearEvents();
    questionable_.clearEvents();
}

void ClientStatus::preset()
{
    operation_.setEnable(0);
    questionable_.setEnable(0);
}

}  // namespace scpi
