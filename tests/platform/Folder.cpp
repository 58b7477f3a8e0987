// The folder of an imported file, which image references are resolved against: everything up to
// and including the last separator of this platform.

#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "tools/host/RecordingHost.h"

#include <gtest/gtest.h>
#include <string>

namespace
{

using Plugin::WideString;

// Spells a path with '|' for this platform's separator and '~' for the other slash.
WideString PathOf(const std::string& pattern)
{
    const Plugin::WideChar other = Platform::kDirectorySeparator == u'/' ? u'\\' : u'/';
    WideString path;
    for (const char c : pattern)
        path += c == '|'   ? Platform::kDirectorySeparator
                : c == '~' ? other
                           : static_cast<Plugin::WideChar>(c);
    return path;
}

TEST(Folder, IsThePathUpToItsLastSeparator)
{
    const std::pair<const char*, const char*> rows[] = {
        {"|data|survey|day.xml", "|data|survey|"},
        {"data|day.xml", "data|"},
        {"|day.xml", "|"},
        {"day.xml", ""},
        {"", ""},
        {"data||day.xml", "data||"},
        {"data|sub|", "data|sub|"},
        {"data|x~y.xml", "data|"}, // the other slash is part of the name
        {"data~day.xml", ""},
    };
    Host::RecordingHost host;
    const bool setting = true;
    for (const auto& [path, folder] : rows)
    {
        const Plugin::CLandXMLImporter importer(&host, &setting, PathOf(path));
        EXPECT_EQ(importer.Folder(), PathOf(folder)) << path;
    }
}

} // namespace
