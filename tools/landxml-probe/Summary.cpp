#include "tools/landxml-probe/Summary.h"

#include "tools/host/Text.h"
#include "tools/landxml-probe/Units.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace Probe
{

namespace
{

int FirstInteger(const Host::Call& call)
{
    if (!call.arguments.empty())
        if (const auto* integer = std::get_if<int>(&call.arguments.front()))
            return *integer;
    return -1;
}

void AddMessage(std::vector<Message>& messages, const std::string& text)
{
    const auto same = std::find_if(messages.begin(), messages.end(),
                                   [&](const Message& message) { return message.text == text; });
    if (same != messages.end())
        ++same->count;
    else
        messages.push_back({text, 1});
}

std::string Counted(int count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string UnitsLine(const FileSummary& file)
{
    if (file.angleUnit < 0)
        return "not asked for";
    return Probe::UnitsLine(file.document.units, file.angleUnit, file.pressureUnit);
}

void WriteMessages(std::ostream& out, const char* title, const std::vector<Message>& messages)
{
    int total = 0;
    for (const Message& message : messages)
        total += message.count;
    out << "  " << title << ": " << (total == 0 ? std::string("none") : std::to_string(total))
        << "\n";
    for (const Message& message : messages)
        out << "    " << message.count << "\xC3\x97 " << message.text << "\n";
}

const char* KindName(LeftOut::Kind kind)
{
    switch (kind)
    {
    case LeftOut::Kind::Point:
        return "point";
    case LeftOut::Kind::Observation:
        return "observation";
    case LeftOut::Kind::Element:
        break;
    }
    return "element";
}

// One finding: "2 face pairs that disagree: <reason>. Line 44, 47: 101 from ST1: ...; ..."
void WriteFinding(std::ostream& out, const Finding& finding)
{
    out << "    " << finding.count << " "
        << (finding.count == 1 ? finding.singular : finding.plural) << ": " << finding.reason
        << ".";
    for (std::size_t i = 0; i < finding.examples.size(); ++i)
    {
        const CheckExample& example = finding.examples[i];
        out << (i == 0 ? " " : "; ");
        if (!example.lines.empty())
        {
            out << (i == 0 ? "Line" : "line") << (example.lines.size() == 1 ? " " : "s ");
            for (std::size_t l = 0; l < example.lines.size(); ++l)
                out << (l == 0 ? "" : ", ") << example.lines[l];
            out << ": ";
        }
        out << example.text;
    }
    const int shown = static_cast<int>(finding.examples.size());
    if (finding.listed > shown)
        out << "; and " << finding.listed - shown << " more";
    out << "\n";
}

nlohmann::ordered_json FindingsJson(const FileChecks& checks)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Finding& finding : checks.findings)
    {
        nlohmann::ordered_json examples = nlohmann::ordered_json::array();
        for (const CheckExample& example : finding.examples)
            examples.push_back({{"lines", example.lines}, {"text", example.text}});
        list.push_back({{"check", finding.check},
                        {"count", finding.count},
                        {"what", finding.count == 1 ? finding.singular : finding.plural},
                        {"reason", finding.reason},
                        {"examples", examples},
                        {"more", finding.listed - static_cast<int>(finding.examples.size())}});
    }
    return list;
}

nlohmann::ordered_json MessagesJson(const std::vector<Message>& messages)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Message& message : messages)
        list.push_back({{"text", message.text}, {"count", message.count}});
    return list;
}

} // namespace

void FileSummary::Count(const Host::Call& call)
{
    const std::string& method = call.method;
    if (call.object.empty())
    {
        points += method == "AddPoint";
        observations += method == "SetTargetPoint";
        if (method == "SetStation")
        {
            ++activations;
            const std::string name = Host::FirstText(call);
            if (std::find(stations.begin(), stations.end(), name) == stations.end())
                stations.push_back(name);
        }
        else if (method == "ReportWarning")
            AddMessage(warnings, Host::FirstText(call));
        else if (method == "ReportError")
            AddMessage(errors, Host::FirstText(call));
    }
    else if (call.object == "extension")
        imageNotes += method == "AddImageNote";
    else if (call.object == "factory")
    {
        if (method == "GetDistanceParser")
            distanceUnit = FirstInteger(call);
        else if (method == "GetAngleParser")
            angleUnit = FirstInteger(call);
        else if (method == "GetPressureParser")
            pressureUnit = FirstInteger(call);
        else if (method == "GetTemperatureParser")
            temperatureUnit = FirstInteger(call);
    }
}

int FileSummary::ErrorCount() const
{
    int total = 0;
    for (const Message& error : errors)
        total += error.count;
    return total;
}

void WriteSummaryText(std::ostream& out, const FileSummary& file)
{
    out << file.path << "\n";
    // Of how many the document holds, where the probe could read it.
    const bool held = file.document.read && file.ErrorCount() == 0;
    const auto of = [&](int count, int inDocument, const char* singular, const char* plural)
    {
        return held ? std::to_string(count) + " of " + Counted(inDocument, singular, plural)
                    : Counted(count, singular, plural);
    };
    out << "  imported: " << of(file.points, file.document.points, "point", "points") << ", "
        << Counted(static_cast<int>(file.stations.size()), "station", "stations") << " ("
        << Counted(file.activations, "activation", "activations") << "), "
        << of(file.observations, file.document.observations, "observation", "observations") << ", "
        << Counted(file.imageNotes, "image note", "image notes") << "\n";
    out << "  units: " << UnitsLine(file) << "\n";
    WriteMessages(out, "warnings", file.warnings);
    WriteMessages(out, "errors", file.errors);
    if (!file.text.empty())
        out << "  text: " << file.text << "\n";
    if (file.ErrorCount() != 0)
    {
        out << "  not imported: the whole file (the plug-in reported an error)\n";
        return;
    }
    if (!file.document.read)
    {
        out << "  not imported: unknown (the probe could not read the file as LandXML)\n";
        return;
    }
    out << "  not imported:" << (file.document.leftOut.empty() ? " nothing" : "") << "\n";
    for (const LeftOut& item : file.document.leftOut)
    {
        out << "    " << item.count << " " << (item.count == 1 ? item.singular : item.plural);
        for (std::size_t i = 0; i < item.names.size(); ++i)
            out << (i == 0 ? ": " : ", ") << item.names[i];
        if (!item.names.empty() && item.count > static_cast<int>(item.names.size()))
            out << " and " << item.count - static_cast<int>(item.names.size()) << " more";
        out << "\n";
    }
    if (!file.checked)
        return;
    out << "  checks:" << (file.checks.findings.empty() ? " nothing found" : "") << "\n";
    for (const Finding& finding : file.checks.findings)
        WriteFinding(out, finding);
}

void WriteSummaryJson(std::ostream& out, const FileSummary& file)
{
    nlohmann::ordered_json line;
    line["file"] = file.path;
    line["points"] = file.points;
    line["documentPoints"] = file.document.points;
    line["stations"] = file.stations.size();
    line["activations"] = file.activations;
    line["observations"] = file.observations;
    line["documentObservations"] = file.document.observations;
    line["imageNotes"] = file.imageNotes;
    line["units"] = file.angleUnit < 0 ? nlohmann::ordered_json(nullptr)
                                       : nlohmann::ordered_json(UnitsLine(file));
    line["warnings"] = MessagesJson(file.warnings);
    line["errors"] = MessagesJson(file.errors);
    line["encoding"] =
        file.text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(file.text);
    if (file.ErrorCount() != 0)
        line["notImported"] = "all";
    else if (!file.document.read)
        line["notImported"] = nullptr;
    else
    {
        line["notImported"] = nlohmann::ordered_json::array();
        for (const LeftOut& item : file.document.leftOut)
            line["notImported"].push_back({{"kind", KindName(item.kind)},
                                           {"count", item.count},
                                           {"what", item.count == 1 ? item.singular : item.plural},
                                           {"names", item.names}});
    }
    line["checks"] = file.checked ? FindingsJson(file.checks) : nlohmann::ordered_json(nullptr);
    out << line.dump() << "\n";
}

} // namespace Probe
