// The rule checker of the fuzz targets and the test imports must itself catch each broken rule:
// a checker that never complains would let every test here pass. Each row drives the host as a
// faulty plug-in would and names the problem it must report; the first rows are correct
// sequences that must pass without any.

#include "tools/host/RuleChecker.h"
#include "document/StringTable.h"
#include "tools/host/Recorder.h"

#include <functional>
#include <gtest/gtest.h>

namespace
{

using Plugin::WideString;

// The units step of a LandXML document: progress 50, the factory and its four parsers.
struct Units
{
    explicit Units(Host::Sink& sink) : host(sink)
    {
        host.SetProgress(50.0f);
        Plugin::IValueParserFactory* factory = host.GetValueParserFactory();
        parsers[0] = factory->GetDistanceParser(0);
        parsers[1] = factory->GetAngleParser(1);
        parsers[2] = factory->GetPressureParser(1);
        parsers[3] = factory->GetTemperatureParser(0);
        factory->Release();
    }
    void Release()
    {
        for (Plugin::IValueParser* parser : parsers)
            parser->Release();
    }
    Host::Sink& host;
    Plugin::IValueParser* parsers[4] = {};
};

void Begin(Host::Sink& host)
{
    host.BeginFile(WIDE_TEXT("doc.xml"));
}

void End(Host::Sink& host, Units& units)
{
    host.SetProgress(100.0f);
    units.Release();
}

struct Row
{
    const char* name;
    std::function<void(Host::Sink&)> calls;
    const char* problem; // a part of the expected report; null when none is expected
};

const Row kRows[] = {
    {"malformed file",
     [](Host::Sink& host)
     {
         Begin(host);
         host.SetFileResult(-1);
         host.ReportError(Plugin::LoadText(Plugin::TextFileFormatError).c_str());
         host.SetProgress(100.0f);
     },
     nullptr},
    {"file that cannot be opened",
     [](Host::Sink& host)
     {
         Begin(host);
         host.ReportError(Plugin::LoadText(Plugin::TextCannotOpenFile).c_str());
     },
     nullptr},
    {"point and observation",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.AddPoint(WIDE_TEXT("P"));
         host.SetNorthing(1.0);
         host.SetPointCode(WIDE_TEXT("C"));
         host.SetStation(WIDE_TEXT("S"));
         host.SetInstrumentHeight(1.5);
         host.SetTargetPoint(WIDE_TEXT("P"));
         host.SetFace(1);
         host.SetPointCode(WIDE_TEXT("C"));
         End(host, units);
     },
     nullptr},
    {"point call without a point",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.SetNorthing(1.0);
         End(host, units);
     },
     "SetNorthing in the context of no"},
    {"point call after a station",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.AddPoint(WIDE_TEXT("P"));
         host.SetStation(WIDE_TEXT("S"));
         host.SetEasting(1.0);
         End(host, units);
     },
     "SetEasting in the context of a station"},
    {"station call in an observation",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.SetTargetPoint(WIDE_TEXT("T"));
         host.SetPressure(1000.0);
         End(host, units);
     },
     "SetPressure in the context of an observation"},
    {"content before the parsers",
     [](Host::Sink& host)
     {
         Begin(host);
         host.SetProgress(50.0f);
         host.AddPoint(WIDE_TEXT("P"));
     },
     "AddPoint before the value parsers"},
    {"call after progress 100",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         End(host, units);
         host.AddPoint(WIDE_TEXT("P"));
     },
     "AddPoint outside the document's content"},
    {"parsers not released",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.SetProgress(100.0f);
     },
     "host objects left with references"},
    {"parser released twice",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         units.parsers[0]->Release();
         End(host, units);
     },
     "misuse"},
    {"parsers requested out of order",
     [](Host::Sink& host)
     {
         Begin(host);
         host.SetProgress(50.0f);
         Plugin::IValueParserFactory* factory = host.GetValueParserFactory();
         factory->GetAngleParser(1)->Release();
         factory->Release();
     },
     "GetAngleParser as request 1"},
    {"factory requested twice",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         Units again(host);
         End(host, units);
         again.Release();
     },
     "more than once"},
    {"description on the observation extension",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.AddPoint(WIDE_TEXT("P"));
         host.GetExtension(Plugin::ObservationExtension)->SetDescription(WIDE_TEXT("d"));
         End(host, units);
     },
     "on the extension of kind 2"},
    {"file whose import failed",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.AddPoint(WIDE_TEXT("P"));
         host.SetFileResult(-1);
         host.ReportError(WIDE_TEXT("Out of memory."));
         End(host, units);
     },
     nullptr},
    {"error text without SetFileResult",
     [](Host::Sink& host)
     {
         Begin(host);
         host.ReportError(WIDE_TEXT("oops"));
     },
     "unexpected text"},
    {"failure reported without a text",
     [](Host::Sink& host)
     {
         Begin(host);
         host.SetFileResult(-1);
         host.ReportError(WIDE_TEXT(""));
     },
     "unexpected text"},
    {"warning that names no missing file",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.ReportWarning(WIDE_TEXT("careful"));
         End(host, units);
     },
     "not a missing-file warning"},
    {"format error after content",
     [](Host::Sink& host)
     {
         Begin(host);
         Units units(host);
         host.SetFileResult(-1);
         host.ReportError(Plugin::LoadText(Plugin::TextFileFormatError).c_str());
         End(host, units);
     },
     "a format error after the document's content began"},
    {"file result twice",
     [](Host::Sink& host)
     {
         Begin(host);
         host.SetFileResult(-1);
         host.SetFileResult(-1);
     },
     "SetFileResult outside a file, or twice"},
    {"document finished without parsers",
     [](Host::Sink& host)
     {
         Begin(host);
         host.SetProgress(50.0f);
         host.SetProgress(100.0f);
     },
     "finished without its value parsers"},
    {"import ended inside a file", [](Host::Sink& host) { Begin(host); }, "ended inside a file"},
};

TEST(RuleChecker, ReportsEveryBrokenRuleAndPassesCorrectSequences)
{
    for (const Row& row : kRows)
    {
        Host::Recorder record;
        Host::RuleChecker checker(record);
        Host::Sink host(checker);
        row.calls(host);
        checker.FinishImport(host, false);
        const Host::Findings& problems = checker.Problems();
        if (row.problem == nullptr)
        {
            EXPECT_TRUE(problems.empty())
                << row.name << ": " << (problems.empty() ? "" : problems.front());
            continue;
        }
        bool reported = false;
        for (const std::string& problem : problems)
            reported = reported || problem.find(row.problem) != std::string::npos;
        EXPECT_TRUE(reported) << row.name << ": expected a report containing \"" << row.problem
                              << "\"";
    }
}

} // namespace
