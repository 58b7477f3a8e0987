#include "fuzz/ImporterFixture.h"

#include "fuzz/Targets.h"
#include "tools/host/Text.h"

#include <string>
#include <vector>

namespace Fuzzing
{

ImporterFixture::ImporterFixture(const std::string& units)
{
    const Plugin::WideString path = Host::HostPath(Host::WorkFolder() / "document.xml");
    host.BeginFile(path.c_str());
    importer = std::make_unique<Plugin::CLandXMLImporter>(&host, &setting, path);
    const std::string document = "<LandXML version=\"1.2\">" + units + "</LandXML>";
    std::vector<char> buffer(document.begin(), document.end());
    buffer.push_back('\0');
    importer->ParseDocument(buffer.data(), document.size());
}

std::vector<ImporterFixture::ParseCall> ImporterFixture::ParseCallsSince(std::size_t recorded) const
{
    std::vector<ParseCall> parses;
    for (std::size_t i = recorded; i < record.Calls().size(); ++i)
    {
        const Host::Call& call = record.Calls()[i];
        if (call.method != Host::NameOf(Host::Method::Parse))
            continue;
        ParseCall parse;
        parse.kind = call.object;
        parse.text = std::get<Host::Text>(call.arguments.at(0)).value;
        parse.accepted = std::holds_alternative<double>(call.result);
        parse.value = parse.accepted ? std::get<double>(call.result) : 0.0;
        parses.push_back(std::move(parse));
    }
    return parses;
}

std::vector<std::string> ImporterFixture::OtherLinesSince(std::size_t recorded) const
{
    std::vector<std::string> lines;
    for (std::size_t i = recorded; i < record.Calls().size(); ++i)
        if (record.Calls()[i].method != Host::NameOf(Host::Method::Parse))
            lines.push_back(Host::FormatCall(record.Calls()[i]));
    return lines;
}

Host::Findings ImporterFixture::Finish()
{
    host.SetProgress(100.0f);
    importer.reset();
    checker.FinishImport(host, false);
    return checker.Problems();
}

Plugin::WideString InputText(ImporterFixture& fixture, const std::uint8_t* data, std::size_t size,
                             bool rawUnits)
{
    if (rawUnits)
    {
        Plugin::WideString text;
        for (std::size_t i = 0; i + 1 < size; i += 2)
        {
            const auto unit = static_cast<Plugin::WideChar>(data[i] | (data[i + 1] << 8));
            if (unit == 0)
                break; // no text of a document holds a zero character
            text += unit;
        }
        return text;
    }
    // A zero-terminated copy, as every text of a parsed document is.
    const std::string text(reinterpret_cast<const char*>(data), size);
    return Plugin::WideString(fixture.Importer().ToWide(text.c_str()).View());
}

} // namespace Fuzzing
