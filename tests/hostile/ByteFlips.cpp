// Documents with a few bytes changed at random, as a damaged disk or transfer leaves them. The
// generator is std::mt19937 with a fixed seed (its output is the same on every platform), so a
// failing case is the same case on every run; the message names it.

#include "tests/hostile/HostileSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace
{

// Spread over the sample documents, however many there are.
constexpr int kMutants = 3000;

TEST(ByteFlips, DamagedDocumentsImportOrAreMalformedAndKeepTheHostsRules)
{
    const auto documents = Hostile::SampleDocuments();
    ASSERT_FALSE(documents.empty());
    const int perDocument = std::max(100, kMutants / static_cast<int>(documents.size()));
    int imported = 0;
    int malformed = 0;
    for (const auto& path : documents)
    {
        const std::string document = Testing::ReadBytes(path);
        ASSERT_FALSE(document.empty());
        std::mt19937 random(20240617u);
        for (int mutant = 0; mutant < perDocument; ++mutant)
        {
            std::string damaged = document;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int change = 0; change < changes; ++change)
            {
                const std::size_t at = random() % damaged.size();
                const std::uint32_t kind = random();
                if (kind % 3 == 0)
                    damaged[at] = static_cast<char>(kind >> 8); // any byte, zero included
                else
                    damaged[at] = static_cast<char>(damaged[at] ^ (1 << ((kind >> 8) % 8)));
            }
            const Host::ImportRun run = Host::ParseBytes(damaged);
            ASSERT_EQ(Hostile::Problems(run), "")
                << path.filename().string() << ", mutant " << mutant;
            ASSERT_TRUE(run.files.at(0).finished)
                << path.filename().string() << ", mutant " << mutant;
            (run.files.at(0).formatError ? malformed : imported) += 1;
        }
    }
    std::cout << "[ figures  ] " << imported << " damaged documents imported, " << malformed
              << " reported malformed\n";
    EXPECT_GT(imported, 0);
    EXPECT_GT(malformed, 0);
}

} // namespace
