// The import driver: the walk over the host's paths and what it reports for each file.

#include "plugin/ImportDriver.h"
#include "plugin/HResultError.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestImport.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <chrono>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <new>

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

// A sink that raises an error at BeginFile, AddPoint or one SetProgress, before the recording host
// sees the call; every other call goes straight to the recording host.
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
        if (call == failingCall)
            raiseError();
    }
    Host::Sink& host;
    std::string failingCall;
    void (*raiseError)();
};

TEST(ImportDriver, AnErrorFromTheSinkEndsTheWholeImportAndReleasesTheFilesState)
{
    const Testing::TempFolder folder;
    const auto first =
        folder.Write("first.xml", Testing::LandXml("<CgPoints><CgPoint name=\"P\"/></CgPoints>"));
    const auto second = folder.Write("second.xml", "<LandXML/>");
    const auto outOfMemory = [] { throw std::bad_alloc(); };
    const auto failure = [] { throw HResultError(E_FAIL_HR); };
    const std::pair<const char*, void (*)()> rows[] = {
        {"BeginFile", failure},
        {"SetProgress(50)", outOfMemory},
        {"AddPoint", failure},
        {"SetProgress(100)", outOfMemory},
    };
    for (const auto& [call, raise] : rows)
    {
        Host::Recorder record;
        Host::Sink host(record);
        FailingSink sink(host, call, raise);
        Host::Recorder pathCalls;
        Host::PathList paths({Host::HostPath(first), Host::HostPath(second)}, &pathCalls);
        const bool setting = true;
        std::string raised = "nothing";
        try
        {
            ImportFiles(paths, sink, &setting);
        }
        catch (const std::bad_alloc&)
        {
            raised = raise == +outOfMemory ? "the same" : "bad_alloc";
        }
        catch (const HResultError& error)
        {
            raised = raise == +failure && error.Code() == E_FAIL_HR ? "the same" : "HResultError";
        }
        EXPECT_EQ(raised, "the same") << call;
        EXPECT_EQ(MethodsOf(pathCalls), Lines({"Reset", "HasCurrent", "GetCurrent"}))
            << call << ": the second path is not visited";
        EXPECT_EQ(host.LiveObjects(), 0) << call << ": parsers left";
        const Lines lines = record.Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), kDone), 0) << call;
    }
}

} // namespace
