#include "tools/landxml-probe/Plan.h"

#include "tools/host/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>

namespace Probe
{

namespace
{

constexpr double kDrawingSize = 640; // pixels for the longer side of the data
constexpr double kMargin = 60;       // room for labels around the data
constexpr double kBottom = 40;       // room for the scale bar

// The line codes in a point's code text: every entry after the first "; ", and the first entry
// (without its " /" attributes) when it names a line. A place mark (" p", " a", " s", " e") is
// not part of a line's name.
std::vector<std::string> LineCodesOf(const std::string& code)
{
    std::vector<std::string> entries;
    for (std::size_t start = 0;;)
    {
        const std::size_t end = code.find("; ", start);
        entries.push_back(code.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    entries.front() = entries.front().substr(0, entries.front().find(" /"));
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        std::string entry = entries[i];
        const std::size_t size = entry.size();
        const bool marked = size > 2 && entry[size - 2] == ' ' &&
                            std::string_view("pase").find(entry[size - 1]) != std::string::npos;
        if (marked)
            entry.resize(size - 2);
        // A plain point code is no line: the first entry is one only when it names a feature.
        if (i > 0 || marked || entry.find('-') != std::string::npos)
            if (!entry.empty())
                lines.push_back(entry);
    }
    return lines;
}

struct PlanPoint
{
    int file = 0;
    std::string name;
    std::string code;
    std::optional<double> northing;
    std::optional<double> easting;
    bool Placed() const { return northing && easting; }
};

// What the host was told, per file: points, stations, observed pairs and lines.
struct Received
{
    std::vector<PlanPoint> points;
    std::vector<std::pair<int, std::string>> stations;                       // (file, name)
    std::vector<std::pair<int, std::pair<std::string, std::string>>> sights; // station, target
    std::vector<std::pair<std::pair<int, std::string>, std::vector<std::string>>> lines;

    void AddLineCodes(int file, const std::string& point, const std::string& code)
    {
        for (const std::string& lineCode : LineCodesOf(code))
        {
            const std::pair<int, std::string> key{file, lineCode};
            auto line = std::find_if(lines.begin(), lines.end(),
                                     [&](const auto& entry) { return entry.first == key; });
            if (line == lines.end())
                line = lines.insert(lines.end(), {key, {}});
            if (line->second.empty() || line->second.back() != point)
                line->second.push_back(point);
        }
    }
};

std::optional<double> NumberOf(const Host::Call& call)
{
    if (!call.arguments.empty())
        if (const auto* number = std::get_if<double>(&call.arguments.front()))
            if (std::isfinite(*number))
                return *number;
    return std::nullopt;
}

Received Collect(const std::vector<Host::Call>& calls)
{
    // The host ties calls to the last point, station or target it was told about.
    enum class Context
    {
        None,
        Point,
        Station,
        Target
    };
    Received received;
    Context context = Context::None;
    int file = -1;
    std::string station;
    std::string target;
    for (const Host::Call& call : calls)
    {
        if (!call.object.empty())
            continue;
        const std::string& method = call.method;
        if (method == "BeginFile")
        {
            ++file;
            context = Context::None;
            station.clear();
        }
        else if (method == "AddPoint")
        {
            received.points.push_back({file, Host::FirstText(call), {}, {}, {}});
            context = Context::Point;
        }
        else if (method == "SetNorthing" && context == Context::Point)
            received.points.back().northing = NumberOf(call);
        else if (method == "SetEasting" && context == Context::Point)
            received.points.back().easting = NumberOf(call);
        else if (method == "SetPointCode" && context == Context::Point)
        {
            received.points.back().code = Host::FirstText(call);
            received.AddLineCodes(file, received.points.back().name, Host::FirstText(call));
        }
        else if (method == "SetPointCode" && context == Context::Target)
            received.AddLineCodes(file, target, Host::FirstText(call));
        else if (method == "SetStation")
        {
            station = Host::FirstText(call);
            received.stations.push_back({file, station});
            context = Context::Station;
        }
        else if (method == "SetTargetPoint")
        {
            target = Host::FirstText(call);
            if (!station.empty())
                received.sights.push_back({file, {station, target}});
            context = Context::Target;
        }
    }
    return received;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text)
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    return out;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The longest length of 1, 2 or 5 times a power of ten that is at most limit.
double RoundLength(double limit)
{
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (const double step : {5.0, 2.0})
        if (step * power <= limit)
            return step * power;
    return power;
}

std::string LengthText(double length)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", length);
    return text;
}

} // namespace

void WritePlan(std::ostream& out, const std::vector<Host::Call>& calls, const std::string& unit)
{
    const Received received = Collect(calls);
    // The last point a file gave under a name is where the host has it.
    std::map<std::pair<int, std::string>, const PlanPoint*> placed;
    double minE = 0, maxE = 0, minN = 0, maxN = 0;
    for (const PlanPoint& point : received.points)
    {
        if (!point.Placed())
            continue;
        if (placed.empty())
        {
            minE = maxE = *point.easting;
            minN = maxN = *point.northing;
        }
        minE = std::min(minE, *point.easting);
        maxE = std::max(maxE, *point.easting);
        minN = std::min(minN, *point.northing);
        maxN = std::max(maxN, *point.northing);
        placed[{point.file, point.name}] = &point;
    }
    // One scale for both axes, set by the longer side; a single point gets ten units around it.
    double span = std::max(maxE - minE, maxN - minN);
    if (!(span > 0))
        span = 10;
    const double scale = kDrawingSize / span;
    const double width = std::max((maxE - minE) * scale, 240.0) + 2 * kMargin;
    const double height = (maxN - minN) * scale + 2 * kMargin + kBottom;
    const double left = (width - (maxE - minE) * scale) / 2;
    // Northing grows up the page, easting to the right.
    const auto x = [&](const PlanPoint& p) { return left + (*p.easting - minE) * scale; };
    const auto y = [&](const PlanPoint& p) { return kMargin + (maxN - *p.northing) * scale; };
    const auto find = [&](int file, const std::string& name) -> const PlanPoint*
    {
        const auto found = placed.find({file, name});
        return found == placed.end() ? nullptr : found->second;
    };

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Number(width) << "\" height=\""
        << Number(height) << "\" viewBox=\"0 0 " << Number(width) << " " << Number(height)
        << "\">\n"
        << "<title>Plan of the imported points</title>\n"
        << "<style>\n"
        << "text { font: 12px sans-serif; fill: #222; }\n"
        << ".point circle { fill: #222; }\n"
        << ".station path { fill: none; stroke: #c0392b; stroke-width: 1.5; }\n"
        << ".observation { stroke: #2e86c1; stroke-width: 1; stroke-dasharray: 4 3; }\n"
        << ".line { fill: none; stroke: #a0522d; stroke-width: 2; }\n"
        << ".bar { stroke: #222; stroke-width: 2; }\n"
        << "</style>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";

    for (const auto& [key, names] : received.lines)
    {
        std::string coordinates;
        int count = 0;
        for (const std::string& name : names)
            if (const PlanPoint* point = find(key.first, name))
            {
                coordinates +=
                    (count++ == 0 ? "" : " ") + Number(x(*point)) + "," + Number(y(*point));
            }
        if (count >= 2)
            out << "<polyline class=\"line\" points=\"" << coordinates << "\"><title>"
                << Escaped(key.second) << "</title></polyline>\n";
    }
    std::vector<std::pair<int, std::pair<std::string, std::string>>> drawn;
    for (const auto& sight : received.sights)
    {
        const PlanPoint* from = find(sight.first, sight.second.first);
        const PlanPoint* to = find(sight.first, sight.second.second);
        if (from == nullptr || to == nullptr || from == to ||
            std::find(drawn.begin(), drawn.end(), sight) != drawn.end())
            continue;
        drawn.push_back(sight);
        out << "<line class=\"observation\" x1=\"" << Number(x(*from)) << "\" y1=\""
            << Number(y(*from)) << "\" x2=\"" << Number(x(*to)) << "\" y2=\"" << Number(y(*to))
            << "\"><title>" << Escaped(sight.second.first) << " to " << Escaped(sight.second.second)
            << "</title></line>\n";
    }
    std::vector<const PlanPoint*> stations;
    for (const auto& [file, name] : received.stations)
        if (const PlanPoint* point = find(file, name))
            if (std::find(stations.begin(), stations.end(), point) == stations.end())
                stations.push_back(point);
    for (const PlanPoint* station : stations)
        out << "<g class=\"station\"><title>station " << Escaped(station->name)
            << "</title><path d=\"M" << Number(x(*station)) << "," << Number(y(*station) - 9)
            << " l8,14 h-16 z\"/></g>\n";
    for (const PlanPoint& point : received.points)
    {
        if (!point.Placed())
            continue;
        out << "<g class=\"point\">";
        if (!point.code.empty())
            out << "<title>" << Escaped(point.code) << "</title>";
        out << "<circle cx=\"" << Number(x(point)) << "\" cy=\"" << Number(y(point))
            << "\" r=\"2.5\"/><text x=\"" << Number(x(point) + 6) << "\" y=\""
            << Number(y(point) - 5) << "\">" << Escaped(point.name) << "</text></g>\n";
    }

    // Scale bar bottom left, about a quarter of the data's extent; north arrow bottom right.
    const double length = RoundLength(span / 4);
    const double barY = height - kBottom / 2;
    out << "<line class=\"bar\" x1=\"" << Number(kMargin) << "\" y1=\"" << Number(barY)
        << "\" x2=\"" << Number(kMargin + length * scale) << "\" y2=\"" << Number(barY) << "\"/>\n"
        << "<text x=\"" << Number(kMargin + length * scale + 8) << "\" y=\"" << Number(barY + 4)
        << "\">" << LengthText(length) << (unit.empty() ? "" : " ") << Escaped(unit) << "</text>\n"
        << "<g transform=\"translate(" << Number(width - kMargin / 2) << "," << Number(barY - 12)
        << ")\"><path d=\"M0,0 l6,18 l-6,-5 l-6,5 z\" fill=\"#222\"/>"
        << "<text x=\"-20\" y=\"16\">N</text></g>\n"
        << "</svg>\n";
}

} // namespace Probe
