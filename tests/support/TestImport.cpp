#include "tests/support/TestImport.h"

#include "plugin/ImportDriver.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

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

} // namespace

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path = std::filesystem::temp_directory_path() /
           ("landxml-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::filesystem::path TempFolder::Child(const std::string& name) const
{
    return path / std::filesystem::u8path(name);
}

std::filesystem::path TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::filesystem::path file = Child(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

Plugin::WideString HostPath(const std::filesystem::path& path)
{
    return Host::ToWideString(path.lexically_normal().make_preferred().u16string());
}

std::vector<std::string> ImportPaths(const std::vector<std::filesystem::path>& paths,
                                     const std::filesystem::path& folder,
                                     const ImportOptions& options)
{
    Host::RecordingHost host(options.host);
    std::vector<Plugin::WideString> hostPaths;
    for (const auto& path : paths)
        hostPaths.push_back(HostPath(path));
    Host::PathList list(hostPaths);
    const bool setting = options.considerPrismConstant;
    Plugin::ImportFiles(list, host, &setting);

    EXPECT_EQ(host.LiveObjects(), 0) << "host objects left with references";
    EXPECT_TRUE(host.Misuse().empty()) << (host.Misuse().empty() ? "" : host.Misuse().front());

    // The folder as it appears in the lines, with either separator after it.
    const Plugin::WideString wideFolder = HostPath(folder);
    std::string folderText = Host::ToUtf8(std::u16string(wideFolder.begin(), wideFolder.end()));
    while (!folderText.empty() && (folderText.back() == '/' || folderText.back() == '\\'))
        folderText.pop_back();
    std::string escapedFolder = folderText;
    ReplaceAll(escapedFolder, "\\", "\\\\");
    std::vector<std::string> lines = host.Lines();
    for (std::string& line : lines)
    {
        ReplaceAll(line, escapedFolder + "\\\\", "<dir>/");
        ReplaceAll(line, folderText + "/", "<dir>/");
    }
    return lines;
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
        const bool parserCall = line.rfind("factory.", 0) == 0 || line.rfind("distance.", 0) == 0 ||
                                line.rfind("angle.", 0) == 0 || line.rfind("pressure.", 0) == 0 ||
                                line.rfind("temperature.", 0) == 0 ||
                                line.rfind("GetValueParserFactory", 0) == 0;
        if (!parserCall)
            result.push_back(line);
    }
    return result;
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

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string LandXml(const std::string& body, const std::string& version,
                    const std::string& declaration)
{
    return declaration + "\n<LandXML version=\"" + version + "\">\n" + body + "\n</LandXML>\n";
}

} // namespace Testing
