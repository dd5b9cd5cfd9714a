#include "station/port_sequence.h"

#include "core/texts.h"

#include <algorithm>

namespace station {

verdict::DeviceVerdict combinePorts(const std::vector<PortTrace>& traces, int portCount, const verdict::Limits* limits,
                                    verdict::Plan plan, verdict::FigureLevels levels)
{
    verdict::DeviceVerdict d;
    d.plan = plan;
    d.levels = levels;
    for (const PortTrace& t : traces)
        if (t.channels.size() == 1)
            d.channels.push_back({t.port, t.channels.front(), verdict::Outcome::NotJudged, {}, {}, {}});
    if (limits) verdict::judgeChannels(d, *limits, limits->channelCount.value_or(portCount));
    return d;
}

PortRun::PortRun(std::vector<int> ports) : ports_(std::move(ports)) {}

std::optional<int> PortRun::current() const
{
    if (abandoned_ || traces_.size() >= ports_.size()) return std::nullopt;
    return ports_[traces_.size()];
}

QString PortRun::prompt() const
{
    const std::optional<int> port = current();
    if (!port) return {};
    return T("station.connectPort").arg(*port).arg(*std::max_element(ports_.begin(), ports_.end()));
}

void PortRun::record(std::vector<verdict::ChannelFigures> figures)
{
    if (const std::optional<int> port = current()) traces_.push_back({*port, std::move(figures)});
}

void PortRun::abandon() { abandoned_ = true; }

std::optional<verdict::DeviceVerdict> PortRun::verdict(const verdict::Limits* limits, verdict::Plan plan,
                                                       verdict::FigureLevels levels) const
{
    if (!finished()) return std::nullopt;
    return combinePorts(traces_, static_cast<int>(ports_.size()), limits, plan, levels);
}

}  // namespace station
