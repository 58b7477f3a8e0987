// Paths the host may hand over that are not plain files at plain places: a folder, a FIFO,
// Cyrillic and very long paths, and documents whose image references climb out of their folder.

#include "document/StringTable.h"
#include "tests/hostile/HostileSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestImport.h"

#include <chrono>
#include <fstream>
#include <future>
#include <gtest/gtest.h>

namespace
{

std::u16string Text16(const Plugin::WideString& text)
{
    return std::u16string(text.begin(), text.end());
}

std::vector<std::string> CannotOpen(const std::filesystem::path& path)
{
    return {Hostile::TextCall("BeginFile", Text16(Host::HostPath(path))),
            Hostile::TextCall(
                "ReportError",
                Text16(Plugin::WideString(Plugin::LoadText(Plugin::TextCannotOpenFile).View())))};
}

// Imports path; a blocked import fails the test instead of hanging it (see Release below).
Host::ImportRun ImportWithin(const std::filesystem::path& path, const std::string& what,
                             const std::filesystem::path& fifo = {})
{
    auto import = std::async(std::launch::async, [path] { return Host::ImportPaths({path}); });
    if (import.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
    {
        ADD_FAILURE() << what << ": the import blocked";
        // A reader blocked on the FIFO goes on once a writer opens it and closes it again.
        if (!fifo.empty())
            std::ofstream release(fifo);
    }
    return import.get();
}

TEST(HostilePaths, AFolderCannotBeOpened)
{
    const Testing::TempFolder folder;
    const auto sub = folder.Child("sub.xml");
    std::filesystem::create_directories(sub);
    const Host::ImportRun run = ImportWithin(sub, "folder");
    ASSERT_EQ(Hostile::Problems(run), "");
    EXPECT_EQ(run.lines, CannotOpen(sub));
}

TEST(HostilePaths, AFifoCannotBeOpenedAndNeverBlocks)
{
    const Testing::TempFolder folder;
    const auto fifo = folder.Child("pipe.xml");
    if (!Testing::CreateFifo(fifo))
    {
        EXPECT_FALSE(std::filesystem::exists(fifo));
        GTEST_SKIP() << "this system makes no FIFOs";
    }
    const Host::ImportRun run = ImportWithin(fifo, "FIFO", fifo);
    ASSERT_EQ(Hostile::Problems(run), "");
    EXPECT_EQ(run.lines, CannotOpen(fifo));
}

// A document at an unusual path imports exactly as at a plain one, as long as the C runtime can
// read it there at all; where it cannot, the plug-in reports that it cannot open the file.
void ExpectImportsAsAtAPlainPath(const std::filesystem::path& path, const std::string& what)
{
    const std::string document = Testing::ReadBytes(Hostile::SampleDocuments().front());
    const Testing::TempFolder plainFolder;
    const Host::ImportRun plain = Host::ImportPaths({plainFolder.Write("plain.xml", document)});
    {
        std::ofstream out(path, std::ios::binary);
        out << document;
    }
    const bool readable = std::ifstream(path, std::ios::binary).good();
    const Host::ImportRun run = ImportWithin(path, what);
    ASSERT_EQ(Hostile::Problems(run), "") << what;
    ASSERT_FALSE(run.lines.empty()) << what;
    EXPECT_EQ(run.lines[0], Hostile::TextCall("BeginFile", Text16(Host::HostPath(path)))) << what;
    if (!readable)
    {
        EXPECT_EQ(run.lines, CannotOpen(path)) << what;
        return;
    }
    ASSERT_EQ(run.lines.size(), plain.lines.size()) << what;
    for (std::size_t i = 1; i < run.lines.size(); ++i)
        EXPECT_EQ(run.lines[i], plain.lines[i]) << what << ", call " << i;
}

TEST(HostilePaths, CyrillicPathsImport)
{
    const Testing::TempFolder folder;
    const auto sub = folder.Child("Проект Ж/Съёмка ё");
    std::filesystem::create_directories(sub);
    ExpectImportsAsAtAPlainPath(sub / std::filesystem::u8path("точки №1.xml"), "Cyrillic path");
}

TEST(HostilePaths, PathsOfMoreThan300CharactersImportOrCannotBeOpened)
{
    const Testing::TempFolder folder;
    std::filesystem::path deep = folder.Path();
    for (const char* part : {"Съёмка-", "survey-", "данные-"})
    {
        std::string name = part;
        while (name.size() < 110)
            name += "x";
        deep /= std::filesystem::u8path(name);
    }
    std::error_code error;
    std::filesystem::create_directories(deep, error);
    if (error)
    {
        EXPECT_FALSE(std::filesystem::is_directory(deep));
        GTEST_SKIP() << "this system makes no folders at paths this long: " << error.message();
    }
    const auto path = deep / "long-path-document.xml";
    ASSERT_GT(Host::HostPath(path).size(), 300u);
    ExpectImportsAsAtAPlainPath(path, "long path");
}

// A document whose one image, of its one observed point, sits at location relative to the
// document's folder.
std::string DocumentWithImage(const std::string& location)
{
    return Testing::LandXml(
        "<HexagonLandXML><Point uniqueID=\"P2\"><OnboardImages><landxml:DocFileRef name=\"IMG\" "
        "location=\"" +
        location +
        "\"/></OnboardImages></Point></HexagonLandXML>"
        "<Survey><InstrumentSetup id=\"1\" stationName=\"ST1\"/><ObservationGroup id=\"o1\">"
        "<RawObservation><TargetPoint name=\"P2\"/></RawObservation></ObservationGroup></Survey>");
}

std::vector<std::string> LinesOf(const Host::ImportRun& run, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : run.lines)
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

std::string Note(const std::u16string& path)
{
    Host::Call call;
    call.object = "extension";
    call.method = "AddImageNote";
    call.arguments = {Host::Text{u"\"Path=" + path + u"\"\"HA=0\"\"VA=0\"\"Dist=0\""}};
    return Host::FormatCall(call);
}

std::string Warning(const std::u16string& path)
{
    return Hostile::TextCall("ReportWarning", u"Файл " + path + u" не найден");
}

TEST(HostilePaths, ImageReferencesThatClimbOutOfTheFolder)
{
    // The plug-in only asks whether something exists there and names it in the note.
    const Testing::TempFolder folder;
    folder.Write("IMG.jpg", "jpeg");
    std::string toTheTop;
    for (int i = 0; i < 64; ++i)
        toTheTop += "../";
    const struct
    {
        const char* name;
        std::string location;
        bool found;
    } cases[] = {
        {"two levels up, found", "../..", true},
        {"two levels up and back, found", "../../sub/../.", true},
        {"three levels up, missing", "../../..", false},
        {"above the file system's root", toTheTop + "nowhere", false},
    };
    for (const auto& item : cases)
    {
        const auto path = folder.Write("a/b/document.xml", DocumentWithImage(item.location));
        std::filesystem::create_directories(folder.Child("sub"));
        const Host::ImportRun run = ImportWithin(path, item.name);
        ASSERT_EQ(Hostile::Problems(run), "") << item.name;
        const std::u16string relative = Host::FromUtf8(item.location + "/IMG.jpg");
        if (item.found)
        {
            EXPECT_EQ(LinesOf(run, "ReportWarning"), std::vector<std::string>{}) << item.name;
            EXPECT_EQ(LinesOf(run, "extension.AddImageNote"),
                      std::vector<std::string>{Note(relative)})
                << item.name;
        }
        else
        {
            const std::vector<std::string> warnings = {Warning(relative),
                                                       Warning(u"Images/IMG.jpg")};
            std::vector<std::string> twice = warnings; // both extension passes
            twice.insert(twice.end(), warnings.begin(), warnings.end());
            EXPECT_EQ(LinesOf(run, "ReportWarning"), twice) << item.name;
            EXPECT_EQ(LinesOf(run, "extension.AddImageNote"), std::vector<std::string>{Note(u"")})
                << item.name;
        }
    }
}

TEST(HostilePaths, AnImageThatIsAFifoIsNeverOpened)
{
    // The plug-in only asks whether something exists where an image should be: a FIFO there
    // is found like a file, and the import does not wait for a writer.
    const Testing::TempFolder folder;
    const auto fifo = folder.Child("FIFO.jpg");
    if (!Testing::CreateFifo(fifo))
    {
        EXPECT_FALSE(std::filesystem::exists(fifo));
        GTEST_SKIP() << "this system makes no FIFOs";
    }
    std::string document = DocumentWithImage("../..");
    document.replace(document.find("name=\"IMG\""), 10, "name=\"FIFO\"");
    const auto path = folder.Write("a/b/fifo.xml", document);
    const Host::ImportRun run = ImportWithin(path, "image that is a FIFO", fifo);
    ASSERT_EQ(Hostile::Problems(run), "");
    EXPECT_EQ(LinesOf(run, "ReportWarning"), std::vector<std::string>{});
    EXPECT_EQ(LinesOf(run, "extension.AddImageNote"),
              std::vector<std::string>{Note(u"../../FIFO.jpg")});
}

} // namespace
