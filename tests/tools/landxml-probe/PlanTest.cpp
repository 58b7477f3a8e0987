// The plan of a dense job stays readable: a road survey of about 3,000 points along 3 km, as the
// host receives it, drawn with what the checks found in it. No two labels overlap, at least half
// are drawn, and the stations and the points the checks name are among them.

#include "tools/landxml-probe/Plan.h"
#include "tests/tools/landxml-probe/PlayedImport.h"
#include "tools/landxml-probe/Checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <rapidxml/rapidxml.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using ProbeTesting::PlayedImport;

// 3 km of road in cross-sections every 10 m (3,010 points), point 2506 measured a second time
// 0.6 m off and six stations beside the road, sent as the plug-in sends them (the last point
// first); then seven setups (ST7 has no point), each observing a point beside it on both faces,
// and ST3's faces disagree by 5'.
void PlayRoad(PlayedImport& import)
{
    struct RoadPoint
    {
        std::string name;
        double north, east, up;
    };
    // The centre line runs east with a gentle swing north and back; points lie across it.
    const auto at = [](double s, double offset, double up, std::string name)
    {
        const double slope = 0.25 * std::cos(s / 600);
        const double length = std::hypot(1.0, slope);
        return RoadPoint{std::move(name), 7000 + 150 * std::sin(s / 600) + offset / length,
                         5000 + s - offset * slope / length, up};
    };
    const double offsets[] = {-12, -8, -4.5, -3.6, -1.8, 0, 1.8, 3.6, 4.5, 8};
    std::vector<RoadPoint> road;
    for (int section = 0; section <= 300; ++section)
        for (int k = 0; k < 10; ++k)
            road.push_back(at(section * 10.0, offsets[k], 150 + section * 0.1,
                              std::to_string(1000 + section * 10 + k)));
    road.push_back(road[1506]);
    road.back().north += 0.6;
    for (int station = 1; station <= 6; ++station)
        road.push_back(at(500.0 * station - 250, 20, 150, "ST" + std::to_string(station)));
    const auto text = [](double value)
    {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.3f", value);
        return std::string(digits);
    };
    for (auto point = road.rbegin(); point != road.rend(); ++point)
        import.Point(point->name.c_str(), text(point->north).c_str(), text(point->east).c_str(),
                     text(point->up).c_str());
    for (int station = 1; station <= 7; ++station)
    {
        import.Station(("ST" + std::to_string(station)).c_str(), "1.500");
        const std::string target = std::to_string(1000 + (station - 1) * 500 + 204);
        import.Observation({target.c_str(), 0, "10.00.00.", "90.00.00.", "20.000"});
        import.Observation({target.c_str(), 1, station == 3 ? "190.05.00." : "190.00.00.",
                            "270.00.00.", "20.000"});
    }
}

// Advance widths of DejaVu Sans for the printable ASCII characters, in ems, and its ascent and
// descent: the face a renderer here draws sans-serif with, so a label's box is what one sees.
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

TEST(Plan, DenseRoadKeepsItsLabelsApart)
{
    PlayedImport import;
    PlayRoad(import);
    const std::vector<Host::Call>& calls = import.Calls();
    const Probe::FileChecks checks =
        Probe::RunChecks(calls, 0, calls.size(), Probe::DocumentContents(), {});
    ASSERT_EQ(checks.marks.named, (std::set<std::string>{"2204", "2506", "ST3"}));
    std::ostringstream out;
    Probe::WritePlan(out, calls, "m", {checks.marks});

    std::string svg = out.str();
    rapidxml::xml_document<> plan;
    plan.parse<0>(svg.data());
    const rapidxml::xml_node<>* root = plan.first_node("svg");
    const std::string css = root->first_node("style")->value();
    const std::string sizeRule = ".point text { font-size: ";
    ASSERT_NE(css.find(sizeRule), std::string::npos);
    const double size = std::stod(css.substr(css.find(sizeRule) + sizeRule.size()));
    std::vector<Label> labels;
    int points = 0;
    for (const rapidxml::xml_node<>* group = root->first_node("g"); group;
         group = group->next_sibling("g"))
    {
        const rapidxml::xml_attribute<>* kind = group->first_attribute("class");
        if (kind == nullptr || std::string(kind->value()) != "point")
            continue;
        ++points;
        const rapidxml::xml_node<>* text = group->first_node("text");
        if (text == nullptr)
            continue;
        const std::string name = text->value();
        EXPECT_EQ(std::string(group->first_node("title")->value()).rfind(name, 0), 0u)
            << "the tooltip of " << name << " does not name it";
        double width = 0;
        for (const char c : name)
            width += kWidths[c - ' '] * size; // the road's names are ASCII
        const double x = std::stod(text->first_attribute("x")->value());
        const double y = std::stod(text->first_attribute("y")->value());
        labels.push_back({name, x, y - kAscent * size, x + width, y + kDescent * size});
    }
    EXPECT_EQ(points, 3017);
    EXPECT_GE(labels.size(), 1500u) << "labels of " << size << " px";
    std::sort(labels.begin(), labels.end(),
              [](const Label& a, const Label& b) { return a.left < b.left; });
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size() && labels[j].left < labels[i].right; ++j)
            EXPECT_FALSE(labels[i].top < labels[j].bottom && labels[j].top < labels[i].bottom)
                << "labels " << labels[i].text << " and " << labels[j].text << " overlap";
    std::set<std::string> drawn;
    for (const Label& label : labels)
        drawn.insert(label.text);
    // The stations, the point at two positions and the target of the face pair that disagrees,
    // the last two where their neighbours would take the room of their labels if they came first.
    for (const char* name : {"ST1", "ST2", "ST3", "ST4", "ST5", "ST6", "2204", "2506"})
        EXPECT_EQ(drawn.count(name), 1u) << name << " has no label";
}

} // namespace
