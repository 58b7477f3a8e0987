#pragma once

#include <cstddef>

namespace Plugin
{

// The parser descends one level of recursion per nested element. Real LandXML nests fewer than
// 20 levels; a document nested deeper than this is treated as malformed long before the parser
// could exhaust a 1 MiB thread stack.
constexpr std::size_t kMaxElementDepth = 1000;

// True when the zero-terminated buffer nests elements deeper than limit. The scan follows the
// parser's own reading of the markup up to the first error, which the parser then reports.
bool NestsDeeperThan(const char* buffer, std::size_t limit);

} // namespace Plugin
