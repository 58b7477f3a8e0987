#include "benchmarks/generator/SyntheticLandXml.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace Benchmark
{
namespace
{

// A job is written block by block; one block is one station with its detail points. Everything
// of a block is derived from the seed and the block's number alone, so each section of the
// document can be written on its own and a document of n blocks begins like one of n + 1.
constexpr int kPointsPerBlock = 24;
constexpr int kLineFeatureLength = 5;            // points per standard plan feature
constexpr std::uint64_t kStartTime = 1625036400; // 2021-06-30T07:00:00
constexpr std::uint64_t kBlockSeconds = 900;
constexpr std::uint64_t kPointSeconds = 30;

constexpr std::array<const char*, 10> kCodes = {"KERB", "FENCE", "TREE", "MH",    "WALL",
                                                "LP",   "BLDG",  "EDGE", "HEDGE", "GATE"};
constexpr std::array<const char*, 8> kDescriptions = {
    "top of kerb", "fence post", "oak, crown 6 m",  "manhole cover",
    "wall corner", "lamp post",  "building corner", "edge of tarmac"};
constexpr std::array<std::pair<const char*, const char*>, 6> kAttributes = {{{"H", "1.2"},
                                                                             {"M", "ST"},
                                                                             {"Type", "concrete"},
                                                                             {"Diameter", "0.60"},
                                                                             {"Owner", "city"},
                                                                             {"Cond", "good"}}};

std::uint64_t Mix(std::uint64_t x)
{
    // splitmix64: the same sequence on every platform and compiler.
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::uint64_t Hash(std::uint64_t seed, std::uint64_t block, std::uint64_t item, std::uint64_t salt)
{
    return Mix(Mix(Mix(seed ^ (salt * 0xD6E8FEB86659FD93ull)) + block) + item);
}

// Bytes go to a file, to a string, or nowhere (counting only).
class Output
{
public:
    Output(std::FILE* destination, std::string* text) : file(destination), memory(text)
    {
        buffer.reserve(kFlushSize + 4096);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Put(std::string_view text)
    {
        buffer.append(text);
        if (buffer.size() >= kFlushSize)
            Flush();
    }

    // Unsigned decimal, at least width digits.
    void Number(std::uint64_t value, int width = 1)
    {
        char digits[24];
        int length = 0;
        do
        {
            digits[length++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (; length < width; ++length)
            digits[length] = '0';
        char text[24];
        for (int i = 0; i < length; ++i)
            text[i] = digits[length - 1 - i];
        Put(std::string_view(text, static_cast<std::size_t>(length)));
    }

    // A value given in units of 10^-decimals, written with that many decimals.
    void Fixed(std::uint64_t scaled, int decimals)
    {
        std::uint64_t unit = 1;
        for (int i = 0; i < decimals; ++i)
            unit *= 10;
        Number(scaled / unit);
        Put(".");
        Number(scaled % unit, decimals);
    }

    // ` name="value"`
    void Attribute(std::string_view name, std::string_view value)
    {
        Put(" ");
        Put(name);
        Put("=\"");
        Put(value);
        Put("\"");
    }

    void Flush()
    {
        total += buffer.size();
        if (file != nullptr && !buffer.empty() &&
            std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size())
            throw std::runtime_error("the synthetic document could not be written");
        if (memory != nullptr)
            memory->append(buffer);
        buffer.clear();
    }

    std::uint64_t Total() const { return total + buffer.size(); }

private:
    static constexpr std::size_t kFlushSize = std::size_t{1} << 20;
    std::FILE* file;
    std::string* memory;
    std::string buffer;
    std::uint64_t total = 0;
};

// YYYY-MM-DDThh:mm:ss of a time in seconds since 1970 (proleptic Gregorian calendar, UTC).
std::string TimeStamp(std::uint64_t seconds)
{
    const std::uint64_t days = seconds / 86400;
    const std::uint64_t ofDay = seconds % 86400;
    // Civil date from a day count (the era algorithm, for dates after 1970).
    const std::uint64_t z = days + 719468;
    const std::uint64_t era = z / 146097;
    const std::uint64_t doe = z - era * 146097;
    const std::uint64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::uint64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::uint64_t mp = (5 * doy + 2) / 153;
    const std::uint64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::uint64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::uint64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", static_cast<unsigned>(year),
                  static_cast<unsigned>(month), static_cast<unsigned>(day),
                  static_cast<unsigned>(ofDay / 3600), static_cast<unsigned>(ofDay / 60 % 60),
                  static_cast<unsigned>(ofDay % 60));
    return text;
}

std::string Padded(const char* prefix, std::uint64_t value, int width)
{
    std::string text = prefix;
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<std::size_t>(width))
        text.append(static_cast<std::size_t>(width) - digits.size(), '0');
    return text + digits;
}

struct PointPlan
{
    std::string name;
    const char* code = "";
    const char* description = nullptr;   // no "desc" when null
    std::vector<std::size_t> attributes; // indices into kAttributes
    bool gpsPhase = false;
    bool control = false;
    int images = 0;
    bool imagesInOwnFolder = false; // location other than "Images": two paths are tried
    std::uint64_t northing = 0;     // millimetres
    std::uint64_t easting = 0;
    std::uint64_t height = 0;
    std::uint64_t time = 0;

    std::string ImageName(int image) const
    {
        return "IMG_" + name + "_" + std::to_string(image + 1);
    }
    const char* ImageLocation() const { return imagesInOwnFolder ? "DCIM/100PHOTO" : "Images"; }
};

struct BlockPlan
{
    std::uint64_t block = 0;
    std::string setupId;
    std::string instrumentId;
    PointPlan station;
    std::array<PointPlan, kPointsPerBlock> points;
    std::string previousStation; // backsight target; empty for the first station
    int setupImages = 0;
    std::uint64_t time = 0;
};

PointPlan MakePoint(std::uint64_t seed, std::uint64_t block, std::uint64_t item, std::string name)
{
    PointPlan point;
    point.name = std::move(name);
    const std::uint64_t h = Hash(seed, block, item, 1);
    point.code = kCodes[h % kCodes.size()];
    if ((h >> 8) % 2 == 0)
        point.description = kDescriptions[(h >> 12) % kDescriptions.size()];
    const std::size_t attributeCount = (h >> 16) % 4;
    for (std::size_t i = 0; i < attributeCount; ++i)
        point.attributes.push_back(((h >> 20) + i) % kAttributes.size());
    point.gpsPhase = (h >> 24) % 12 == 0;
    if ((h >> 28) % 3 == 0)
        point.images = 1 + static_cast<int>((h >> 32) % 2);
    point.imagesInOwnFolder = (h >> 34) % 5 == 0;
    // A job site of about 10 km by 10 km, coordinates of fixed width.
    const std::uint64_t c = Hash(seed, block, item, 2);
    point.northing = 6170000000ull + c % 9999999;
    point.easting = 490000000ull + (c >> 24) % 9999999;
    point.height = 20000 + (c >> 48) % 60000;
    return point;
}

BlockPlan MakeBlock(std::uint64_t seed, std::uint64_t block)
{
    BlockPlan plan;
    plan.block = block;
    plan.setupId = Padded("", block + 1, 6);
    plan.instrumentId = Padded("TPS_", block + 1, 6);
    plan.time = kStartTime + block * kBlockSeconds;
    plan.station = MakePoint(seed, block, kPointsPerBlock, Padded("S", block + 1, 6));
    plan.station.control = true;
    plan.station.code = "STN";
    plan.station.images = 0;
    plan.station.gpsPhase = false;
    plan.station.time = plan.time;
    for (int i = 0; i < kPointsPerBlock; ++i)
    {
        const std::uint64_t index = block * kPointsPerBlock + static_cast<std::uint64_t>(i) + 1;
        plan.points[static_cast<std::size_t>(i)] =
            MakePoint(seed, block, static_cast<std::uint64_t>(i), Padded("P", index, 7));
        plan.points[static_cast<std::size_t>(i)].time =
            plan.time + 60 + kPointSeconds * static_cast<std::uint64_t>(i);
    }
    if (block > 0)
        plan.previousStation = Padded("S", block, 6);
    plan.setupImages = Hash(seed, block, 0, 3) % 4 == 0 ? 2 : 1;
    return plan;
}

// An angle in degrees, minutes, seconds and hundredths, written dd.mmsscc as total stations do.
void Angle(Output& out, std::uint64_t hash, unsigned degreesFrom, unsigned degreesSpan)
{
    out.Number(degreesFrom + hash % degreesSpan);
    out.Put(".");
    out.Number((hash >> 12) % 60, 2);
    out.Number((hash >> 20) % 60, 2);
    out.Number((hash >> 28) % 100, 2);
}

void Coordinates(Output& out, const PointPlan& point)
{
    out.Fixed(point.northing, 3);
    out.Put(" ");
    out.Fixed(point.easting, 3);
    out.Put(" ");
    out.Fixed(point.height, 3);
}

class Writer
{
public:
    Writer(std::uint64_t blocks, std::uint64_t seed, Output& output)
        : blockCount(blocks), seedValue(seed), out(output)
    {
    }

    SyntheticCounts Write()
    {
        counts.blocks = blockCount;
        Header();
        Section(&Writer::CgPoints, "<CgPoints>\n", "</CgPoints>\n");
        Section(&Writer::PlanFeatures, "<PlanFeatures>\n", "</PlanFeatures>\n");
        Section(&Writer::Parcels, "<Parcels>\n", "</Parcels>\n");
        out.Put("<Survey>\n<SurveyHeader name=\"Synthetic job\" surveyPurpose=\"normal\"/>\n"
                "<Equipment>\n<InstrumentDetails id=\"TPS_000001\" manufacturer=\"Maker\" "
                "model=\"TS16\" serialNumber=\"3000123\"/>\n</Equipment>\n");
        Section(&Writer::Survey, "", "</Survey>\n");
        out.Put("<HexagonLandXML xmlns=\"http://xml.hexagon.com/schema/HeXML-1.8\" "
                "xmlns:landxml=\"http://www.landxml.org/schema/LandXML-1.2\" "
                "averagingMode=\"Average\">\n");
        Section(&Writer::ExtensionPoints, "", "");
        Section(&Writer::ExtensionFeatures, "", "");
        Section(&Writer::ExtensionSurvey, "<Survey>\n", "</Survey>\n");
        out.Put("</HexagonLandXML>\n</LandXML>\n");
        out.Flush();
        counts.bytes = out.Total();
        return counts;
    }

private:
    using BlockWriter = void (Writer::*)(const BlockPlan&);

    void Section(BlockWriter writeBlock, const char* open, const char* close)
    {
        out.Put(open);
        for (std::uint64_t block = 0; block < blockCount; ++block)
            (this->*writeBlock)(MakeBlock(seedValue, block));
        out.Put(close);
    }

    void Header()
    {
        out.Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\" "
                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                "xsi:schemaLocation=\"http://www.landxml.org/schema/LandXML-1.2 "
                "http://www.landxml.org/schema/LandXML-1.2/LandXML-1.2.xsd\" version=\"1.2\" "
                "date=\"2021-06-30\" time=\"18:00:00\" readOnly=\"false\" language=\"English\">\n"
                "<Units>\n<Metric linearUnit=\"meter\" areaUnit=\"squareMeter\" "
                "volumeUnit=\"cubicMeter\" angularUnit=\"decimal dd.mm.ss\" "
                "latLongAngularUnit=\"decimal degrees\" temperatureUnit=\"celsius\" "
                "pressureUnit=\"HPA\"/>\n</Units>\n"
                "<CoordinateSystem name=\"Local\" horizontalDatum=\"Local\" "
                "verticalDatum=\"Local\"/>\n"
                "<Application name=\"Synthetic field software\" manufacturer=\"Maker\" "
                "version=\"1.0\">\n<Author createdBy=\"benchmark\" "
                "timeStamp=\"2021-06-30T18:00:00\"/>\n</Application>\n");
    }

    void CgPoint(const PointPlan& point)
    {
        out.Put("<CgPoint");
        out.Attribute("name", point.name);
        out.Attribute("oID", point.name);
        out.Attribute("code", point.code);
        if (point.description != nullptr)
            out.Attribute("desc", point.description);
        if (point.control)
            out.Attribute("role", "control point");
        out.Attribute("timeStamp", TimeStamp(point.time));
        out.Put(">");
        Coordinates(out, point);
        out.Put("</CgPoint>\n");
        ++counts.cgPoints;
        // No point has a role that is skipped, and every point has a code.
        ++counts.expectedAddPoint;
        ++counts.expectedPointCodes;
        if (point.control)
            ++counts.controlPoints;
    }

    void CgPoints(const BlockPlan& plan)
    {
        CgPoint(plan.station);
        for (const PointPlan& point : plan.points)
            CgPoint(point);
    }

    void Segment(const char* kind, const PointPlan& from, const PointPlan& to,
                 const PointPlan* centre)
    {
        out.Put("<");
        out.Put(kind);
        out.Put(">\n<Start");
        out.Attribute("pntRef", from.name);
        out.Put(">");
        Coordinates(out, from);
        out.Put("</Start>\n");
        if (centre != nullptr)
        {
            out.Put("<Center>");
            Coordinates(out, *centre);
            out.Put("</Center>\n");
        }
        out.Put("<End");
        out.Attribute("pntRef", to.name);
        out.Put(">");
        Coordinates(out, to);
        out.Put("</End>\n</");
        out.Put(kind);
        out.Put(">\n");
    }

    void PlanFeatures(const BlockPlan& plan)
    {
        // Two line strings per station, of five consecutive detail points each.
        for (int feature = 0; feature < 2; ++feature)
        {
            const std::size_t first = static_cast<std::size_t>(feature) * 6;
            const PointPlan& head = plan.points[first];
            out.Put("<PlanFeature");
            out.Attribute("name", std::string(head.code) + "_" +
                                      std::to_string(plan.block * 2 + feature + 1));
            out.Put(">\n<CoordGeom>\n");
            const bool startsWithCurve = Hash(seedValue, plan.block, first, 4) % 4 == 0;
            for (int i = 0; i + 1 < kLineFeatureLength; ++i)
            {
                const PointPlan& from = plan.points[first + static_cast<std::size_t>(i)];
                const PointPlan& to = plan.points[first + static_cast<std::size_t>(i) + 1];
                if (i == 0 && startsWithCurve)
                    Segment("Curve", from, to, &plan.points[first + 2]);
                else
                    Segment("Line", from, to, nullptr);
            }
            out.Put("</CoordGeom>\n</PlanFeature>\n");
            ++counts.planFeatures;
        }
    }

    void Parcels(const BlockPlan& plan)
    {
        if (plan.block % 4 != 0)
            return;
        out.Put("<Parcel");
        out.Attribute("name", Padded("LOT_", plan.block / 4 + 1, 5));
        out.Put(" area=\"412.5\" parcelType=\"lot\">\n<CoordGeom>\n");
        constexpr std::array<std::size_t, 5> corners = {12, 13, 14, 15, 12};
        for (std::size_t i = 0; i + 1 < corners.size(); ++i)
            Segment("Line", plan.points[corners[i]], plan.points[corners[i + 1]], nullptr);
        out.Put("</CoordGeom>\n</Parcel>\n");
        ++counts.parcels;
    }

    void Observation(const BlockPlan& plan, const PointPlan& target, std::uint64_t item, bool face,
                     std::uint64_t time)
    {
        const std::uint64_t h = Hash(seedValue, plan.block, item, 5);
        out.Put("<RawObservation");
        out.Attribute("setupID", plan.setupId);
        out.Put(" targetHeight=\"");
        out.Fixed(1300 + h % 1000, 3);
        out.Put("\"");
        out.Attribute("directFace", face ? "true" : "false");
        out.Put(" horizAngle=\"");
        Angle(out, h >> 10, 0, 360);
        out.Put("\" zenithAngle=\"");
        Angle(out, h >> 20, 80, 20);
        out.Put("\" slopeDistance=\"");
        out.Fixed(2000 + (h >> 40) % 180000, 4);
        out.Put("\"");
        out.Attribute("timeStamp", TimeStamp(time));
        out.Put(">\n<TargetPoint");
        out.Attribute("name", target.name);
        out.Attribute("pntRef", target.name);
        out.Put(">");
        Coordinates(out, target);
        out.Put("</TargetPoint>\n</RawObservation>\n");

        ++counts.rawObservations;
        ++counts.expectedTargets;
        ++counts.expectedDistances;
        ++counts.expectedTimeStamps;
        ++counts.expectedPointCodes; // every target has an extension point with a code
        counts.expectedImageNotes += static_cast<std::uint64_t>(target.images);
    }

    // The backsight to the previous station in both faces, then each detail point once.
    template <typename Visit> void ForEachObservation(const BlockPlan& plan, Visit visit)
    {
        std::uint64_t item = 0;
        if (!plan.previousStation.empty())
        {
            const BlockPlan previous = MakeBlock(seedValue, plan.block - 1);
            visit(previous.station, item, true, plan.time + 10);
            ++item;
            visit(previous.station, item, false, plan.time + 40);
            ++item;
        }
        for (const PointPlan& point : plan.points)
        {
            visit(point, item, true, point.time);
            ++item;
        }
    }

    void Survey(const BlockPlan& plan)
    {
        const std::uint64_t h = Hash(seedValue, plan.block, 0, 6);
        out.Put("<InstrumentSetup");
        out.Attribute("id", plan.setupId);
        out.Attribute("stationName", plan.station.name);
        out.Put(" instrumentHeight=\"");
        out.Fixed(1400 + h % 300, 3);
        out.Put("\"");
        out.Attribute("instrumentDetailsID", plan.instrumentId);
        out.Put(">\n<InstrumentPoint");
        out.Attribute("pntRef", plan.station.name);
        out.Put(">");
        Coordinates(out, plan.station);
        out.Put("</InstrumentPoint>\n</InstrumentSetup>\n<ObservationGroup");
        out.Attribute("id", "o" + plan.setupId);
        out.Attribute("setupID", plan.setupId);
        out.Put(">\n");
        ForEachObservation(
            plan, [&](const PointPlan& target, std::uint64_t item, bool face, std::uint64_t time)
            { Observation(plan, target, item, face, time); });
        out.Put("</ObservationGroup>\n");
        ++counts.setups;
        // Each setup is activated when it is read and again for its observation group; every
        // setup has a TPS correction with a pressure.
        counts.expectedStations += 2;
        counts.expectedPressures += 2;
    }

    void ImageReference(const std::string& name, const char* location)
    {
        out.Put("<landxml:DocFileRef");
        out.Attribute("name", name);
        out.Attribute("location", location);
        out.Put(" fileFormat=\"jpg\"/>\n");
    }

    // Neither image path exists beside the document: the location path, and the Images path
    // when it differs, are reported missing in each of the two extension passes.
    void CountMissingImage(const char* location)
    {
        counts.expectedWarnings += std::strcmp(location, "Images") == 0 ? 2 : 4;
    }

    void ExtensionPoint(const PointPlan& point)
    {
        out.Put("<Point");
        out.Attribute("uniqueID", point.name);
        out.Attribute("class", point.control ? "control" : "measured");
        out.Attribute("subclass", point.gpsPhase ? "GPS phase" : "TPS");
        out.Put(" lineworkFlag=\"CONT\" applicationNumber=\"1\">\n"
                "<Coordinates originalCoordSysKind=\"Local\" originalHeightKind=\"orthometric\">"
                "\n<Local>\n<Grid e=\"");
        out.Fixed(point.easting, 3);
        out.Put("\" n=\"");
        out.Fixed(point.northing, 3);
        out.Put("\" hghthO=\"");
        out.Fixed(point.height, 3);
        out.Put("\"/>\n</Local>\n</Coordinates>\n<PointCode");
        out.Attribute("code", point.code);
        out.Put(" codeDesc=\"\" codeGroup=\"Survey\" codeLinework=\"none\">\n");
        int id = 1;
        for (const std::size_t attribute : point.attributes)
        {
            out.Put(" <Attribute");
            out.Attribute("name", kAttributes[attribute].first);
            out.Attribute("value", kAttributes[attribute].second);
            out.Put(" id=\"");
            out.Number(static_cast<std::uint64_t>(id++));
            out.Put("\"/>\n");
        }
        out.Put("</PointCode>\n");
        if (point.images > 0)
        {
            out.Put("<OnboardImages>\n");
            for (int image = 0; image < point.images; ++image)
            {
                ImageReference(point.ImageName(image), point.ImageLocation());
                ++counts.pointImages;
                CountMissingImage(point.ImageLocation());
            }
            out.Put("</OnboardImages>\n");
        }
        out.Put("<PointQuality CQ3D=\"0.004\" CQPos=\"0.003\" CQHeight=\"0.002\"/>\n</Point>\n");
        ++counts.extensionPoints;
    }

    void ExtensionPoints(const BlockPlan& plan)
    {
        ExtensionPoint(plan.station);
        for (const PointPlan& point : plan.points)
            ExtensionPoint(point);
    }

    void ExtensionFeatures(const BlockPlan& plan)
    {
        if (plan.block % 2 != 0)
            return;
        const PointPlan& head = plan.points[18];
        out.Put("<PlanFeature");
        out.Attribute("name", std::string("ARC_") + std::to_string(plan.block / 2 + 1));
        out.Put(">\n<CoordGeom>\n<Curve rot=\"cw\">\n<Start");
        out.Attribute("pntRef", head.name);
        out.Put("/>\n<Mid");
        out.Attribute("pntRef", plan.points[19].name);
        out.Put("/>\n<End");
        out.Attribute("pntRef", plan.points[20].name);
        out.Put("/>\n</Curve>\n<BestFitCurve>\n<Chain>");
        for (std::size_t i = 20; i < 24; ++i)
        {
            if (i != 20)
                out.Put(" ");
            out.Put(plan.points[i].name);
        }
        out.Put("</Chain>\n</BestFitCurve>\n</CoordGeom>\n</PlanFeature>\n");
        ++counts.extensionFeatures;
    }

    void TpsImage(std::uint64_t hash, const std::string& name, const char* location,
                  std::uint64_t time)
    {
        out.Put("<TPSImage horizAngle=\"");
        Angle(out, hash, 0, 360);
        out.Put("\" zenithAngle=\"");
        Angle(out, hash >> 24, 80, 20);
        out.Put("\"");
        out.Attribute("timeStamp", TimeStamp(time));
        out.Put(">\n");
        ImageReference(name, location);
        out.Put("</TPSImage>\n");
    }

    void ExtensionSurvey(const BlockPlan& plan)
    {
        const std::uint64_t h = Hash(seedValue, plan.block, 0, 7);
        out.Put("<TPSCorrection");
        out.Attribute("instrumentDetailsID", plan.instrumentId);
        out.Put(" pressure=\"");
        out.Fixed(9800 + h % 400, 1);
        out.Put("\" dryTemperature=\"");
        out.Fixed(100 + (h >> 10) % 200, 1);
        out.Put("\" wetTemperature=\"0.0\" relativeHumidity=\"60.0\" atmosphericPPM=\"");
        out.Fixed((h >> 20) % 90, 1);
        out.Put("\" refractionCoefficient=\"0.13\"/>\n");
        ++counts.tpsCorrections;

        out.Put("<InstrumentSetup");
        out.Attribute("uniqueID", plan.setupId);
        out.Attribute("stationName", plan.station.name);
        out.Put(" orientationCorrection=\"0.00.00.00\">\n");
        ForEachObservation(plan,
                           [&](const PointPlan& target, std::uint64_t, bool face, std::uint64_t)
                           {
                               out.Put("<RawObservation");
                               out.Attribute("targetPntRef", target.name);
                               out.Attribute("reflectorConstant",
                                             target.control ? "0.0000" : "0.0344");
                               out.Attribute("reflectorName", "Round prism");
                               out.Attribute("face", face ? "I" : "II");
                               out.Put("/>\n");
                               ++counts.extensionObservations;
                           });
        // The images taken of the detail points, found again by their names.
        for (const PointPlan& point : plan.points)
            for (int image = 0; image < point.images; ++image)
            {
                TpsImage(Hash(seedValue, plan.block, point.time, 8) + static_cast<unsigned>(image),
                         point.ImageName(image), point.ImageLocation(), point.time + 5);
                ++counts.tpsImagesOfPoints;
            }
        // Images of the station itself, which no extension point lists.
        for (int image = 0; image < plan.setupImages; ++image)
        {
            TpsImage(Hash(seedValue, plan.block, static_cast<std::uint64_t>(image), 9),
                     "SETUP_" + plan.setupId + "_" + std::to_string(image + 1), "Images",
                     plan.time + 20 + static_cast<std::uint64_t>(image));
            ++counts.setupImages;
            CountMissingImage("Images");
            // Sent in the second pass, right after its station's activation.
            ++counts.expectedStations;
            ++counts.expectedPressures;
            ++counts.expectedImageNotes;
        }
        out.Put("</InstrumentSetup>\n");
    }

    std::uint64_t blockCount;
    std::uint64_t seedValue;
    Output& out;
    SyntheticCounts counts;
};

SyntheticCounts WriteBlocks(std::uint64_t blocks, std::uint64_t seed, std::FILE* file,
                            std::string* text)
{
    Output out(file, text);
    return Writer(blocks, seed, out).Write();
}

} // namespace

SyntheticCounts CountSyntheticLandXml(std::uint64_t blocks, std::uint64_t seed)
{
    return WriteBlocks(blocks, seed, nullptr, nullptr);
}

std::uint64_t BlocksForSize(std::uint64_t targetBytes, std::uint64_t seed)
{
    // Blocks differ only in their random parts, so two samples give the fixed part and the mean
    // size of a block.
    constexpr std::uint64_t kFew = 8;
    constexpr std::uint64_t kMany = 72;
    const double few = static_cast<double>(CountSyntheticLandXml(kFew, seed).bytes);
    const double many = static_cast<double>(CountSyntheticLandXml(kMany, seed).bytes);
    const double perBlock = (many - few) / static_cast<double>(kMany - kFew);
    const double fixed = few - perBlock * static_cast<double>(kFew);
    const double blocks = (static_cast<double>(targetBytes) - fixed) / perBlock;
    return blocks < 1.5 ? 1 : static_cast<std::uint64_t>(blocks + 0.5);
}

SyntheticCounts WriteSyntheticLandXml(const SyntheticOptions& options, std::FILE* file)
{
    return WriteBlocks(BlocksForSize(options.targetBytes, options.seed), options.seed, file,
                       nullptr);
}

std::string SyntheticLandXml(const SyntheticOptions& options, SyntheticCounts* counts)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(options.targetBytes + options.targetBytes / 50));
    const SyntheticCounts written =
        WriteBlocks(BlocksForSize(options.targetBytes, options.seed), options.seed, nullptr, &text);
    if (counts != nullptr)
        *counts = written;
    return text;
}

} // namespace Benchmark
