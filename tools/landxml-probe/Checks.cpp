#include "tools/landxml-probe/Checks.h"

#include "tools/host/Host.h"
#include "tools/host/Text.h"
#include "tools/landxml-probe/Paths.h"
#include "tools/landxml-probe/Units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <utility>

namespace Probe
{

namespace
{

constexpr std::size_t kExamplesShown = 5;

// What the host was told, call by call: the host ties calls to the last point, station or
// target it was told about.
struct ReceivedPoint
{
    std::string name;
    std::optional<double> northing;
    std::optional<double> easting;
    std::optional<double> elevation;
    bool Placed() const { return northing && easting; }
};

struct ReceivedObservation
{
    std::string target;
    std::optional<std::string> station; // none before the file's first SetStation
    int face = -1;
    std::optional<double> horizontal;
    std::optional<double> zenith;
    bool distance = false;
    std::optional<std::string> timeSent;
    int distanceParses = 0;
    int angleParses = 0;
};

// A text a parser rejected, with the point or observation the host was told of last and, in
// an observation, how many texts that parser had been handed for it (this one included).
struct Rejection
{
    std::string parser;
    std::string text;
    int point = -1;
    int observation = -1;
    int ordinal = 0;
};

struct Received
{
    std::map<std::string, int> parses; // texts handed to each parser
    std::vector<ReceivedPoint> points;
    std::vector<std::string> stations; // distinct, in first-seen order
    std::vector<ReceivedObservation> observations;
    std::vector<Rejection> rejections;
};

int IntegerOf(const Host::Call& call)
{
    if (!call.arguments.empty())
        if (const auto* integer = std::get_if<int>(&call.arguments.front()))
            return *integer;
    return -1;
}

bool Rejected(const Host::Call& call)
{
    const auto* accepted = std::get_if<bool>(&call.result);
    return call.hasResult && accepted != nullptr && !*accepted;
}

Received Collect(const std::vector<Host::Call>& calls, std::size_t first, std::size_t last)
{
    enum class Context
    {
        None,
        Point,
        Station,
        Observation
    };
    Received received;
    Context context = Context::None;
    std::optional<std::string> station;
    std::set<std::string> stationsSeen;
    for (std::size_t i = first; i < last && i < calls.size(); ++i)
    {
        const Host::Call& call = calls[i];
        const std::string& method = call.method;
        if (call.object.empty())
        {
            if (method == "AddPoint")
            {
                received.points.push_back({Host::FirstText(call), {}, {}, {}});
                context = Context::Point;
            }
            else if (method == "SetStation")
            {
                station = Host::FirstText(call);
                if (stationsSeen.insert(*station).second)
                    received.stations.push_back(*station);
                context = Context::Station;
            }
            else if (method == "SetTargetPoint")
            {
                received.observations.emplace_back();
                received.observations.back().target = Host::FirstText(call);
                received.observations.back().station = station;
                context = Context::Observation;
            }
            else if (context == Context::Point)
            {
                ReceivedPoint& point = received.points.back();
                if (method == "SetNorthing")
                    point.northing = Host::FirstNumber(call);
                else if (method == "SetEasting")
                    point.easting = Host::FirstNumber(call);
                else if (method == "SetElevation")
                    point.elevation = Host::FirstNumber(call);
            }
            else if (context == Context::Observation)
            {
                ReceivedObservation& observation = received.observations.back();
                if (method == "SetFace")
                    observation.face = IntegerOf(call);
                else if (method == "SetHorizontalAngle")
                    observation.horizontal = Host::FirstNumber(call);
                else if (method == "SetZenithAngle")
                    observation.zenith = Host::FirstNumber(call);
                else if (method == "SetSlopeDistance")
                    observation.distance = true;
            }
        }
        else if (call.object == "extension")
        {
            if (method == "SetObservationTime" && context == Context::Observation)
                received.observations.back().timeSent = Host::FirstText(call);
        }
        else if (method == "Parse")
        {
            ++received.parses[call.object];
            Rejection rejection{call.object, Host::FirstText(call)};
            if (context == Context::Point)
                rejection.point = static_cast<int>(received.points.size()) - 1;
            else if (context == Context::Observation)
            {
                ReceivedObservation& observation = received.observations.back();
                rejection.observation = static_cast<int>(received.observations.size()) - 1;
                if (call.object == "distance")
                    rejection.ordinal = ++observation.distanceParses;
                else if (call.object == "angle")
                    rejection.ordinal = ++observation.angleParses;
            }
            if (Rejected(call))
                received.rejections.push_back(std::move(rejection));
        }
    }
    return received;
}

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text without the XML white space around it, as the plug-in hands numbers to the host.
std::string WithoutXmlSpace(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsXmlSpace(text[begin]))
        ++begin;
    while (end > begin && IsXmlSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Whether text is one of the values the plug-in takes from a point's coordinate text: the first
// three of the values that runs of white space separate, when there are at least two.
bool IsCoordinateValue(const std::string& text, const std::string& coordinates)
{
    std::vector<std::string> values;
    std::string value;
    for (const char c : coordinates + ' ')
    {
        if (!IsXmlSpace(c))
            value += c;
        else if (!value.empty())
            values.push_back(std::exchange(value, std::string()));
    }
    if (values.size() < 2)
        return false;
    values.resize(std::min<std::size_t>(values.size(), 3));
    return std::find(values.begin(), values.end(), text) != values.end();
}

std::string Quoted(const std::string& text)
{
    return nlohmann::json(ValidUtf8(text)).dump();
}

std::string Printed(const char* format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Seconds(double seconds)
{
    return Printed(seconds < 9.95 ? "%.1f\"" : "%.0f\"", seconds);
}

std::string Length(double length)
{
    return Printed(length >= 0.001 ? "%.3f" : "%.2g", length);
}

std::string Counted(std::size_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

// One finding's examples, before the first five are chosen.
struct Entry
{
    std::vector<int> lines;
    std::string text;
};

// A finding of count items, whose first five examples in document order (those without a
// line last) are shown.
void Report(std::vector<Finding>& findings, const char* check, const char* singular,
            const char* plural, std::string reason, int count, std::vector<Entry> entries)
{
    if (count == 0)
        return;
    Finding finding{check, singular, plural, std::move(reason), count, {}, 0};
    for (Entry& entry : entries)
    {
        entry.lines.erase(std::remove(entry.lines.begin(), entry.lines.end(), 0),
                          entry.lines.end());
        std::sort(entry.lines.begin(), entry.lines.end());
        entry.lines.erase(std::unique(entry.lines.begin(), entry.lines.end()), entry.lines.end());
        if (entry.lines.size() > kExamplesShown)
            entry.lines.resize(kExamplesShown);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b)
                     {
                         if (a.lines.empty() || b.lines.empty())
                             return !a.lines.empty() && b.lines.empty();
                         return a.lines.front() < b.lines.front();
                     });
    for (std::size_t i = 0; i < entries.size() && i < kExamplesShown; ++i)
        finding.examples.push_back({entries[i].lines, entries[i].text});
    finding.listed = static_cast<int>(entries.size());
    findings.push_back(std::move(finding));
}

class Checker
{
public:
    Checker(const Received& what, const DocumentContents& contents, const CheckOptions& settings)
        : received(what), document(contents), options(settings),
          pointsLocated(what.points.size() == contents.sentPoints.size()),
          observationsLocated(what.observations.size() == contents.sentObservations.size())
    {
    }

    FileChecks Run()
    {
        UnitsNotConverted();
        OneNameTwoPositions();
        StationsWithoutPosition();
        ObservationsWithoutStation();
        NumbersNotRead();
        FacePairs();
        PrismConstantsNotApplied();
        ObservationTimesNotSent();
        return std::move(result);
    }

private:
    // The document's lines of the n-th point and observation the host received, where the
    // probe's reading of the document gave as many as the host received.
    int PointLine(std::size_t index) const
    {
        return pointsLocated ? document.sentPoints[index].line : 0;
    }
    int ObservationLine(std::size_t index) const
    {
        return observationsLocated ? document.sentObservations[index].line : 0;
    }

    // Units the plug-in cannot convert, where their numbers reached the host's parsers.
    void UnitsNotConverted()
    {
        std::vector<Entry> entries;
        for (const UnconvertedUnit& unit : UnconvertedUnits(document.units))
        {
            const auto handed = received.parses.find(unit.quantity);
            if (handed == received.parses.end())
                continue;
            entries.push_back(
                {{document.units.line},
                 std::string(unit.attribute) + " " + Quoted(unit.value) + ": " +
                     Counted(static_cast<std::size_t>(handed->second), "number", "numbers") +
                     " read as " + unit.readAs});
        }
        Report(result.findings, "unitsNotConverted", "unit not converted", "units not converted",
               "the plug-in cannot convert numbers in these units, so the host read them in "
               "another",
               static_cast<int>(entries.size()), entries);
    }

    void OneNameTwoPositions()
    {
        std::map<std::string, std::vector<std::size_t>> placed;
        for (std::size_t i = 0; i < received.points.size(); ++i)
            if (received.points[i].Placed())
                placed[received.points[i].name].push_back(i);
        const auto apart = [&](std::size_t a, std::size_t b)
        {
            const ReceivedPoint& p = received.points[a];
            const ReceivedPoint& q = received.points[b];
            const double north = *p.northing - *q.northing;
            const double east = *p.easting - *q.easting;
            const double up = p.elevation && q.elevation ? *p.elevation - *q.elevation : 0.0;
            return std::sqrt(north * north + east * east + up * up);
        };
        std::vector<Entry> entries;
        double largest = 0;
        for (const auto& [name, indices] : placed)
        {
            // Measured from the first position: exact for two, and a name given a thousand
            // times costs a thousand distances.
            double farthest = 0;
            for (const std::size_t index : indices)
                farthest = std::max(farthest, apart(indices.front(), index));
            if (!(farthest > 0))
                continue;
            largest = std::max(largest, farthest);
            Entry entry{{}, name + ", " + Length(farthest) + " apart"};
            for (const std::size_t index : indices)
                entry.lines.push_back(PointLine(index));
            entries.push_back(std::move(entry));
            result.marks.twoPositions.push_back(name);
            result.marks.named.insert(name);
        }
        Report(result.findings, "oneNameTwoPositions", "point name with two positions",
               "point names with two positions",
               "the same name reached the host with different coordinates, up to " +
                   Length(largest) + " apart",
               static_cast<int>(entries.size()), entries);
    }

    void StationsWithoutPosition()
    {
        std::set<std::string> placed;
        for (const ReceivedPoint& point : received.points)
            if (point.Placed())
                placed.insert(point.name);
        std::map<std::string, int> lines;
        for (const auto& [name, line] : document.stationLines)
            lines.emplace(ValidUtf8(name), line);
        std::vector<Entry> entries;
        for (const std::string& station : received.stations)
        {
            if (placed.count(station) != 0)
                continue;
            const auto line = lines.find(station);
            entries.push_back({{line != lines.end() ? line->second : 0}, station});
            result.marks.stationsWithoutPosition.push_back(station);
        }
        Report(result.findings, "stationsWithoutPosition", "station without a position",
               "stations without a position",
               "no point of these names reached the host with coordinates, so it cannot place "
               "these stations",
               static_cast<int>(entries.size()), entries);
    }

    void ObservationsWithoutStation()
    {
        std::vector<Entry> entries;
        int count = 0;
        if (observationsLocated)
        {
            // The observations of each setup or group: how many, and the first.
            std::map<std::size_t, std::pair<std::size_t, std::size_t>> sent;
            for (std::size_t j = 0; j < document.sentObservations.size(); ++j)
                ++sent.emplace(document.sentObservations[j].activation, std::make_pair(0, j))
                      .first->second.first;
            for (const auto& [a, observations] : sent)
            {
                const Activation& activation = document.activations[a];
                if (activation.found)
                    continue;
                const std::size_t affected = observations.first;
                const std::optional<std::string>& instead =
                    received.observations[observations.second].station;
                const std::string their =
                    affected == 1 ? "its observation goes"
                                  : "its " + std::to_string(affected) + " observations go";
                entries.push_back(
                    {{activation.line},
                     std::string(activation.group ? "group " : "setup ") +
                         ValidUtf8(activation.id) + " finds no setup with id " +
                         ValidUtf8(activation.key) + "; " + their + " to " +
                         (instead ? "station " + *instead : std::string("no station"))});
                if (instead)
                    result.marks.named.insert(*instead);
                count += static_cast<int>(affected);
            }
        }
        else
        {
            // Without the document's setups, only what the record shows.
            for (const ReceivedObservation& observation : received.observations)
                count += !observation.station;
            if (count != 0)
                entries.push_back(
                    {{},
                     Counted(static_cast<std::size_t>(count), "observation", "observations") +
                         " before any station"});
        }
        Report(result.findings, "observationsWithoutStation", "observation without its station",
               "observations without their station",
               "they come from a setup the host was not told of, so it attaches them to the "
               "station announced before them, or to none",
               count, entries);
    }

    void NumbersNotRead()
    {
        // The other attributes by parser and text, an angle's without its dots (the plug-in
        // re-spells degrees, minutes and seconds before the parser sees them); each rejection
        // of a text takes the next attribute of that text, the last one again once all were
        // named (the extension's second pass hands its texts over again).
        const auto keyOf = [](const std::string& parser, std::string text)
        {
            text = WithoutXmlSpace(text);
            if (parser == "angle")
                text.erase(std::remove(text.begin(), text.end(), '.'), text.end());
            return parser + '\n' + text;
        };
        std::map<std::string, std::pair<std::vector<std::size_t>, std::size_t>> attributes;
        for (std::size_t k = 0; k < document.numberAttributes.size(); ++k)
        {
            const NumberAttribute& number = document.numberAttributes[k];
            attributes[keyOf(number.parser, ValidUtf8(number.text))].first.push_back(k);
        }
        std::vector<Entry> entries;
        std::set<std::string> sites; // each attribute once, however often it was handed over
        for (const Rejection& rejection : received.rejections)
        {
            const std::string quoted = Quoted(rejection.text);
            Entry entry;
            std::string site;
            const SentObservation* observation =
                rejection.observation >= 0 && observationsLocated
                    ? &document.sentObservations[static_cast<std::size_t>(rejection.observation)]
                    : nullptr;
            const std::vector<const char*>* parsed =
                observation == nullptr           ? nullptr
                : rejection.parser == "distance" ? &observation->distanceAttributes
                : rejection.parser == "angle"    ? &observation->angleAttributes
                                                 : nullptr;
            if (rejection.point >= 0 && pointsLocated &&
                IsCoordinateValue(
                    rejection.text,
                    document.sentPoints[static_cast<std::size_t>(rejection.point)].coordinates))
            {
                const auto index = static_cast<std::size_t>(rejection.point);
                entry = {{PointLine(index)},
                         quoted + " in the coordinates of " + received.points[index].name};
                site = "point " + std::to_string(index);
            }
            else if (parsed != nullptr && rejection.ordinal >= 1 &&
                     rejection.ordinal <= static_cast<int>(parsed->size()))
            {
                const char* attribute = (*parsed)[static_cast<std::size_t>(rejection.ordinal) - 1];
                entry = {{observation->line}, quoted + " in " + attribute};
                site = "observation " + std::to_string(rejection.observation) + attribute;
            }
            else if (const auto found = attributes.find(keyOf(rejection.parser, rejection.text));
                     found != attributes.end())
            {
                // Setups and the extension.
                auto& [indices, next] = found->second;
                const std::size_t k = indices[std::min(next, indices.size() - 1)];
                next += next < indices.size();
                const NumberAttribute& number = document.numberAttributes[k];
                entry = {{number.line}, quoted + " in " + number.attribute};
                site = "attribute " + std::to_string(k);
            }
            else
            {
                entry = {{}, quoted + " read by the " + rejection.parser + " parser"};
                site = rejection.parser + " " + rejection.text;
            }
            if (sites.insert(site).second)
                entries.push_back(std::move(entry));
        }
        Report(result.findings, "numbersNotRead", "number the host could not read",
               "numbers the host could not read",
               "the host's parser rejected these texts, so the plug-in sent nothing for them",
               static_cast<int>(entries.size()), entries);
    }

    void FacePairs()
    {
        // Each observation on one face pairs with the next of the same station and target on
        // the other face.
        using Key = std::pair<std::string, std::string>;
        std::map<Key, std::deque<std::size_t>> waiting[2];
        std::vector<Entry> entries;
        for (std::size_t j = 0; j < received.observations.size(); ++j)
        {
            const ReceivedObservation& observation = received.observations[j];
            if (observation.face != 0 && observation.face != 1)
                continue;
            const Key key{observation.station.value_or(""), observation.target};
            std::deque<std::size_t>& other = waiting[1 - observation.face][key];
            if (other.empty())
            {
                waiting[observation.face][key].push_back(j);
                continue;
            }
            const std::size_t i = other.front();
            other.pop_front();
            const ReceivedObservation& direct =
                observation.face == 0 ? observation : received.observations[i];
            const ReceivedObservation& reverse =
                observation.face == 0 ? received.observations[i] : observation;
            std::string disagreement;
            bool beyond = false;
            if (direct.horizontal && reverse.horizontal)
            {
                const double seconds =
                    std::fabs(std::remainder(*reverse.horizontal - *direct.horizontal - 180, 360)) *
                    3600;
                beyond = seconds > options.toleranceSeconds;
                disagreement = "horizontal " + Seconds(seconds);
            }
            if (direct.zenith && reverse.zenith)
            {
                const double seconds = std::fabs(*direct.zenith + *reverse.zenith - 360) * 3600;
                beyond = beyond || seconds > options.toleranceSeconds;
                disagreement += (disagreement.empty() ? "" : ", ") + ("zenith " + Seconds(seconds));
            }
            if (!beyond)
                continue;
            entries.push_back(
                {{ObservationLine(i), ObservationLine(j)},
                 observation.target + " from " +
                     (observation.station ? *observation.station : std::string("no station")) +
                     ": " + disagreement});
            result.marks.disagreeingSights.push_back(key);
            if (observation.station)
                result.marks.named.insert(*observation.station);
            result.marks.named.insert(observation.target);
        }
        Report(result.findings, "facePairs", "face pair that disagrees", "face pairs that disagree",
               "the two faces of one target disagree by more than " +
                   Printed("%g\"", options.toleranceSeconds) +
                   ": horizontal angles not 180\xC2\xB0 apart, or zenith angles not adding up to "
                   "360\xC2\xB0",
               static_cast<int>(entries.size()), entries);
    }

    void PrismConstantsNotApplied()
    {
        if (!options.prismConstantOff)
            return;
        std::map<std::string, std::size_t> distances; // sent, by target
        for (const ReceivedObservation& observation : received.observations)
            distances[observation.target] += observation.distance;
        std::vector<Entry> entries;
        for (const ReflectorConstant& constant : document.reflectorConstants)
        {
            double value = 0;
            if (!Host::ParseDecimal(Host::FromUtf8(WithoutXmlSpace(constant.text)), value) ||
                value == 0)
                continue;
            const std::string target = ValidUtf8(constant.target);
            const auto sent = distances.find(target);
            if (sent == distances.end() || sent->second == 0)
                continue;
            entries.push_back({{constant.line},
                               target + ": " + ValidUtf8(constant.text) + " left out of " +
                                   Counted(sent->second, "distance", "distances")});
            result.marks.named.insert(target);
        }
        Report(result.findings, "prismConstantsNotApplied", "prism constant not applied",
               "prism constants not applied",
               "ConsiderPrismConstant is off, so the host received these targets' distances "
               "without their reflector constant",
               static_cast<int>(entries.size()), entries);
    }

    void ObservationTimesNotSent()
    {
        // YYYY-MM-DDThh:mm:ss, the one form the plug-in passes on as written.
        const auto wellFormed = [](const std::string& time)
        {
            static const char form[] = "0000-00-00T00:00:00";
            if (time.size() != sizeof form - 1)
                return false;
            for (std::size_t i = 0; i < time.size(); ++i)
                if (form[i] == '0' ? time[i] < '0' || time[i] > '9' : time[i] != form[i])
                    return false;
            return true;
        };
        std::vector<Entry> entries;
        bool garbled = false;
        for (std::size_t j = 0; j < document.sentObservations.size(); ++j)
        {
            const SentObservation& observation = document.sentObservations[j];
            if (!observation.hasTimeStamp || wellFormed(observation.timeStamp))
                continue;
            std::string text = Quoted(observation.timeStamp);
            if (observationsLocated && received.observations[j].timeSent)
            {
                text += " (sent as " + Quoted(*received.observations[j].timeSent) + ")";
                garbled = true;
            }
            entries.push_back({{observation.line}, text});
        }
        Report(result.findings, "observationTimesNotSent", "observation time not sent",
               "observation times not sent",
               std::string("the plug-in passes on only times written YYYY-MM-DDThh:mm:ss; the "
                           "host has no time") +
                   (garbled ? ", or a garbled one," : "") + " for these observations",
               static_cast<int>(entries.size()), entries);
    }

    const Received& received;
    const DocumentContents& document;
    const CheckOptions& options;
    const bool pointsLocated;
    const bool observationsLocated;
    FileChecks result;
};

} // namespace

FileChecks RunChecks(const std::vector<Host::Call>& calls, std::size_t first, std::size_t last,
                     const DocumentContents& document, const CheckOptions& options)
{
    const Received received = Collect(calls, first, last);
    return Checker(received, document, options).Run();
}

} // namespace Probe
