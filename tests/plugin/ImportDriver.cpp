// The import driver: the walk over the host's paths and what it reports for each file.

#include "plugin/ImportDriver.h"
#include "platform/Platform.h"
#include "plugin/HResultError.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestImport.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <chrono>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <new>
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

// The host's list of the paths, its calls recorded in pathCalls.
Host::PathList PathsOf(const std::vector<std::u16string>& paths, Host::Recorder& pathCalls)
{
    std::vector<WideString> hostPaths;
    for (const std::u16string& path : paths)
        hostPaths.push_back(Host::ToWideString(path));
    return Host::PathList(hostPaths, &pathCalls);
}

// Imports the host's paths; the enumerator's calls go to enumeratorCalls.
Lines Import(const std::vector<std::u16string>& paths, Lines* enumeratorCalls = nullptr)
{
    Host::Recorder record;
    Host::Sink host(record);
    Host::Recorder pathCalls;
    Host::PathList list = PathsOf(paths, pathCalls);
    const bool setting = true;
    ImportFiles(list, host, &setting);
    if (enumeratorCalls != nullptr)
        *enumeratorCalls = MethodsOf(pathCalls);
    EXPECT_EQ(host.LiveObjects(), 0);
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
    Host::Sink host(record);
    Host::Recorder pathCalls;
    Host::PathList list = PathsOf(paths, pathCalls);
    const bool setting = true;
    ImportFiles(list, host, &setting);
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

// A sink that raises an error at the first BeginFile, AddPoint or SetProgress of a given percent,
// before the recording host sees the call; every other call goes straight to the recording host.
// In one C++ runtime an error raised there cannot be told from one of the plug-in's own code at
// that point: the tests take it as such.
class FailingSink final : public IImportSink
{
public:
    FailingSink(Host::Sink& recording, std::string call, void (*raise)())
        : host(recording), failingCall(std::move(call)), raiseError(raise)
    {
    }
    void BeginFile(const WideChar* path) override
    {
        Check("BeginFile");
        host.BeginFile(path);
    }
    void AddPoint(const WideChar* name) override
    {
        Check("AddPoint");
        host.AddPoint(name);
    }
    void SetProgress(float percent) override
    {
        Check("SetProgress(" + std::to_string(static_cast<int>(percent)) + ")");
        host.SetProgress(percent);
    }
    IValueParserFactory* GetValueParserFactory() override { return host.GetValueParserFactory(); }
    ISinkExtension* GetExtension(int kind) override { return host.GetExtension(kind); }
    void SetFileResult(int value) override { host.SetFileResult(value); }
    void ReportWarning(const WideChar* value) override { host.ReportWarning(value); }
    void ReportError(const WideChar* value) override { host.ReportError(value); }
    void SetNorthing(double value) override { host.SetNorthing(value); }
    void SetEasting(double value) override { host.SetEasting(value); }
    void SetElevation(double value) override { host.SetElevation(value); }
    void SetPlanType(int value) override { host.SetPlanType(value); }
    void SetHeightType(int value) override { host.SetHeightType(value); }
    void SetPointCode(const WideChar* value) override { host.SetPointCode(value); }
    void SetStation(const WideChar* value) override { host.SetStation(value); }
    void SetDate(const WideChar* value) override { host.SetDate(value); }
    void SetInstrumentHeight(double value) override { host.SetInstrumentHeight(value); }
    void SetTargetPoint(const WideChar* value) override { host.SetTargetPoint(value); }
    void SetPressure(double value) override { host.SetPressure(value); }
    void SetDryTemperature(double value) override { host.SetDryTemperature(value); }
    void SetZenithAngle(double value) override { host.SetZenithAngle(value); }
    void SetHorizontalAngle(double value) override { host.SetHorizontalAngle(value); }
    void SetTargetHeight(double value) override { host.SetTargetHeight(value); }
    void SetSlopeDistance(double value) override { host.SetSlopeDistance(value); }
    void SetFace(int value) override { host.SetFace(value); }

private:
    void Check(const std::string& call)
    {
        if (call == failingCall && !raised)
        {
            raised = true;
            raiseError();
        }
    }
    Host::Sink& host;
    std::string failingCall;
    void (*raiseError)();
    bool raised = false;
};

// An exception of the host's own, as a host would throw to cancel an import.
struct ImportCancelled
{
    int reason;
};

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
        first = folder.Write("first.xml",
                             Testing::LandXml("<CgPoints><CgPoint name=\"P\"/></CgPoints>"));
        second = folder.Write("second.xml", "<LandXML/>");
    }
    Testing::TempFolder folder;
    std::filesystem::path first;
    std::filesystem::path second;
};

TEST(ImportDriver, AnErrorOfThePluginsOwnEndsOnlyItsFileWithTheSystemsText)
{
    const TwoFiles files;
    constexpr std::int32_t kNoText = static_cast<std::int32_t>(0xE0DE0001);
    const struct
    {
        const char* call;
        void (*raise)();
        std::string message;
    } rows[] = {
        {"SetProgress(50)", [] { throw std::bad_alloc(); }, ErrorTextOf(E_OUTOFMEMORY_HR)},
        {"AddPoint", [] { throw HResultError(E_FAIL_HR); }, ErrorTextOf(E_FAIL_HR)},
        {"BeginFile", [] { throw HResultError(E_INVALIDARG_HR); }, ErrorTextOf(E_INVALIDARG_HR)},
        {"SetProgress(100)", [] { throw HResultError(kNoText); }, "0xE0DE0001"},
        {"AddPoint", [] { throw std::length_error("too long"); }, ErrorTextOf(E_FAIL_HR)},
    };
    for (const auto& row : rows)
    {
        ASSERT_FALSE(row.message.empty()) << row.call << ": the system has a text for the code";
        Host::Recorder record;
        Host::Sink host(record);
        FailingSink sink(host, row.call, row.raise);
        Host::Recorder pathCalls;
        Host::PathList paths({Host::HostPath(files.first), Host::HostPath(files.second)},
                             &pathCalls);
        const bool setting = true;
        EXPECT_NO_THROW(ImportFiles(paths, sink, &setting)) << row.call;
        Lines calls = Testing::SinkCalls(record.Lines());
        Host::Call begin;
        begin.method = "BeginFile";
        begin.arguments = {Host::Text{Host::FromWide(Host::HostPath(files.second).c_str())}};
        const Lines secondFile = {Host::FormatCall(begin), kHalfway, kDone};
        const Lines report = {kFileResult, "ReportError(\"" + row.message + "\")", kDone};
        ASSERT_GE(calls.size(), secondFile.size() + report.size()) << row.call;
        EXPECT_EQ(Lines(calls.end() - 6, calls.end() - 3), report) << row.call;
        EXPECT_EQ(Lines(calls.end() - 3, calls.end()), secondFile) << row.call;
        EXPECT_EQ(MethodsOf(pathCalls).size(), 8u) << row.call << ": both paths are visited";
        EXPECT_EQ(host.LiveObjects(), 0) << row.call << ": parsers left";
    }
}

TEST(ImportDriver, TheHostsOwnExceptionPassesUnchangedAfterTheFileIsReleased)
{
    const TwoFiles files;
    for (const char* call : {"SetProgress(50)", "AddPoint", "SetProgress(100)"})
    {
        Host::Recorder record;
        Host::Sink host(record);
        FailingSink sink(host, call, [] { throw ImportCancelled{17}; });
        Host::Recorder pathCalls;
        Host::PathList paths({Host::HostPath(files.first), Host::HostPath(files.second)},
                             &pathCalls);
        const bool setting = true;
        int reason = 0;
        try
        {
            ImportFiles(paths, sink, &setting);
        }
        catch (const ImportCancelled& cancelled)
        {
            reason = cancelled.reason;
        }
        EXPECT_EQ(reason, 17) << call;
        EXPECT_EQ(MethodsOf(pathCalls), Lines({"Reset", "HasCurrent", "GetCurrent"}))
            << call << ": the second path is not visited";
        EXPECT_EQ(host.LiveObjects(), 0) << call << ": parsers left";
        const Lines lines = record.Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), kFileResult), 0) << call;
    }
}

} // namespace
