#include "fuzz/ImporterFixture.h"

#include "fuzz/Targets.h"

#include <string>
#include <vector>

namespace Fuzzing
{

ImporterFixture::ImporterFixture(const std::string& units)
{
    const Plugin::WideString path = HostPath(WorkFolder() / "document.xml");
    host.BeginFile(path.c_str());
    importer = std::make_unique<Plugin::CLandXMLImporter>(&host, &setting, path);
    const std::string document = "<LandXML version=\"1.2\">" + units + "</LandXML>";
    std::vector<char> buffer(document.begin(), document.end());
    buffer.push_back('\0');
    importer->ParseDocument(buffer.data());
}

Findings ImporterFixture::Finish()
{
    host.SetProgress(100.0f);
    importer.reset();
    host.FinishImport(false);
    return host.Problems();
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
