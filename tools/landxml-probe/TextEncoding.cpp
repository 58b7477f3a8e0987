#include "tools/landxml-probe/TextEncoding.h"

#include "document/CharacterSets.h"
#include "tools/landxml-probe/Paths.h"

#include <fstream>
#include <string_view>

namespace Probe
{

namespace
{

// The prolog is read from this many first bytes at most.
constexpr std::size_t kStart = 65536;

constexpr std::string_view kSpace = " \t\r\n";

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// The value of the first attribute named "encoding" among the declaration's attributes (the
// text up to its "?>"); empty without one.
std::string EncodingAttribute(std::string_view attributes)
{
    for (std::size_t at = attributes.find_first_not_of(kSpace); at < attributes.size();)
    {
        const std::size_t equals = attributes.find('=', at);
        const std::size_t open = attributes.find_first_of("\"'", equals);
        if (equals == std::string_view::npos || open == std::string_view::npos)
            return "";
        const std::size_t close = attributes.find(attributes[open], open + 1);
        if (close == std::string_view::npos)
            return "";
        std::string_view name = attributes.substr(at, equals - at);
        name = name.substr(0, name.find_last_not_of(kSpace) + 1);
        if (name == "encoding")
            return std::string(attributes.substr(open + 1, close - open - 1));
        at = attributes.find_first_not_of(kSpace, close + 1);
    }
    return "";
}

// The encoding the first declaration of the prolog (everything before the first element)
// names, as written; empty without one. The plug-in takes a declaration after the root element
// too, as its parser does; real documents have theirs at the start.
std::string DeclaredEncoding(std::string_view text)
{
    for (std::size_t at = 0;;)
    {
        at = text.find_first_not_of(kSpace, at);
        if (at == std::string_view::npos || text[at] != '<')
            return "";
        const std::string_view rest = text.substr(at);
        if (rest.size() > 5 && rest[1] == '?' && (rest[2] == 'x' || rest[2] == 'X') &&
            (rest[3] == 'm' || rest[3] == 'M') && (rest[4] == 'l' || rest[4] == 'L') &&
            kSpace.find(rest[5]) != std::string_view::npos)
            return EncodingAttribute(rest.substr(5, rest.find("?>") - 5));
        // Past the next node: a processing instruction, comment or document type (with its
        // internal subset in brackets).
        std::string_view end = ">";
        std::size_t from = 0;
        if (StartsWith(rest, "<?"))
            end = "?>";
        else if (StartsWith(rest, "<!--"))
            end = "-->";
        else if (!StartsWith(rest, "<!"))
            return ""; // the root element
        else if (rest.find('[') < rest.find('>'))
            from = rest.find(']');
        const std::size_t found = rest.find(end, from);
        if (found == std::string_view::npos)
            return "";
        at += found + end.size();
    }
}

} // namespace

std::string TextEncodingWords(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return "";
    std::string start(kStart, '\0');
    stream.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(stream.gcount()));

    // UTF-16 by its mark, or by "<?xml" in UTF-16, whatever it declares.
    using namespace std::string_view_literals;
    const std::string_view bytes = start;
    if (StartsWith(bytes, "\xFF\xFE"sv) || StartsWith(bytes, "\xFE\xFF"sv))
        return std::string("UTF-16 ") + (bytes[0] == '\xFF' ? "LE" : "BE") +
               ", from its byte-order mark";
    if (StartsWith(bytes, "<\0?\0x\0m\0l\0"sv) || StartsWith(bytes, "\0<\0?\0x\0m\0l"sv))
        return std::string("UTF-16 ") + (bytes[0] == '<' ? "LE" : "BE") +
               ", from its first characters";

    // A zero byte ends the document.
    std::string_view text = bytes.substr(0, bytes.find('\0'));
    if (StartsWith(text, "\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::string declared = DeclaredEncoding(text);
    const std::string shown = ValidUtf8(declared);
    if (declared.empty())
        return "UTF-8, no encoding declared";
    if (Plugin::NamesAnsiCodePage(declared))
        return "the thread's ANSI code page, as declared " + shown;
    if (const Plugin::CharacterSet* set = Plugin::FindCharacterSet(declared))
    {
        const std::string name(Plugin::ShownName(*set));
        return Plugin::SameName(name, declared) ? name + " as declared"
                                                : name + ", as declared " + shown;
    }
    if (Plugin::SameName(declared, "UTF-8"))
        return "UTF-8 as declared";
    return "UTF-8 (declared " + shown + ", which the plug-in does not read)";
}

} // namespace Probe
