// Every prefix of a real document, as a file cut off while it was written or copied: each one
// either imports or is reported malformed, never anything in between, and the host's rules
// hold for each. A prefix that ends before the root's closing tag is malformed; one that holds
// it (and only white space after it) imports exactly as the whole document does.

#include "tests/hostile/HostileSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <set>

namespace
{

bool OnlyWhiteSpace(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

TEST(TruncatedDocuments, EveryPrefixImportsWholeOrIsReportedMalformed)
{
    const auto documents = Hostile::SampleDocuments();
    ASSERT_FALSE(documents.empty());
    std::size_t prefixes = 0;
    std::set<std::filesystem::path> folders;
    for (const auto& path : documents)
    {
        const std::string document = Testing::ReadBytes(path);
        const std::string name = path.filename().string();
        const Host::ImportRun whole = Host::ParseBytes(document);
        ASSERT_EQ(Hostile::Problems(whole), "") << name;
        ASSERT_FALSE(whole.files.at(0).formatError) << name << " itself is malformed";
        const std::size_t close = document.rfind("</LandXML>");
        ASSERT_NE(close, std::string::npos) << name;
        const std::size_t complete = close + std::string("</LandXML>").size();

        // Every prefix of the first document of each folder (the example project's, the first
        // golden one); of the others a spread of about 300, always with the last bytes.
        const bool everyPrefix = folders.insert(path.parent_path()).second;
        const std::size_t step = everyPrefix ? 1 : std::max<std::size_t>(1, document.size() / 300);
        for (std::size_t length = 0; length <= document.size();
             length += (length + 64 >= document.size() ? 1 : step))
        {
            const Host::ImportRun run = Host::ParseBytes(document.substr(0, length));
            ++prefixes;
            ASSERT_EQ(Hostile::Problems(run), "") << name << " cut at " << length;
            const Host::FileOutcome& file = run.files.at(0);
            ASSERT_TRUE(file.finished) << name << " cut at " << length;
            if (length < complete)
            {
                ASSERT_TRUE(file.formatError) << name << " cut at " << length;
            }
            else if (OnlyWhiteSpace(document.substr(complete, length - complete)))
            {
                ASSERT_EQ(run.lines, whole.lines) << name << " cut at " << length;
            }
        }
    }
    std::cout << "[ figures  ] " << prefixes << " prefixes of " << documents.size()
              << " documents\n";
}

} // namespace
