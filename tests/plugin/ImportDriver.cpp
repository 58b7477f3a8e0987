// The import driver: the walk over the host's paths and what it reports for each file.

#include "plugin/ImportDriver.h"
#include "platform/HResultError.h"
#include "platform/Platform.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestImport.h"
#include "tools/host/FailingObserver.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <chrono>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <new>
#include <optional>
#include <stdexcept>

namespace
{

using namespace Plugin;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

const std::string kCannotOpen = R"(ReportError("Не удается открыть файл"))";
const std::string kFormatError = R"(ReportError("Ошибка в формате файла"))";
const std::string kFileResult = "SetFileResult(-1)";
const std::string kHalfway = "SetProgress(50)";
const std::string kDone = "SetProgress(100)";

std::string BeginFile(const std::string& name)
{
    return "BeginFile(\"<dir>/" + name + "\")";
}

// The methods of the recorded calls, in call order.
Lines MethodsOf(const Host::Recorder& record)
{
    Lines methods;
    for (const Host::Call& call : record.Calls())
        methods.push_back(call.method);
    return methods;
}

// Imports the host's paths with the host, whose calls go to observer, the path list's to
// pathCalls. Returns the reason of a Host::ImportCancelled that left the import, 0 when none
// did; every host object is released by then either way.
int ImportWith(const std::vector<std::u16string>& paths, Host::Observer& observer,
               Host::Recorder& pathCalls)
{
    std::vector<WideString> hostPaths;
    for (const std::u16string& path : paths)
        hostPaths.push_back(Host::ToWideString(path));
    Host::Sink host(observer);
    Host::PathList list(hostPaths, &pathCalls);
    const bool setting = true;
    int cancelled = 0;
    try
    {
        ImportFiles(list, host, &setting);
    }
    catch (const Host::ImportCancelled& cancel)
    {
        cancelled = cancel.reason;
    }
    EXPECT_EQ(host.LiveObjects(), 0) << "host objects left with references";
    return cancelled;
}

// Imports the host's paths; the enumerator's calls go to enumeratorCalls.
Lines Import(const std::vector<std::u16string>& paths, Lines* enumeratorCalls = nullptr)
{
    Host::Recorder record;
    Host::Recorder pathCalls;
    ImportWith(paths, record, pathCalls);
    if (enumeratorCalls != nullptr)
        *enumeratorCalls = MethodsOf(pathCalls);
    return record.Lines();
}

TEST(ImportDriver, EachKindOfFileGetsItsSequenceOfSinkCalls)
{
    const std::string file = BeginFile("document.xml");
    const struct
    {
        const char* name;
        std::string bytes;
        Lines expected;
    } rows[] = {
        {"malformed", "<LandXML><Units>", {file, kFileResult, kFormatError, kDone}},
        {"no LandXML root",
         "<?xml version=\"1.0\"?><Other/>",
         {file, kHalfway, kFileResult, kFormatError, kDone}},
        {"LandXML document", "<LandXML version=\"1.2\"/>", {file, kHalfway, kDone}},
        {"empty file", "", {file, kHalfway, kFileResult, kFormatError, kDone}},
        {"zero byte in an element",
         "<LandXML>\0</LandXML>"s,
         {file, kFileResult, kFormatError, kDone}},
        {"zero byte after the root", "<LandXML/>\n\0<unclosed>"s, {file, kHalfway, kDone}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Testing::SinkCalls(Testing::ImportDocument(row.bytes)), row.expected) << row.name;
}

TEST(ImportDriver, FilesThatCannotBeOpenedAreReportedAndTheNextIsImported)
{
    const Testing::TempFolder folder;
    std::filesystem::create_directory(folder.Child("folder"));
    const Lines lines = Testing::ImportPaths(
        {folder.Child("missing.xml"), folder.Child("folder"), folder.Write("b.xml", "<LandXML/>")},
        folder.Path());
    EXPECT_EQ(Testing::SinkCalls(lines),
              Lines({BeginFile("missing.xml"), kCannotOpen, BeginFile("folder"), kCannotOpen,
                     BeginFile("b.xml"), kHalfway, kDone}));
}

TEST(ImportDriver, EnumeratorIsResetThenWalkedInTheHostsOrder)
{
    Lines calls;
    EXPECT_TRUE(Import({}, &calls).empty()) << "no path, no sink call";
    EXPECT_EQ(calls, Lines({"Reset", "HasCurrent"}));
    EXPECT_EQ(Import({u"a", u"b"}, &calls),
              Lines({R"(BeginFile("a"))", kCannotOpen, R"(BeginFile("b"))", kCannotOpen}));
    EXPECT_EQ(calls, Lines({"Reset", "HasCurrent", "GetCurrent", "MoveNext", "HasCurrent",
                            "GetCurrent", "MoveNext", "HasCurrent"}));
}

TEST(ImportDriver, BeginFileReceivesTheHostsPathExactly)
{
    const Testing::TempFolder folder;
    folder.Write("document.xml", "<LandXML/>");
    const std::u16string base = folder.Path().u16string();
    const std::vector<std::u16string> paths = {base + u"/./document.xml", base + u"//missing.xml",
                                               u"", u"relative/../нет.xml",
                                               u"\U0001D11E blank at the end "};
    Host::Recorder record;
    Host::Recorder pathCalls;
    ImportWith(paths, record, pathCalls);
    std::vector<std::u16string> begun;
    for (const Host::Call& call : record.Calls())
        if (call.method == "BeginFile")
            begun.push_back(std::get<Host::Text>(call.arguments.at(0)).value);
    EXPECT_EQ(begun, paths);
    EXPECT_EQ(record.Lines().at(1), kHalfway) << "the first path, spelled as given, imports";
}

TEST(ImportDriver, ANamedPipeIsReportedAsUnopenableWithoutBlocking)
{
    const Testing::TempFolder folder;
    const std::filesystem::path pipe = folder.Child("pipe.xml");
    if (!Testing::CreateFifo(pipe))
        GTEST_SKIP() << "no named pipes here";
    std::future<Lines> import = std::async(
        std::launch::async, [&] { return Import({Host::FromWide(Host::HostPath(pipe).c_str())}); });
    if (import.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
    {
        std::ofstream{pipe}; // a writer that comes and goes lets a blocked reader go on
        import.wait();
        FAIL() << "the import blocked on a named pipe";
    }
    EXPECT_EQ(import.get().at(1), kCannotOpen);
}

// The system's text for an error, as the host is told it.
std::string ErrorTextOf(std::int32_t code)
{
    WideChar text[512];
    if (!Platform::SystemErrorText(code, text, std::size(text)))
        return "";
    return Host::ToUtf8(Host::FromWide(text));
}

struct TwoFiles
{
    TwoFiles()
    {
        first = Host::FromWide(
            Host::HostPath(
                folder.Write("first.xml",
                             Testing::LandXml("<CgPoints><CgPoint name=\"P\"/></CgPoints>")))
                .c_str());
        second = Host::FromWide(Host::HostPath(folder.Write("second.xml", "<LandXML/>")).c_str());
    }
    Testing::TempFolder folder;
    std::u16string first;
    std::u16string second;
};

// In one C++ runtime an error raised by a host callback cannot be told from one of the plug-in's
// own code at that point: the test takes it as such.
TEST(ImportDriver, AnErrorOfThePluginsOwnEndsOnlyItsFileWithTheSystemsText)
{
    const TwoFiles files;
    constexpr std::int32_t kNoText = static_cast<std::int32_t>(0xE0DE0001);
    const struct
    {
        const char* call;
        Host::Method method;
        std::optional<double> percent;
        void (*raise)();
        std::string message;
    } rows[] = {
        {"SetProgress(50)", Host::Method::SetProgress, 50.0, [] { throw std::bad_alloc(); },
         ErrorTextOf(E_OUTOFMEMORY_HR)},
        {"AddPoint",
         Host::Method::AddPoint,
         {},
         [] { throw HResultError(E_FAIL_HR); },
         ErrorTextOf(E_FAIL_HR)},
        {"BeginFile",
         Host::Method::BeginFile,
         {},
         [] { throw HResultError(E_INVALIDARG_HR); },
         ErrorTextOf(E_INVALIDARG_HR)},
        {"SetProgress(100)", Host::Method::SetProgress, 100.0, [] { throw HResultError(kNoText); },
         "0xE0DE0001"},
        {"AddPoint",
         Host::Method::AddPoint,
         {},
         [] { throw std::length_error("too long"); },
         ErrorTextOf(E_FAIL_HR)},
    };
    for (const auto& row : rows)
    {
        ASSERT_FALSE(row.message.empty()) << row.call << ": the system has a text for the code";
        Host::Recorder record;
        Host::FailingObserver failing(record, row.method, row.raise, row.percent);
        Host::Recorder pathCalls;
        EXPECT_EQ(ImportWith({files.first, files.second}, failing, pathCalls), 0) << row.call;
        Lines calls = Testing::SinkCalls(record.Lines());
        Host::Call begin;
        begin.method = "BeginFile";
        begin.arguments = {Host::Text{files.second}};
        const Lines secondFile = {Host::FormatCall(begin), kHalfway, kDone};
        const Lines report = {kFileResult, "ReportError(\"" + row.message + "\")", kDone};
        ASSERT_GE(calls.size(), secondFile.size() + report.size()) << row.call;
        EXPECT_EQ(Lines(calls.end() - 6, calls.end() - 3), report) << row.call;
        EXPECT_EQ(Lines(calls.end() - 3, calls.end()), secondFile) << row.call;
        EXPECT_EQ(MethodsOf(pathCalls).size(), 8u) << row.call << ": both paths are visited";
    }
}

TEST(ImportDriver, TheHostsOwnExceptionPassesUnchangedAfterTheFileIsReleased)
{
    const TwoFiles files;
    const struct
    {
        const char* call;
        Host::Method method;
        std::optional<double> percent;
    } rows[] = {{"SetProgress(50)", Host::Method::SetProgress, 50.0},
                {"AddPoint", Host::Method::AddPoint, {}},
                {"SetProgress(100)", Host::Method::SetProgress, 100.0}};
    for (const auto& [call, method, percent] : rows)
    {
        Host::Recorder record;
        Host::FailingObserver failing(
            record, method, [] { throw Host::ImportCancelled{17}; }, percent);
        Host::Recorder pathCalls;
        EXPECT_EQ(ImportWith({files.first, files.second}, failing, pathCalls), 17) << call;
        EXPECT_EQ(MethodsOf(pathCalls), Lines({"Reset", "HasCurrent", "GetCurrent"}))
            << call << ": the second path is not visited";
        const Lines lines = record.Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), kFileResult), 0) << call;
    }
}

} // namespace
