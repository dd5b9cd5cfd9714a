#pragma once
// A device measured one output port at a time: the port to connect next, the operator's prompt,
// and the device verdict once every port is measured. Each port's trace holds one channel, judged
// with the bounds of the channel numbered as the port; the device passes only when every port
// does. An abandoned device has no verdict.

#include "verdict/device_verdict.h"

#include <QString>

#include <optional>
#include <vector>

namespace station {

// The figures of one port's trace.
struct PortTrace {
    int port = 1;
    std::vector<verdict::ChannelFigures> channels;
};

// The verdict on a device from its ports' traces. A port whose trace holds exactly one channel
// gives the channel numbered as the port, held to that number's bounds; a port whose trace holds
// none or several gives no channel, so the device falls short of the count it must show: the
// limits' `channels`, or else one per port of `portCount`. No limits: nothing is judged.
verdict::DeviceVerdict combinePorts(const std::vector<PortTrace>& traces, int portCount, const verdict::Limits* limits,
                                    verdict::Plan plan, verdict::FigureLevels levels);

class PortRun {
public:
    // `ports` in measuring order, as a recipe lists them.
    explicit PortRun(std::vector<int> ports);

    // The port to connect now; none once every port is measured or the device is abandoned.
    std::optional<int> current() const;
    // "Connect port 2 of 4": the port's number and the highest port number of the device as the
    // recipe lists it; empty when no port is to be connected.
    QString prompt() const;

    // The current port's figures; the run moves on to the next port. Ignored when no port is to be
    // connected (every port measured, or the device abandoned).
    void record(std::vector<verdict::ChannelFigures> figures);
    // The operator gave the device up (Escape): no further port, no verdict.
    void abandon();

    bool finished() const { return !abandoned_ && traces_.size() == ports_.size(); }
    bool abandoned() const { return abandoned_; }
    const std::vector<PortTrace>& traces() const { return traces_; }

    // The device verdict once finished; none before, and none for an abandoned device.
    std::optional<verdict::DeviceVerdict> verdict(const verdict::Limits* limits, verdict::Plan plan,
                                                  verdict::FigureLevels levels) const;

private:
    std::vector<int> ports_;
    std::vector<PortTrace> traces_;
    bool abandoned_ = false;
};

}  // namespace station
