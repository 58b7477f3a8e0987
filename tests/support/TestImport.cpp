#include "tests/support/TestImport.h"

#include "tools/host/ImportRuns.h"
#include "tools/host/Text.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>

namespace Testing
{
namespace
{

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

bool StartsWith(const std::string& line, const std::string& prefix)
{
    return line.rfind(prefix, 0) == 0;
}

} // namespace

std::vector<std::string> ImportPaths(const std::vector<std::filesystem::path>& paths,
                                     const std::filesystem::path& folder,
                                     const ImportOptions& options)
{
    Host::DocumentChoices choices;
    choices.host = options.host;
    choices.considerPrismConstant = options.considerPrismConstant;
    choices.longestText = std::numeric_limits<std::size_t>::max();
    Host::ImportRun run = Host::ImportPaths(paths, choices);
    EXPECT_FALSE(run.errorLeft) << run.error;
    EXPECT_TRUE(run.findings.empty()) << (run.findings.empty() ? "" : run.findings.front());

    // The folder as it appears in the lines, with either separator after it.
    std::string folderText = Host::ToUtf8(Host::FromWide(Host::HostPath(folder).c_str()));
    while (!folderText.empty() && (folderText.back() == '/' || folderText.back() == '\\'))
        folderText.pop_back();
    std::string escapedFolder = folderText;
    ReplaceAll(escapedFolder, "\\", "\\\\");
    for (std::string& line : run.lines)
    {
        ReplaceAll(line, escapedFolder + "\\\\", "<dir>/");
        ReplaceAll(line, folderText + "/", "<dir>/");
    }
    return run.lines;
}

std::vector<std::string>
ImportDocument(const std::string& document, const ImportOptions& options,
               const std::vector<std::pair<std::string, std::string>>& extraFiles,
               const std::string& name)
{
    const TempFolder folder;
    for (const auto& [file, bytes] : extraFiles)
        folder.Write(file, bytes);
    const std::filesystem::path path = folder.Write(name, document);
    return ImportPaths({path}, folder.Path(), options);
}

std::vector<std::string> SinkCalls(const std::vector<std::string>& lines)
{
    std::vector<std::string> result;
    for (const std::string& line : lines)
    {
        const bool parserCall = StartsWith(line, "factory.") || StartsWith(line, "distance.") ||
                                StartsWith(line, "angle.") || StartsWith(line, "pressure.") ||
                                StartsWith(line, "temperature.") ||
                                StartsWith(line, "GetValueParserFactory");
        if (!parserCall)
            result.push_back(line);
    }
    return result;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (StartsWith(line, prefix))
            found.push_back(line);
    return found;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
    {
        text += line;
        text += '\n';
    }
    return text;
}

std::filesystem::path RealDataFolder()
{
    if (const char* chosen = std::getenv("LANDXML_REAL_DATA"))
        return std::filesystem::u8path(chosen);
    return (std::filesystem::path(LANDXML_SOURCE_DIR) / ".." / "shared" / "real-landxml")
        .lexically_normal();
}

std::string LandXml(const std::string& body, const std::string& version,
                    const std::string& declaration)
{
    return declaration + "\n<LandXML version=\"" + version + "\">\n" + body + "\n</LandXML>\n";
}

} // namespace Testing
