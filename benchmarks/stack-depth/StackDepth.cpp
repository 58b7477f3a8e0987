// Stack use of RapidXML's recursive parse, per level of element nesting: for each thread stack
// size, the deepest "<a><a>...</a></a>" that parses without overflowing. The difference between
// two sizes over the difference of their depths is the cost of one level; what is left is the
// thread's fixed use. Prints figures only; the nesting limit the plug-in sets is checked
// against the deepest nesting a 1 MiB stack survives.

#include "StackProbe.h"

#include "document/NestingDepth.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

namespace StackDepth
{

bool ParseNested(std::size_t depth)
{
    std::string text;
    text.reserve(depth * 7 + 1);
    for (std::size_t i = 0; i < depth; ++i)
        text += "<a>";
    for (std::size_t i = 0; i < depth; ++i)
        text += "</a>";
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    try
    {
        // As the plug-in holds it: the tree and its node pool on the heap.
        const auto tree = std::make_unique<rapidxml::xml_document<char>>();
        tree->parse<rapidxml::parse_declaration_node>(buffer.data());
        std::size_t levels = 0;
        for (const rapidxml::xml_node<char>* node = tree->first_node(); node != nullptr;
             node = node->first_node())
            ++levels;
        return levels == depth;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

} // namespace StackDepth

namespace
{

// The deepest nesting that survives on stackBytes, found by doubling and then bisection.
std::size_t DeepestSurviving(std::size_t stackBytes)
{
    std::size_t survives = 0;
    std::size_t overflows = 256;
    while (StackDepth::SurvivesOnStack(overflows, stackBytes))
    {
        survives = overflows;
        overflows *= 2;
    }
    while (overflows - survives > 1)
    {
        const std::size_t middle = survives + (overflows - survives) / 2;
        if (StackDepth::SurvivesOnStack(middle, stackBytes))
            survives = middle;
        else
            overflows = middle;
    }
    return survives;
}

} // namespace

int main(int argc, char** argv)
{
    const int childResult = StackDepth::RunChildIfAsked(argc, argv);
    if (childResult >= 0)
        return childResult;
    try
    {
        constexpr std::size_t kKiB = 1024;
        constexpr std::size_t kMiB = 1024 * kKiB;
        // The small sizes show what a system makes of them (Wine reserves at least 1 MiB); the
        // cost per level comes from the sizes of 1 MiB and more.
        const std::size_t sizes[] = {256 * kKiB, 512 * kKiB, kMiB, 2 * kMiB, 4 * kMiB};
        constexpr std::size_t kCount = sizeof sizes / sizeof sizes[0];
        constexpr std::size_t kOneMiB = 2;
        std::size_t depths[kCount] = {};
        std::printf("RapidXML parse<parse_declaration_node>, \"<a>\" nested, tree on the heap\n");
        std::printf("%12s %16s %22s\n", "stack", "deepest nesting", "stack / depth (bytes)");
        for (std::size_t i = 0; i < kCount; ++i)
        {
            depths[i] = DeepestSurviving(sizes[i]);
            std::printf("%8zu KiB %16zu %22.1f%s\n", sizes[i] / kKiB, depths[i],
                        static_cast<double>(sizes[i]) / static_cast<double>(depths[i]),
                        i > 0 && depths[i] == depths[i - 1] ? "  (same stack as the size above)"
                                                            : "");
        }
        const std::size_t last = kCount - 1;
        const double perLevel = static_cast<double>(sizes[last] - sizes[kOneMiB]) /
                                static_cast<double>(depths[last] - depths[kOneMiB]);
        const double fixed =
            static_cast<double>(sizes[kOneMiB]) - perLevel * static_cast<double>(depths[kOneMiB]);
        std::printf("bytes per level (slope 1 MiB to 4 MiB): %.1f\n", perLevel);
        std::printf("fixed use of the thread (intercept): %.1f KiB\n", fixed / kKiB);
        const std::size_t limit = Plugin::kMaxElementDepth;
        std::printf("nesting limit %zu: about %.0f KiB of stack with the fixed use; a 1 MiB stack "
                    "survives %zu levels (%.1f times the limit)\n",
                    limit, (perLevel * static_cast<double>(limit) + fixed) / kKiB, depths[kOneMiB],
                    static_cast<double>(depths[kOneMiB]) / static_cast<double>(limit));
        return 0;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "stack-depth: %s\n", error.what());
        return 2;
    }
}
