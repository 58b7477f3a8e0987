#include "tools/landxml-probe/DocumentContents.h"

#include "tools/landxml-probe/Paths.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <rapidxml/rapidxml.hpp>
#include <set>
#include <string_view>

namespace Probe
{

namespace
{

using Node = rapidxml::xml_node<>;
constexpr std::size_t kNamesShown = 5;

std::string_view NameOf(const Node* node)
{
    return {node->name(), node->name_size()};
}

bool NameIs(const Node* node, std::string_view name)
{
    return node->type() == rapidxml::node_element && NameOf(node) == name;
}

// The attribute's value, or nullptr when the element has none of that name.
const char* Attribute(const Node* node, const char* name)
{
    const rapidxml::xml_attribute<>* attribute = node->first_attribute(name);
    return attribute != nullptr ? attribute->value() : nullptr;
}

// Element names in words, for sections and elements the plug-in does not read.
std::pair<std::string, std::string> WordsFor(std::string_view element)
{
    static const std::map<std::string_view, std::pair<std::string, std::string>> words = {
        {"Surfaces", {"surfaces section", "surfaces sections"}},
        {"Alignments", {"alignments section", "alignments sections"}},
        {"Roadways", {"roadways section", "roadways sections"}},
        {"PipeNetworks", {"pipe networks section", "pipe networks sections"}},
        {"Monuments", {"monuments section", "monuments sections"}},
        {"CoordinateSystem", {"coordinate system", "coordinate systems"}},
        {"GradeModel", {"grade model", "grade models"}},
        {"GPSSetup", {"GNSS setup", "GNSS setups"}},
        {"GPSVector", {"GNSS vector", "GNSS vectors"}},
        {"ReducedObservation", {"reduced observation", "reduced observations"}},
        {"RedHorizontalPosition", {"reduced horizontal position", "reduced horizontal positions"}},
        {"RedVerticalObservation",
         {"reduced vertical observation", "reduced vertical observations"}},
        {"ReducedArcObservation", {"reduced arc observation", "reduced arc observations"}},
        {"PlanFeatures", {"further PlanFeatures section", "further PlanFeatures sections"}},
        {"Parcels", {"further Parcels section", "further Parcels sections"}},
        {"HexagonLandXML", {"further extension element", "further extension elements"}},
        {"Imperial", {"further units element", "further units elements"}},
        {"Metric", {"further units element", "further units elements"}},
    };
    const auto found = words.find(element);
    if (found != words.end())
        return found->second;
    return {"element", "elements"};
}

// Elements that describe the document rather than hold survey data: nothing to miss in them.
bool IsHeader(std::string_view element)
{
    return element == "Project" || element == "Application" || element == "Author" ||
           element == "SurveyHeader" || element == "Equipment" || element == "Feature" ||
           element == "InstrumentPoint" || element == "FeatureDictionary";
}

constexpr LeftOut::Kind kPoint = LeftOut::Kind::Point;
constexpr LeftOut::Kind kObservation = LeftOut::Kind::Observation;

// Lines of the document: the in-place tree's names point into the buffer, so an element starts
// on the line that holds its name.
class Lines
{
public:
    explicit Lines(const std::vector<char>& buffer) : start(buffer.data())
    {
        for (std::size_t i = 0; i < buffer.size(); ++i)
            if (buffer[i] == '\n')
                breaks.push_back(i);
    }

    int Of(const Node* element) const
    {
        const auto offset = static_cast<std::size_t>(element->name() - start);
        return 1 + static_cast<int>(std::lower_bound(breaks.begin(), breaks.end(), offset) -
                                    breaks.begin());
    }

private:
    const char* start;
    std::vector<std::size_t> breaks; // offsets of the line feeds
};

class Reader
{
public:
    Reader(DocumentContents& found, const Lines& documentLines)
        : contents(found), lines(documentLines)
    {
    }

    void Read(const Node* root)
    {
        const char* version = Attribute(root, "version");
        groupsRead = version == nullptr ||
                     (std::string_view(version) != "1.0" && std::string_view(version) != "1.1");
        const Node* extension = root->first_node("HexagonLandXML");
        if (extension != nullptr)
        {
            ReadExtensionPoints(extension);
            ReadExtensionNumbers(extension);
        }
        const Node* firstUnits = root->first_node("Units");
        if (firstUnits != nullptr)
            ReadUnitSystem(firstUnits);
        bool planFeaturesSeen = false;
        bool parcelsSeen = false;
        for (const Node* child = root->first_node(); child; child = child->next_sibling())
        {
            if (child->type() != rapidxml::node_element)
                continue;
            const std::string_view name = NameOf(child);
            if (name == "Units")
                ReadUnits(child);
            else if (name == "CgPoints")
                ReadCgPoints(child);
            else if (name == "Survey")
                ReadSurvey(child);
            else if (name == "HexagonLandXML" && child == extension)
                continue;
            else if (name == "PlanFeatures" && !planFeaturesSeen)
            {
                planFeaturesSeen = true;
                ReadFeatures(child, "PlanFeature");
            }
            else if (name == "Parcels" && !parcelsSeen)
            {
                parcelsSeen = true;
                ReadFeatures(child, "Parcel");
            }
            else if (!IsHeader(name))
                NotRead(child, "");
        }
    }

private:
    void Add(const std::string& singular, const std::string& plural, const char* name,
             LeftOut::Kind kind = LeftOut::Kind::Element)
    {
        LeftOut* entry = nullptr;
        for (LeftOut& existing : contents.leftOut)
            if (existing.singular == singular)
                entry = &existing;
        if (entry == nullptr)
            entry = &contents.leftOut.emplace_back(LeftOut{kind, singular, plural, 0, {}});
        ++entry->count;
        if (name != nullptr && entry->names.size() < kNamesShown)
            entry->names.push_back(ValidUtf8(name));
    }

    // An element the plug-in never visits, named with its place in the document.
    void NotRead(const Node* element, const std::string& place)
    {
        const std::string path = place + std::string(NameOf(element));
        const auto [singular, plural] = WordsFor(NameOf(element));
        Add(singular + " (" + path + ")", plural + " (" + path + ")", nullptr);
    }

    void ReadExtensionPoints(const Node* extension)
    {
        for (const Node* point = extension->first_node("Point"); point;
             point = point->next_sibling("Point"))
        {
            const char* id = Attribute(point, "uniqueID");
            if (id == nullptr || point->first_node("PointCode") == nullptr)
                continue;
            std::string key = id;
            key = key.substr(0, key.find('@'));
            const char* subclass = Attribute(point, "subclass");
            subclasses.emplace(key, subclass != nullptr ? subclass : "");
        }
    }

    // The extension's numbers, as its first pass reads them: in every Survey, the atmospheric
    // values and, in each setup, the reflector constants and the images' angles.
    void ReadExtensionNumbers(const Node* extension)
    {
        std::set<std::string> targets;
        for (const Node* survey = extension->first_node("Survey"); survey;
             survey = survey->next_sibling("Survey"))
            for (const Node* child = survey->first_node(); child; child = child->next_sibling())
            {
                if (NameIs(child, "TPSCorrection"))
                {
                    AddNumber(child, "pressure", "pressure");
                    AddNumber(child, "temperature", "dryTemperature");
                    AddNumber(child, "distance", "atmosphericPPM");
                }
                else if (NameIs(child, "InstrumentSetup"))
                    for (const Node* item = child->first_node(); item; item = item->next_sibling())
                    {
                        const char* target = Attribute(item, "targetPntRef");
                        const char* constant = Attribute(item, "reflectorConstant");
                        if (NameIs(item, "RawObservation") && target != nullptr && *target != 0 &&
                            constant != nullptr)
                        {
                            AddNumber(item, "distance", "reflectorConstant");
                            if (targets.insert(target).second)
                                contents.reflectorConstants.push_back(
                                    {target, constant, lines.Of(item)});
                        }
                        else if (NameIs(item, "TPSImage"))
                        {
                            AddNumber(item, "angle", "horizAngle");
                            AddNumber(item, "angle", "zenithAngle");
                        }
                    }
            }
    }

    void AddNumber(const Node* element, const char* parser, const char* attribute)
    {
        if (const char* text = Attribute(element, attribute))
            contents.numberAttributes.push_back({parser, attribute, text, lines.Of(element)});
    }

    // The plug-in reads the first Units element's first Metric or Imperial child only.
    void ReadUnitSystem(const Node* units)
    {
        for (const Node* child = units->first_node(); child; child = child->next_sibling())
        {
            if (!NameIs(child, "Metric") && !NameIs(child, "Imperial"))
                continue;
            DeclaredUnits& declared = contents.units;
            declared.element = NameOf(child);
            declared.line = lines.Of(child);
            const auto read = [child](const char* name)
            {
                const char* value = Attribute(child, name);
                return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
            };
            declared.linear = read("linearUnit");
            declared.angular = read("angularUnit");
            declared.pressure = read("pressureUnit");
            declared.temperature = read("temperatureUnit");
            systemElement = child;
            return;
        }
    }

    void ReadUnits(const Node* units)
    {
        for (const Node* child = units->first_node(); child; child = child->next_sibling())
            if (child->type() == rapidxml::node_element && child != systemElement)
                NotRead(child, "Units/");
    }

    // The plug-in's choice of points: only control points and points without a role, unless the
    // extension marks the point as measured by GNSS phase; never a name with "@" other than a
    // control point's.
    void ReadCgPoints(const Node* points)
    {
        // Every named child is taken for a point (whatever its element name), as the plug-in
        // does; a nameless one is a point left out only when it is a CgPoint.
        std::vector<SentPoint> sent;
        for (const Node* point = points->first_node(); point; point = point->next_sibling())
        {
            if (point->type() != rapidxml::node_element)
                continue;
            const char* name = Attribute(point, "name");
            if (name == nullptr && !NameIs(point, "CgPoint"))
                continue;
            ++contents.points;
            if (name == nullptr)
            {
                Add("point without a name", "points without a name", nullptr, kPoint);
                continue;
            }
            const char* role = Attribute(point, "role");
            const std::string_view roleText = role != nullptr ? role : "";
            const bool control = roleText == "control point";
            if (std::string_view(name).find('@') != std::string_view::npos && !control)
            {
                Add("point named with \"@\" that is not a control point",
                    "points named with \"@\" that are not control points", name, kPoint);
                continue;
            }
            const auto record = subclasses.find(name);
            const bool gnssPhase = record != subclasses.end() && record->second == "GPS phase";
            if (gnssPhase ? roleText != "measured" : role == nullptr || control)
                sent.push_back({lines.Of(point), point->value()});
            else
            {
                const std::string quoted = "\"" + ValidUtf8(role) + "\"";
                Add("point with role " + quoted, "points with role " + quoted, name, kPoint);
            }
        }
        // The plug-in sends them from the last to the first.
        contents.sentPoints.insert(contents.sentPoints.end(), sent.rbegin(), sent.rend());
    }

    // The first section of each kind is read: anything in it other than its features is not.
    void ReadFeatures(const Node* section, std::string_view kind)
    {
        for (const Node* child = section->first_node(); child; child = child->next_sibling())
            if (child->type() == rapidxml::node_element && NameOf(child) != kind)
                NotRead(child, std::string(NameOf(section)) + "/");
    }

    void ReadSurvey(const Node* survey)
    {
        for (const Node* child = survey->first_node(); child; child = child->next_sibling())
        {
            if (child->type() != rapidxml::node_element)
                continue;
            const std::string_view name = NameOf(child);
            if (name == "InstrumentSetup")
                ReadSetup(child);
            else if (name == "ObservationGroup")
                ReadGroup(child);
            else if (name == "CgPoints")
                for (const Node* point = child->first_node("CgPoint"); point;
                     point = point->next_sibling("CgPoint"))
                    Add("point in CgPoints inside a survey (only CgPoints at the top are read)",
                        "points in CgPoints inside a survey (only CgPoints at the top are read)",
                        Attribute(point, "name"));
            else if (!IsHeader(name))
                NotRead(child, "Survey/");
        }
    }

    // The station of a setup or group, looked up as the plug-in does: among the setups read so
    // far, by the id, in LandXML 1.2 without a leading "o".
    void Activate(const Node* element, const char* id)
    {
        std::string key = id;
        if (groupsRead && key.size() >= 2 && key[0] == 'o')
            key.erase(0, 1);
        contents.activations.push_back({NameIs(element, "ObservationGroup"), id, key,
                                        lines.Of(element), stations.count(key) != 0});
    }

    void ReadSetup(const Node* setup)
    {
        const char* id = Attribute(setup, "id");
        const char* stationName = Attribute(setup, "stationName");
        const bool usable = id != nullptr && stationName != nullptr;
        if (usable)
        {
            // The first setup of an id fixes its station.
            if (stations.insert(id).second && stationNames.insert(stationName).second)
                contents.stationLines.emplace_back(stationName, lines.Of(setup));
            AddNumber(setup, "distance", "instrumentHeight");
            Activate(setup, id);
        }
        for (const Node* child = setup->first_node(); child; child = child->next_sibling())
        {
            if (!NameIs(child, "RawObservation"))
                continue;
            ++contents.observations;
            if (usable)
                ReadObservation(child);
            else
                Add("raw observation of a setup without id or station name",
                    "raw observations of setups without id or station name", nullptr, kObservation);
        }
    }

    void ReadGroup(const Node* group)
    {
        const bool read = groupsRead && Attribute(group, "id") != nullptr;
        if (read)
            Activate(group, Attribute(group, "id"));
        for (const Node* child = group->first_node(); child; child = child->next_sibling())
        {
            if (child->type() != rapidxml::node_element || IsHeader(NameOf(child)))
                continue;
            if (!NameIs(child, "RawObservation"))
            {
                NotRead(child, "Survey/ObservationGroup/");
                continue;
            }
            ++contents.observations;
            if (!groupsRead)
                Add("raw observation in an observation group (read in LandXML 1.2 only)",
                    "raw observations in observation groups (read in LandXML 1.2 only)", nullptr,
                    kObservation);
            else if (!read)
                Add("raw observation in an observation group without id",
                    "raw observations in observation groups without id", nullptr, kObservation);
            else
                ReadObservation(child);
        }
    }

    void ReadObservation(const Node* observation)
    {
        const Node* target = observation->first_node("TargetPoint");
        if (target == nullptr)
            Add("raw observation without a target", "raw observations without a target", nullptr,
                kObservation);
        else if (Attribute(target, "name") == nullptr)
            Add("raw observation whose target has no name",
                "raw observations whose target has no name", nullptr, kObservation);
        else
        {
            SentObservation sent;
            sent.line = lines.Of(observation);
            sent.activation = contents.activations.size() - 1;
            for (const char* name : {"targetHeight", "slopeDistance"})
                if (Attribute(observation, name) != nullptr)
                    sent.distanceAttributes.push_back(name);
            for (const char* name : {"horizAngle", "zenithAngle"})
                if (Attribute(observation, name) != nullptr)
                    sent.angleAttributes.push_back(name);
            if (const char* time = Attribute(observation, "timeStamp"))
            {
                sent.hasTimeStamp = true;
                sent.timeStamp = time;
            }
            contents.sentObservations.push_back(std::move(sent));
        }
    }

    DocumentContents& contents;
    const Lines& lines;
    bool groupsRead = true;
    const Node* systemElement = nullptr; // the units element the plug-in reads
    std::set<std::string> stations;      // ids of the setups read so far
    std::set<std::string> stationNames;  // of those, the station names
    // The extension's point records by name (cut before "@"): their subclass; the first stays.
    std::map<std::string, std::string> subclasses;
};

} // namespace

DocumentContents ReadDocumentContents(const std::filesystem::path& file)
{
    DocumentContents contents;
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return contents;
    std::vector<char> buffer((std::istreambuf_iterator<char>(stream)),
                             std::istreambuf_iterator<char>());
    buffer.push_back('\0');
    const Lines lines(buffer);
    rapidxml::xml_document<> tree;
    try
    {
        tree.parse<0>(buffer.data());
    }
    catch (const rapidxml::parse_error&)
    {
        return contents;
    }
    const Node* root = tree.first_node("LandXML");
    if (root == nullptr)
        return contents;
    contents.read = true;
    Reader(contents, lines).Read(root);
    return contents;
}

} // namespace Probe
