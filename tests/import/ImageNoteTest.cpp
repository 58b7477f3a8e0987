// Image notes: the path and the direction of an onboard image, one quoted item each, numbers
// with twelve significant digits whatever the user's regional settings.

#include "import/LandXMLImporter.h"
#include "tests/import/ImportLines.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <clocale>
#include <gtest/gtest.h>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace
{

using Testing::ImportDocument;
using Testing::LandXml;
using Testing::LinesStartingWith;
using Lines = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, std::string>>;

// The note line as the recording host writes it: the note's quotes escaped.
std::string NoteLine(const std::string& path, const std::string& ha, const std::string& va,
                     const std::string& dist = "0")
{
    return "extension.AddImageNote(\"\\\"Path=" + path + "\\\"\\\"HA=" + ha + "\\\"\\\"VA=" + va +
           "\\\"\\\"Dist=" + dist + "\\\"\")";
}

// An extension point P1 with the image IMG1 under p/, its angles from a setup's TPSImage, and
// a standard observation of P1 that sends the note.
std::string NoteDocument(const std::string& horizAngle, const std::string& zenithAngle,
                         const std::string& name = "IMG1", const std::string& location = "p")
{
    const std::string reference =
        "<landxml:DocFileRef name=\"" + name + "\" location=\"" + location + "\"/>";
    return LandXml("<HexagonLandXML><Point uniqueID=\"P1\"><OnboardImages>" + reference +
                   "</OnboardImages></Point><Survey><InstrumentSetup uniqueID=\"1\">"
                   "<TPSImage horizAngle=\"" +
                   horizAngle + "\" zenithAngle=\"" + zenithAngle + "\">" + reference +
                   "</TPSImage></InstrumentSetup></Survey></HexagonLandXML>"
                   "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\"><RawObservation>"
                   "<TargetPoint name=\"P1\"/></RawObservation></InstrumentSetup></Survey>");
}

Lines Notes(const Lines& lines)
{
    return LinesStartingWith(lines, "extension.AddImageNote(");
}

// Angle texts the degrees reading passes on unchanged (no point, or fewer than four characters
// after it), and the numbers the note shows for them.
const std::pair<const char*, const char*> kNumbers[] = {
    {"45.5", "45.5"},
    {"90", "90"},
    {"0", "0"},
    {"333333333333333333e-18", "0.333333333333"}, // one third
    {"123456789012345e-12", "123.456789012"},
    {"1234567890123", "1.23456789012e+12"}, // thirteen integer digits
    {"100000000000", "100000000000"},       // twelve still without exponent
    {"1e-5", "1e-05"},
    {"1e-4", "0.0001"},
    {"-12.5", "-12.5"},
    {"25e-8", "2.5e-07"},
};

TEST(ImageNote, NumbersHaveTwelveSignificantDigits)
{
    const Files files = {{"p/IMG1.jpg", ""}};
    for (const auto& [text, shown] : kNumbers)
        EXPECT_EQ(Notes(ImportDocument(NoteDocument(text, text), {}, files)),
                  Lines{NoteLine("p/IMG1.jpg", shown, shown)})
            << text;
}

TEST(ImageNote, RespelledAnglesReachTheNoteAsTheParserYieldsThem)
{
    const Lines notes =
        Notes(ImportDocument(NoteDocument("45.3000", "400.1000"), {}, {{"p/IMG1.jpg", ""}}));
    EXPECT_EQ(notes, Lines{NoteLine("p/IMG1.jpg", "45.5", "40.1666666667")});
}

TEST(ImageNote, PathIsCopiedUnchanged)
{
    struct Case
    {
        const char* name;
        const char* location;
        Files files;
        const char* path;
    };
    const Case cases[] = {
        {"IMG 1", "my pics", {{"my pics/IMG 1.jpg", ""}}, "my pics/IMG 1.jpg"},
        {"Снимок 1", "фото", {{"фото/Снимок 1.jpg", ""}}, "фото/Снимок 1.jpg"},
        {"IMG1", "p", {}, ""}, // not found: empty path
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            Notes(ImportDocument(NoteDocument("45.5", "90", c.name, c.location), {}, c.files)),
            Lines{NoteLine(c.path, "45.5", "90")})
            << c.name;
}

TEST(ImageNote, DistanceAndNullExtension)
{
    // The document never sets a distance; the note writes whatever the record holds.
    const std::pair<double, const char*> distances[] = {
        {0.0, "0"}, {12.345, "12.345"}, {1.0 / 3.0, "0.333333333333"}, {-0.5, "-0.5"}};
    for (const auto& [distance, shown] : distances)
    {
        Host::Recorder record;
        Host::Sink host(record);
        const bool setting = true;
        {
            Plugin::CLandXMLImporter importer(&host, &setting, Host::ToWideString(u"job.xml"));
            Plugin::ImageRecord image;
            // Quotes are not escaped.
            const Plugin::WideString path = Host::ToWideString(u"a\"b.jpg");
            image.path = path;
            image.horizontalAngle = 1.0 / 3.0;
            image.zenithAngle = 123.456789012345;
            image.distance = distance;
            importer.SendImageNote(image);
        }
        EXPECT_EQ(record.Lines(),
                  (Lines{"GetExtension(2) -> \"extension\"",
                         NoteLine("a\\\"b.jpg", "0.333333333333", "123.456789012", shown)}))
            << shown;
    }

    Host::HostOptions options;
    options.observationExtension = false;
    Host::Recorder record;
    Host::Sink host(record, options);
    const bool setting = true;
    {
        Plugin::CLandXMLImporter importer(&host, &setting, Host::ToWideString(u"job.xml"));
        importer.SendImageNote(Plugin::ImageRecord{});
    }
    EXPECT_EQ(record.Lines(), Lines{"GetExtension(2) -> null"});
}

// A decimal comma for the streams when no such locale is installed.
template <typename Char> class CommaPunct : public std::numpunct<Char>
{
protected:
    Char do_decimal_point() const override { return Char(','); }
    Char do_thousands_sep() const override { return Char('.'); }
    std::string do_grouping() const override { return "\3"; }
};

// Sets a global locale with a decimal comma for the C++ streams and, where one is installed,
// for the C library; restores both on destruction.
class CommaLocale
{
public:
    CommaLocale() : previous(std::locale())
    {
        const char* current = std::setlocale(LC_ALL, nullptr);
        previousC = current != nullptr ? current : "C";
        const char* const names[] = {"ru_RU.UTF-8", "ru_RU.utf8",          "de_DE.UTF-8",
                                     "de_DE.utf8",  "Russian_Russia.1251", "German_Germany.1252"};
        for (const char* name : names)
        {
            try
            {
                std::locale::global(std::locale(name));
                named = name;
                break;
            }
            catch (const std::runtime_error&)
            {
            }
        }
        if (named.empty())
        {
            std::locale::global(
                std::locale(std::locale(std::locale::classic(), new CommaPunct<char>),
                            new CommaPunct<wchar_t>));
            for (const char* name : names)
                if (std::setlocale(LC_NUMERIC, name) != nullptr)
                    break;
        }
        // A named global locale sets the C library's locale as well.
    }
    ~CommaLocale()
    {
        std::locale::global(previous);
        std::setlocale(LC_ALL, previousC.c_str());
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    const std::string& Name() const { return named; }

private:
    std::locale previous;
    std::string previousC;
    std::string named;
};

TEST(ImageNote, UserLocaleDoesNotChangeTheNote)
{
    const Files files = {{"p/IMG1.jpg", ""}};
    std::vector<Lines> classic;
    for (const auto& [text, shown] : kNumbers)
        classic.push_back(ImportDocument(NoteDocument(text, "400.1000"), {}, files));
    const Lines classicRespelled =
        ImportDocument(NoteDocument("123.453012", "1e5.0000"), {}, files);

    const CommaLocale comma;
    std::wostringstream probe;
    probe << 0.5;
    ASSERT_EQ(probe.str(), L"0,5") << "the test needs a global locale with a decimal comma";

    std::size_t row = 0;
    for (const auto& [text, shown] : kNumbers)
    {
        const Lines lines = ImportDocument(NoteDocument(text, "400.1000"), {}, files);
        EXPECT_EQ(lines, classic[row++]) << text << " under " << comma.Name();
        EXPECT_EQ(Notes(lines), Lines{NoteLine("p/IMG1.jpg", shown, "40.1666666667")}) << text;
    }
    EXPECT_EQ(ImportDocument(NoteDocument("123.453012", "1e5.0000"), {}, files), classicRespelled);
}

} // namespace
