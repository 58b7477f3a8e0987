#include "document/NestingDepth.h"

#include <cstring>
#include <rapidxml/rapidxml.hpp>
#include <string_view>

namespace Plugin
{
namespace
{

using Tables = rapidxml::internal::lookup_tables<0>;

bool IsSpace(char c)
{
    return Tables::lookup_whitespace[static_cast<unsigned char>(c)] != 0;
}
bool IsNameChar(char c)
{
    return Tables::lookup_node_name[static_cast<unsigned char>(c)] != 0;
}
bool IsAttributeNameChar(char c)
{
    return Tables::lookup_attribute_name[static_cast<unsigned char>(c)] != 0;
}

const char* SkipSpace(const char* p)
{
    while (IsSpace(*p))
        ++p;
    return p;
}

// Skips up to and including terminator; null at the end of the data.
const char* SkipPast(const char* p, const char* terminator)
{
    for (;; ++p)
    {
        p = std::strchr(p, terminator[0]);
        if (p == nullptr)
            return nullptr;
        // Stops at the first difference, and so never passes the end of the data.
        std::size_t matched = 1;
        while (terminator[matched] != 0 && p[matched] == terminator[matched])
            ++matched;
        if (terminator[matched] == 0)
            return p + matched;
    }
}

// With Declaration, the value of the first attribute named "encoding" is left in *encoding, as
// written. Every element's attributes pass here: they pay nothing for it.
template <bool Declaration> const char* SkipAttributes(const char* p, std::string_view* encoding)
{
    bool found = false;
    while (IsAttributeNameChar(*p))
    {
        [[maybe_unused]] const char* name = p;
        ++p;
        while (IsAttributeNameChar(*p))
            ++p;
        bool wanted = false;
        if constexpr (Declaration)
            wanted =
                !found && std::string_view(name, static_cast<std::size_t>(p - name)) == "encoding";
        p = SkipSpace(p);
        if (*p != '=')
            return nullptr;
        p = SkipSpace(p + 1);
        const char quote = *p;
        if (quote != '\'' && quote != '"')
            return nullptr;
        ++p;
        [[maybe_unused]] const char* value = p;
        while (*p != quote)
        {
            if (*p == 0)
                return nullptr;
            ++p;
        }
        if (wanted)
        {
            *encoding = std::string_view(value, static_cast<std::size_t>(p - value));
            found = true;
        }
        p = SkipSpace(p + 1);
    }
    return p;
}

const char* SkipDoctype(const char* p)
{
    while (*p != '>')
    {
        if (*p == 0)
            return nullptr;
        if (*p == '[')
        {
            ++p;
            int depth = 1;
            while (depth > 0)
            {
                if (*p == '[')
                    ++depth;
                else if (*p == ']')
                    --depth;
                else if (*p == 0)
                    return nullptr;
                ++p;
            }
            continue;
        }
        ++p;
    }
    return p + 1;
}

// A node after its '<' that is not an element: declaration, processing instruction, comment,
// CDATA, document type or another "<!" construct. Null on a syntax error. With scan, the first
// declaration it meets is recorded there.
const char* SkipOtherNode(const char* p, MarkupScan* scan)
{
    if (*p == '?')
    {
        ++p;
        if ((p[0] == 'x' || p[0] == 'X') && (p[1] == 'm' || p[1] == 'M') &&
            (p[2] == 'l' || p[2] == 'L') && IsSpace(p[3]))
        {
            std::string_view encoding;
            p = SkipAttributes<true>(SkipSpace(p + 4), &encoding);
            if (p == nullptr || p[0] != '?' || p[1] != '>')
                return nullptr;
            if (scan != nullptr && !scan->declared)
            {
                scan->declared = true;
                scan->encoding = encoding;
            }
            return p + 2;
        }
        return SkipPast(p, "?>");
    }
    // "<!"
    if (p[1] == '-' && p[2] == '-')
        return SkipPast(p + 3, "-->");
    if (std::strncmp(p + 1, "[CDATA[", 7) == 0)
        return SkipPast(p + 8, "]]>");
    if (std::strncmp(p + 1, "DOCTYPE", 7) == 0 && IsSpace(p[8]))
        return SkipDoctype(p + 9);
    return SkipPast(p + 1, ">");
}

// Follows the parser's reading of the markup up to the end or the first error, counting the
// elements it would descend into, until more than limit are open.
void Walk(const char* p, std::size_t limit, MarkupScan& scan)
{
    std::size_t depth = 0;
    while (p != nullptr)
    {
        if (depth == 0)
        {
            p = SkipSpace(p);
            if (*p != '<')
                return; // the end, or text the parser rejects
        }
        else if (*p != '<')
        {
            // Character data runs to the next markup.
            p = std::strchr(p, '<');
            if (p == nullptr)
                return;
        }
        // At '<'.
        if (p[1] == '/' && depth > 0)
        {
            p += 2;
            while (IsNameChar(*p))
                ++p;
            p = SkipSpace(p);
            if (*p != '>')
                return;
            ++p;
            --depth;
            continue;
        }
        ++p;
        if (*p == '?' || *p == '!')
        {
            p = SkipOtherNode(p, depth == 0 ? &scan : nullptr);
            continue;
        }
        const char* name = p;
        while (IsNameChar(*p))
            ++p;
        if (p == name)
            return;
        p = SkipAttributes<false>(SkipSpace(p), nullptr);
        if (p == nullptr)
            return;
        if (*p == '>')
        {
            ++p;
            if (++depth > limit)
            {
                scan.tooDeep = true;
                return;
            }
        }
        else if (p[0] == '/' && p[1] == '>')
        {
            p += 2;
        }
        else
        {
            return;
        }
    }
}

} // namespace

MarkupScan ScanMarkup(const char* buffer, std::size_t limit)
{
    const char* p = buffer;
    if (static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
        static_cast<unsigned char>(p[2]) == 0xBF)
        p += 3;
    MarkupScan scan;
    Walk(p, limit, scan);
    return scan;
}

bool NestsDeeperThan(const char* buffer, std::size_t limit)
{
    return ScanMarkup(buffer, limit).tooDeep;
}

} // namespace Plugin
