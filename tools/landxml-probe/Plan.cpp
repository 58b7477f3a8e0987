#include "tools/landxml-probe/Plan.h"

#include "tools/host/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

namespace Probe
{

namespace
{

constexpr double kDrawingSize = 640;     // pixels for the longer side of the data, at least
constexpr double kLargestDrawing = 4096; // and at most, however dense the data
constexpr double kSpacing = 8;           // pixels wanted between neighbouring points
constexpr double kMargin = 60;           // room for labels around the data
constexpr double kBottom = 40;           // room for the scale bar
constexpr double kLegendRow = 18;        // one row of the legend below it

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
            received.points.back().northing = Host::FirstNumber(call);
        else if (method == "SetEasting" && context == Context::Point)
            received.points.back().easting = Host::FirstNumber(call);
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

// The distance from a point to its nearest neighbour that most points of the data have (the
// median), in the data's unit; 0 for fewer than two positions. Measured for at most about a
// thousand points, each compared with a bounded number of neighbours in easting order: a
// figure for sizing, cheap on any job.
double TypicalSpacing(std::vector<std::pair<double, double>> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.size() < 2)
        return 0;
    constexpr std::size_t kSamples = 1000;
    constexpr std::size_t kNeighbours = 2000;
    const std::size_t step = std::max<std::size_t>(1, positions.size() / kSamples);
    std::vector<double> nearest;
    for (std::size_t i = 0; i < positions.size(); i += step)
    {
        double best = std::numeric_limits<double>::infinity();
        const auto look = [&](std::size_t j)
        {
            const double east = positions[j].first - positions[i].first;
            const double north = positions[j].second - positions[i].second;
            best = std::min(best, std::hypot(east, north));
            return std::fabs(east) < best;
        };
        for (std::size_t j = i + 1, n = 0; j < positions.size() && n < kNeighbours; ++j, ++n)
            if (!look(j))
                break;
        for (std::size_t j = i, n = 0; j-- > 0 && n < kNeighbours; ++n)
            if (!look(j))
                break;
        nearest.push_back(best);
    }
    std::nth_element(nearest.begin(), nearest.begin() + nearest.size() / 2, nearest.end());
    return nearest[nearest.size() / 2];
}

// The width a label takes, in ems, on the generous side of common sans-serif faces: every
// label that is drawn must keep clear of the others whatever the viewer's font.
double TextWidth(const std::string& text)
{
    double width = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80)
            continue; // inside a character of several bytes
        if (c >= 0x80)
            width += 1.1;
        else if (std::string_view("MWmw@%#&+<=>~").find(static_cast<char>(c)) != std::string::npos)
            width += 1.0;
        else if (c >= 'A' && c <= 'Z')
            width += 0.8;
        else
            width += 0.65;
    }
    return width;
}

struct Box
{
    double left, top, right, bottom;
    bool Meets(const Box& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// The labels placed so far, found by the cells of a grid they cover.
class LabelSpace
{
public:
    explicit LabelSpace(double cellSize) : cell(cellSize) {}

    bool Free(const Box& box) const
    {
        bool free = true;
        Visit(box,
              [&](long long key)
              {
                  const auto found = cells.find(key);
                  if (found != cells.end())
                      for (const std::size_t index : found->second)
                          free = free && !boxes[index].Meets(box);
              });
        return free;
    }

    void Take(const Box& box)
    {
        boxes.push_back(box);
        Visit(box, [&](long long key) { cells[key].push_back(boxes.size() - 1); });
    }

private:
    template <typename Action> void Visit(const Box& box, Action action) const
    {
        const auto first = [&](double at) { return static_cast<long long>(std::floor(at / cell)); };
        for (long long row = first(box.top); row <= first(box.bottom); ++row)
            for (long long column = first(box.left); column <= first(box.right); ++column)
                action(row * 1000003 + column);
    }

    double cell;
    std::vector<Box> boxes;
    std::unordered_map<long long, std::vector<std::size_t>> cells;
};

struct Label
{
    double x = 0;
    double y = 0; // the baseline
};

} // namespace

void WritePlan(std::ostream& out, const std::vector<Host::Call>& calls, const std::string& unit,
               const std::vector<PlanMarks>& marks)
{
    const Received received = Collect(calls);
    // The last point a file gave under a name is where the host has it; a name given twice
    // is drawn at each of its positions.
    std::map<std::pair<int, std::string>, const PlanPoint*> placed;
    std::map<std::pair<int, std::string>, std::vector<const PlanPoint*>> positions;
    std::vector<std::pair<double, double>> spread;
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
        positions[{point.file, point.name}].push_back(&point);
        spread.emplace_back(*point.easting, *point.northing);
    }
    // One scale for both axes, set by the longer side; a single point gets ten units around it.
    // Dense data gets a larger drawing, up to a limit, so that neighbours stand apart.
    double span = std::max(maxE - minE, maxN - minN);
    if (!(span > 0))
        span = 10;
    const double spacing = TypicalSpacing(std::move(spread));
    const double drawing =
        spacing > 0 ? std::clamp(kSpacing * span / spacing, kDrawingSize, kLargestDrawing)
                    : kDrawingSize;
    const double scale = drawing / span;
    // Markers and text as large as the spacing of neighbours allows.
    const double spacingPixels = spacing > 0 ? spacing * scale : drawing;
    const double radius = std::clamp(spacingPixels / 4, 0.5, 2.5);
    const double fontSize = std::clamp(spacingPixels * 0.9, 3.0, 12.0);

    // The legend: what the checks marked, one row each.
    std::vector<std::string> withoutPosition;
    bool disagreements = false;
    bool twice = false;
    for (const PlanMarks& file : marks)
    {
        for (const std::string& station : file.stationsWithoutPosition)
            if (std::find(withoutPosition.begin(), withoutPosition.end(), station) ==
                withoutPosition.end())
                withoutPosition.push_back(station);
        disagreements = disagreements || !file.disagreeingSights.empty();
        twice = twice || !file.twoPositions.empty();
    }
    const int legendRows = disagreements + twice + !withoutPosition.empty();

    const double width = std::max((maxE - minE) * scale, 240.0) + 2 * kMargin;
    const double height = (maxN - minN) * scale + 2 * kMargin + kBottom + legendRows * kLegendRow;
    const double left = (width - (maxE - minE) * scale) / 2;
    // Northing grows up the page, easting to the right.
    const auto x = [&](const PlanPoint& p) { return left + (*p.easting - minE) * scale; };
    const auto y = [&](const PlanPoint& p) { return kMargin + (maxN - *p.northing) * scale; };
    const auto find = [&](int file, const std::string& name) -> const PlanPoint*
    {
        const auto found = placed.find({file, name});
        return found == placed.end() ? nullptr : found->second;
    };

    // Labels: stations and the points a check names first, then the others in the order the
    // host received them; each where it overlaps no label placed before, or not at all.
    std::set<std::pair<int, std::string>> first;
    for (const auto& [file, name] : received.stations)
        first.insert({file, name});
    for (std::size_t file = 0; file < marks.size(); ++file)
        for (const std::string& name : marks[file].named)
            first.insert({static_cast<int>(file), name});
    std::vector<std::optional<Label>> labels(received.points.size());
    LabelSpace space(4 * fontSize);
    const auto place = [&](std::size_t index)
    {
        const PlanPoint& point = received.points[index];
        const double textWidth = TextWidth(point.name) * fontSize;
        const double px = x(point);
        const double py = y(point);
        const double beside = 2.4 * radius;
        const double above = py - 2 * radius;
        const double below = py + 2 * radius + 0.8 * fontSize;
        const Label candidates[] = {{px + beside, above},
                                    {px + beside, below},
                                    {px - beside - textWidth, above},
                                    {px - beside - textWidth, below}};
        for (const Label& candidate : candidates)
        {
            const Box box{candidate.x, candidate.y - fontSize, candidate.x + textWidth,
                          candidate.y + 0.3 * fontSize};
            if (space.Free(box))
            {
                space.Take(box);
                labels[index] = candidate;
                return;
            }
        }
    };
    for (const bool early : {true, false})
        for (std::size_t i = 0; i < received.points.size(); ++i)
        {
            const PlanPoint& point = received.points[i];
            if (point.Placed() && first.count({point.file, point.name}) == (early ? 1u : 0u))
                place(i);
        }

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Number(width) << "\" height=\""
        << Number(height) << "\" viewBox=\"0 0 " << Number(width) << " " << Number(height)
        << "\">\n"
        << "<title>Plan of the imported points</title>\n"
        << "<style>\n"
        << "text { font: 12px sans-serif; fill: #222; }\n"
        << ".point text { font-size: " << Number(fontSize) << "px; }\n"
        << ".point circle { fill: #222; }\n"
        << ".station path { fill: none; stroke: #c0392b; stroke-width: 1.5; }\n"
        << ".observation { stroke: #2e86c1; stroke-width: 1; stroke-dasharray: 4 3; }\n"
        << ".disagreement { stroke: #d35400; stroke-width: 2; }\n"
        << ".two-positions { stroke: #c0392b; stroke-width: 2; stroke-dasharray: 2 2; }\n"
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
    std::set<std::pair<int, std::pair<std::string, std::string>>> drawn;
    std::set<std::pair<int, std::pair<std::string, std::string>>> disagreeing;
    for (std::size_t file = 0; file < marks.size(); ++file)
        for (const auto& sight : marks[file].disagreeingSights)
            disagreeing.insert({static_cast<int>(file), sight});
    for (const auto& sight : received.sights)
    {
        const PlanPoint* from = find(sight.first, sight.second.first);
        const PlanPoint* to = find(sight.first, sight.second.second);
        if (from == nullptr || to == nullptr || from == to || !drawn.insert(sight).second)
            continue;
        const bool disagrees = disagreeing.count(sight) != 0;
        out << "<line class=\"" << (disagrees ? "disagreement" : "observation") << "\" x1=\""
            << Number(x(*from)) << "\" y1=\"" << Number(y(*from)) << "\" x2=\"" << Number(x(*to))
            << "\" y2=\"" << Number(y(*to)) << "\"><title>" << Escaped(sight.second.first) << " to "
            << Escaped(sight.second.second) << (disagrees ? ": the two faces disagree" : "")
            << "</title></line>\n";
    }
    for (std::size_t file = 0; file < marks.size(); ++file)
        for (const std::string& name : marks[file].twoPositions)
        {
            const auto found = positions.find({static_cast<int>(file), name});
            if (found == positions.end())
                continue;
            for (std::size_t i = 1; i < found->second.size(); ++i)
            {
                const PlanPoint& from = *found->second[i - 1];
                const PlanPoint& to = *found->second[i];
                out << "<line class=\"two-positions\" x1=\"" << Number(x(from)) << "\" y1=\""
                    << Number(y(from)) << "\" x2=\"" << Number(x(to)) << "\" y2=\"" << Number(y(to))
                    << "\"><title>" << Escaped(name) << " at two positions</title></line>\n";
            }
        }
    std::vector<const PlanPoint*> stations;
    for (const auto& [file, name] : received.stations)
        if (const PlanPoint* point = find(file, name))
            if (std::find(stations.begin(), stations.end(), point) == stations.end())
                stations.push_back(point);
    const double triangle = radius / 2.5; // the triangle's size beside a point's marker
    for (const PlanPoint* station : stations)
        out << "<g class=\"station\"><title>station " << Escaped(station->name)
            << "</title><path d=\"M" << Number(x(*station)) << ","
            << Number(y(*station) - 9 * triangle) << " l" << Number(8 * triangle) << ","
            << Number(14 * triangle) << " h" << Number(-16 * triangle) << " z\"/></g>\n";
    for (std::size_t i = 0; i < received.points.size(); ++i)
    {
        const PlanPoint& point = received.points[i];
        if (!point.Placed())
            continue;
        out << "<g class=\"point\"><title>" << Escaped(point.name)
            << (point.code.empty() ? "" : ": ") << Escaped(point.code) << "</title><circle cx=\""
            << Number(x(point)) << "\" cy=\"" << Number(y(point)) << "\" r=\"" << Number(radius)
            << "\"/>";
        if (labels[i])
            out << "<text x=\"" << Number(labels[i]->x) << "\" y=\"" << Number(labels[i]->y)
                << "\">" << Escaped(point.name) << "</text>";
        out << "</g>\n";
    }

    // Scale bar bottom left, about a quarter of the data's extent; north arrow bottom right;
    // the legend below them.
    const double length = RoundLength(span / 4);
    const double barY = height - legendRows * kLegendRow - kBottom / 2;
    out << "<line class=\"bar\" x1=\"" << Number(kMargin) << "\" y1=\"" << Number(barY)
        << "\" x2=\"" << Number(kMargin + length * scale) << "\" y2=\"" << Number(barY) << "\"/>\n"
        << "<text x=\"" << Number(kMargin + length * scale + 8) << "\" y=\"" << Number(barY + 4)
        << "\">" << LengthText(length) << (unit.empty() ? "" : " ") << Escaped(unit) << "</text>\n"
        << "<g transform=\"translate(" << Number(width - kMargin / 2) << "," << Number(barY - 12)
        << ")\"><path d=\"M0,0 l6,18 l-6,-5 l-6,5 z\" fill=\"#222\"/>"
        << "<text x=\"-20\" y=\"16\">N</text></g>\n";
    double rowY = height - legendRows * kLegendRow;
    const auto legendLine = [&](const char* style, const char* text)
    {
        out << "<g class=\"legend\"><line x1=\"" << Number(kMargin) << "\" y1=\""
            << Number(rowY - 4) << "\" x2=\"" << Number(kMargin + 24) << "\" y2=\""
            << Number(rowY - 4) << "\" style=\"" << style << "\"/><text x=\""
            << Number(kMargin + 32) << "\" y=\"" << Number(rowY) << "\">" << text
            << "</text></g>\n";
        rowY += kLegendRow;
    };
    if (disagreements)
        legendLine("stroke: #d35400; stroke-width: 2", "sight of a face pair that disagrees");
    if (twice)
        legendLine("stroke: #c0392b; stroke-width: 2; stroke-dasharray: 2 2",
                   "one point name at two positions");
    if (!withoutPosition.empty())
    {
        std::string names;
        for (const std::string& name : withoutPosition)
            names += (names.empty() ? "" : ", ") + name;
        out << "<g class=\"legend\"><text x=\"" << Number(kMargin) << "\" y=\"" << Number(rowY)
            << "\">" << (withoutPosition.size() == 1 ? "station" : "stations")
            << " without a position: " << Escaped(names) << "</text></g>\n";
    }
    out << "</svg>\n";
}

} // namespace Probe
