#include "remote/status_commands.h"

namespace scpi {

namespace {

Reply number(int value) { return Reply::text(QByteArray::number(value)); }

// A setting of one whole number in [0, max], given to `apply`.
Handler maskSetting(int max, std::function<void(ClientStatus&, int)> apply)
{
    return [max, apply = std::move(apply)](const Command& c, ClientStatus& status) {
        if (const auto extra = checkParameterCount(c, 1)) return Reply::failure(*extra);
        const auto mask = integerParameter(c, 0, 0, max);
        if (!mask.ok()) return Reply::failure(*mask.error);
        apply(status, mask.value);
        return Reply::done();
    };
}

void addRegister(CommandTable& table, const StatusSource& source, const QString& node,
                 EventRegister& (ClientStatus::*reg)(), std::uint16_t Conditions::*condition)
{
    table.add(node + QStringLiteral("[:EVENt]?"), [source, reg](const Command&, ClientStatus& status) {
        source.conditions();
        return number((status.*reg)().take());
    });
    table.add(node + QStringLiteral(":CONDition?"),
              [source, condition](const Command&) { return number(source.conditions().*condition); });
    // Bit 15 is never used: a client may write it (65535 for all) and reads it back as 0.
    table.add(node + QStringLiteral(":ENABle"), maskSetting(0xFFFF, [reg](ClientStatus& status, int mask) {
                  (status.*reg)().setEnable(static_cast<std::uint16_t>(mask));
              }));
    table.add(node + QStringLiteral(":ENABle?"),
              [reg](const Command&, ClientStatus& status) { return number((status.*reg)().enable()); });
}

void addCommon(CommandTable& table, const StatusSource& source)
{
    table.add(QStringLiteral("*CLS"), [](const Command&, ClientStatus& status) {
        status.clear();
        return Reply::done();
    });
    table.add(QStringLiteral("*ESE"), maskSetting(0xFF, [](ClientStatus& status, int mask) {
                  status.setEventEnable(static_cast<std::uint8_t>(mask));
              }));
    table.add(QStringLiteral("*ESE?"), [](const Command&, ClientStatus& status) { return number(status.eventEnable()); });
    table.add(QStringLiteral("*ESR?"), [](const Command&, ClientStatus& status) { return number(status.takeEvents()); });
    table.add(QStringLiteral("*SRE"), maskSetting(0xFF, [](ClientStatus& status, int mask) {
                  status.setServiceEnable(static_cast<std::uint8_t>(mask));
              }));
    table.add(QStringLiteral("*SRE?"), [](const Command&, ClientStatus& status) { return number(status.serviceEnable()); });
    table.add(QStringLiteral("*STB?"), [source](const Command&, ClientStatus& status) {
        source.conditions();
        return number(status.statusByte());
    });
    table.add(QStringLiteral("*OPC"), [source](const Command&, ClientStatus& status) {
        status.requestOperationComplete(source.pending());
        return Reply::done();
    });
    table.add(QStringLiteral("*OPC?"), [source](const Command&) {
        return source.pending() ? Reply::later() : Reply::text("1");
    });
    table.add(QStringLiteral("*WAI"), [source](const Command&) {
        return source.pending() ? Reply::later() : Reply::done();
    });
}

}  // namespace

void addStatusCommands(CommandTable& table, const StatusSource& source)
{
    addCommon(table, source);
    table.add(QStringLiteral("SYSTem:ERRor[:NEXT]?"),
              [](const Command&, ClientStatus& status) { return Reply::text(status.popErrorText()); });
    table.add(QStringLiteral("SYSTem:ERRor:COUNt?"),
              [](const Command&, ClientStatus& status) { return number(status.errorCount()); });
    table.add(QStringLiteral("SYSTem:ERRor:ALL?"),
              [](const Command&, ClientStatus& status) { return Reply::text(status.popAllErrorsText()); });
    table.add(QStringLiteral("SYSTem:VERSion?"), [](const Command&) { return Reply::text(kScpiVersion); });
    addRegister(table, source, QStringLiteral("STATus:OPERation"), &ClientStatus::operation, &Conditions::operation);
    addRegister(table, source, QStringLiteral("STATus:QUEStionable"), &ClientStatus::questionable,
                &Conditions::questionable);
    table.add(QStringLiteral("STATus:PRESet"), [](const Command&, ClientStatus& status) {
        status.preset();
        return Reply::done();
    });
}

}  // namespace scpi
