// landxml-plan-check: the probe's plan on a dense job.
//   landxml-plan-check road FILE
//     writes a road survey: 3 km of road in cross-sections every 10 m, 3,011 points, six
//     stations beside it and one setup without a position, a point name at two positions and
//     a face pair that disagrees by five minutes of arc;
//   landxml-plan-check labels PLAN MINIMUM NAME...
//     checks the plan: no two point labels overlap, every point carries its name in its tooltip,
//     at least MINIMUM labels are drawn and each NAME is among them. A label's box is its text's
//     advance width in DejaVu Sans (the face the renderer draws sans-serif with here) by the
//     face's ascent and descent.
// Exit status 0 when the job was written or the plan passed, 1 otherwise.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <rapidxml/rapidxml.hpp>
#include <set>
#include <string>
#include <vector>

namespace
{

int WriteRoad(const char* path)
{
    std::ofstream out(path, std::ios::binary);
    const auto point = [&](const std::string& name, double north, double east, double up)
    {
        char line[160];
        std::snprintf(line, sizeof line,
                      "    <CgPoint name=\"%s\" code=\"RD\">%.3f %.3f %.3f</CgPoint>\n",
                      name.c_str(), north, east, up);
        out << line;
    };
    // The centre line runs east with a gentle swing north and back; points lie across it.
    const auto centre = [](double s, double offset, double& north, double& east)
    {
        const double slope = 0.25 * std::cos(s / 600);
        const double length = std::hypot(1.0, slope);
        east = 5000 + s - offset * slope / length;
        north = 7000 + 150 * std::sin(s / 600) + offset / length;
    };
    const double offsets[] = {-12, -8, -4.5, -3.6, -1.8, 0, 1.8, 3.6, 4.5, 8};
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LandXML version=\"1.2\">\n"
        << "  <Units><Metric linearUnit=\"meter\" angularUnit=\"decimal dd.mm.ss\"/></Units>\n"
        << "  <CgPoints>\n";
    double north = 0;
    double east = 0;
    for (int section = 0; section <= 300; ++section)
        for (int k = 0; k < 10; ++k)
        {
            centre(section * 10.0, offsets[k], north, east);
            point(std::to_string(1000 + section * 10 + k), north, east, 150 + section * 0.1);
        }
    // Point 2500 measured a second time, 0.6 m off.
    centre(1500, 0, north, east);
    point("2500", north + 0.6, east, 165);
    for (int station = 1; station <= 6; ++station)
    {
        centre(500.0 * station - 250, 20, north, east);
        point("ST" + std::to_string(station), north, east, 150);
    }
    out << "  </CgPoints>\n  <Survey>\n";
    for (int station = 1; station <= 7; ++station)
    {
        out << "    <InstrumentSetup id=\"" << station << "\" stationName=\"ST" << station
            << "\" instrumentHeight=\"1.500\">\n";
        const int target = 1000 + (station - 1) * 500 + 205;
        const char* const faces[][3] = {
            {"true", "10.0000", "90.0000"},
            {"false", station == 3 ? "190.0500" : "190.0000", "270.0000"}};
        for (const auto& face : faces)
            out << "      <RawObservation directFace=\"" << face[0] << "\" horizAngle=\"" << face[1]
                << "\" zenithAngle=\"" << face[2] << "\" slopeDistance=\"20.000\">"
                << "<TargetPoint name=\"" << target << "\"/></RawObservation>\n";
        out << "    </InstrumentSetup>\n";
    }
    out << "  </Survey>\n</LandXML>\n";
    out.close();
    if (!out)
    {
        std::cerr << "cannot write " << path << "\n";
        return 1;
    }
    return 0;
}

// Advance widths of DejaVu Sans for the printable ASCII characters, in ems.
constexpr double kWidths[95] = {
    0.318, 0.401, 0.46,  0.838, 0.636, 0.95,  0.78,  0.275, 0.39,  0.39,  0.5,   0.838,
    0.318, 0.361, 0.318, 0.337, 0.636, 0.636, 0.636, 0.636, 0.636, 0.636, 0.636, 0.636,
    0.636, 0.636, 0.337, 0.337, 0.838, 0.838, 0.838, 0.531, 1.0,   0.684, 0.686, 0.698,
    0.77,  0.632, 0.575, 0.775, 0.752, 0.295, 0.295, 0.656, 0.557, 0.863, 0.748, 0.787,
    0.603, 0.787, 0.695, 0.635, 0.611, 0.732, 0.684, 0.989, 0.685, 0.611, 0.685, 0.39,
    0.337, 0.39,  0.838, 0.5,   0.5,   0.613, 0.635, 0.55,  0.635, 0.615, 0.352, 0.635,
    0.634, 0.278, 0.278, 0.579, 0.278, 0.974, 0.634, 0.612, 0.635, 0.635, 0.411, 0.521,
    0.392, 0.634, 0.592, 0.818, 0.592, 0.592, 0.525, 0.636, 0.337, 0.636, 0.838};
constexpr double kAscent = 0.928;
constexpr double kDescent = 0.236;

struct Label
{
    std::string text;
    double left, top, right, bottom;
};

int CheckLabels(const char* path, int minimum, const std::set<std::string>& wanted)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    buffer.push_back('\0');
    rapidxml::xml_document<> svg;
    try
    {
        svg.parse<0>(buffer.data());
    }
    catch (const rapidxml::parse_error& error)
    {
        std::cerr << path << ": not XML: " << error.what() << "\n";
        return 1;
    }
    const rapidxml::xml_node<>* root = svg.first_node("svg");
    const rapidxml::xml_node<>* style = root ? root->first_node("style") : nullptr;
    const std::string css = style ? style->value() : "";
    const std::string sizeRule = ".point text { font-size: ";
    const std::size_t at = css.find(sizeRule);
    if (at == std::string::npos)
    {
        std::cerr << path << ": no font size for the points' labels\n";
        return 1;
    }
    const double size = std::stod(css.substr(at + sizeRule.size()));
    std::vector<Label> labels;
    int points = 0;
    int failures = 0;
    for (const rapidxml::xml_node<>* group = root->first_node("g"); group;
         group = group->next_sibling("g"))
    {
        const rapidxml::xml_attribute<>* kind = group->first_attribute("class");
        if (kind == nullptr || std::string(kind->value()) != "point")
            continue;
        ++points;
        const rapidxml::xml_node<>* title = group->first_node("title");
        const rapidxml::xml_node<>* text = group->first_node("text");
        if (text == nullptr)
            continue;
        const std::string name = text->value();
        if (title == nullptr || std::string(title->value()).compare(0, name.size(), name) != 0)
        {
            std::cerr << "point " << name << " has not its name in its tooltip\n";
            ++failures;
        }
        double width = 0;
        for (const char c : name)
        {
            if (c < 32 || c > 126)
            {
                std::cerr << "no width known for a character of " << name << "\n";
                return 1;
            }
            width += kWidths[c - 32] * size;
        }
        const double x = std::stod(text->first_attribute("x")->value());
        const double y = std::stod(text->first_attribute("y")->value());
        labels.push_back({name, x, y - kAscent * size, x + width, y + kDescent * size});
    }
    std::sort(labels.begin(), labels.end(),
              [](const Label& a, const Label& b) { return a.left < b.left; });
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size() && labels[j].left < labels[i].right; ++j)
            if (labels[i].top < labels[j].bottom && labels[j].top < labels[i].bottom)
            {
                std::cerr << "labels " << labels[i].text << " and " << labels[j].text
                          << " overlap\n";
                ++failures;
            }
    std::set<std::string> drawn;
    for (const Label& label : labels)
        drawn.insert(label.text);
    for (const std::string& name : wanted)
        if (drawn.count(name) == 0)
        {
            std::cerr << name << " has no label\n";
            ++failures;
        }
    if (static_cast<int>(labels.size()) < minimum)
    {
        std::cerr << "only " << labels.size() << " labels, expected at least " << minimum << "\n";
        ++failures;
    }
    std::cout << points << " points, " << labels.size() << " labels of " << size << " px\n";
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "road" && argc == 3)
        return WriteRoad(argv[2]);
    if (command == "labels" && argc >= 4)
        return CheckLabels(argv[2], std::atoi(argv[3]),
                           std::set<std::string>(argv + 4, argv + argc));
    std::cerr << "usage: landxml-plan-check road FILE | labels PLAN MINIMUM NAME...\n";
    return 1;
}
