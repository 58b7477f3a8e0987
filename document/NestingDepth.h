#pragma once

#include <cstddef>
#include <string_view>

namespace Plugin
{

// The parser descends one level of recursion per nested element. Real LandXML nests fewer than
// 20 levels; a document nested deeper than this is treated as malformed long before the parser
// could exhaust a 1 MiB thread stack. Measured once (RelWithDebInfo, parse_declaration_node,
// the tree on the heap, "<a>" nested): the deepest nesting that parsed on thread stacks of 1, 2
// and 4 MiB, each try in a fresh process or thread with that stack, gave 144 bytes per level
// natively (g++ 12; 1 MiB survives 7250 levels) and 192 bytes per level for the DLL under Wine
// (MinGW-w64 g++ 12; 1 MiB survives 5414 levels). This limit takes under 200 KiB of either.
constexpr std::size_t kMaxElementDepth = 1000;

// What the markup of a zero-terminated buffer holds, read before the parser reads it. The scan
// follows the parser's own reading up to the end, the first error (which the parser then
// reports) or the first element nested deeper than the limit.
struct MarkupScan
{
    bool tooDeep = false;  // elements nest deeper than the limit
    bool declared = false; // a declaration at the top level, outside every element
    // The first such declaration's first "encoding" attribute, as written; empty without one.
    std::string_view encoding;
};
MarkupScan ScanMarkup(const char* buffer, std::size_t limit);

// True when the zero-terminated buffer nests elements deeper than limit.
bool NestsDeeperThan(const char* buffer, std::size_t limit);

} // namespace Plugin
