#pragma once

// The character sets a document may declare besides UTF-8, by the names they are declared with:
// registered names and common aliases, compared without regard to letter case. Header only: the
// reference host (tools/landxml-probe) names the character set a file was read in from the same
// table.

#include <cstdint>
#include <string_view>

namespace Plugin
{

struct CharacterSet
{
    std::uint32_t codePage; // Windows' number for it
    std::string_view names; // separated by spaces; the first is the one shown
};

// Code page 65001 is UTF-8: US-ASCII is read as the UTF-8 it is part of. Windows' own code page
// for it (20127) reads bytes 0x80 to 0xFF as the ASCII characters below them, so that a stray
// byte could become markup ("<" for 0xBC) or end the document (0x80); UTF-8 makes it U+FFFD.
// Windows has no code page for ISO-8859-10, -11, -14 and -16: the plug-in reads those itself,
// in every build (document/DocumentText.cpp), by the numbers Windows would give them.
inline constexpr CharacterSet kCharacterSets[] = {
    {28591, "ISO-8859-1 ISO_8859-1 ISO_8859-1:1987 ISO8859-1 ISO88591 iso-ir-100 latin1 l1 "
            "IBM819 CP819 csISOLatin1"},
    {28592, "ISO-8859-2 ISO_8859-2 ISO_8859-2:1987 ISO8859-2 ISO88592 iso-ir-101 latin2 l2 "
            "csISOLatin2"},
    {28593, "ISO-8859-3 ISO_8859-3 ISO_8859-3:1988 ISO8859-3 ISO88593 iso-ir-109 latin3 l3 "
            "csISOLatin3"},
    {28594, "ISO-8859-4 ISO_8859-4 ISO_8859-4:1988 ISO8859-4 ISO88594 iso-ir-110 latin4 l4 "
            "csISOLatin4"},
    {28595, "ISO-8859-5 ISO_8859-5 ISO_8859-5:1988 ISO8859-5 ISO88595 iso-ir-144 cyrillic "
            "csISOLatinCyrillic"},
    {28596, "ISO-8859-6 ISO_8859-6 ISO_8859-6:1987 ISO8859-6 ISO88596 iso-ir-127 ECMA-114 "
            "ASMO-708 arabic csISOLatinArabic"},
    {28597, "ISO-8859-7 ISO_8859-7 ISO_8859-7:1987 ISO8859-7 ISO88597 iso-ir-126 ELOT_928 "
            "ECMA-118 greek greek8 csISOLatinGreek"},
    {28598, "ISO-8859-8 ISO_8859-8 ISO_8859-8:1988 ISO8859-8 ISO88598 iso-ir-138 hebrew "
            "csISOLatinHebrew"},
    {28599, "ISO-8859-9 ISO_8859-9 ISO_8859-9:1989 ISO8859-9 ISO88599 iso-ir-148 latin5 l5 "
            "csISOLatin5"},
    {28600, "ISO-8859-10 ISO_8859-10 ISO_8859-10:1992 ISO8859-10 ISO885910 iso-ir-157 latin6 l6 "
            "csISOLatin6"},
    {28601, "ISO-8859-11 ISO_8859-11 ISO8859-11 ISO885911"},
    {28603, "ISO-8859-13 ISO_8859-13 ISO8859-13 ISO885913 latin7 l7 csISO885913"},
    {28604, "ISO-8859-14 ISO_8859-14 ISO_8859-14:1998 ISO8859-14 ISO885914 iso-ir-199 latin8 l8 "
            "iso-celtic csISO885914"},
    {28605, "ISO-8859-15 ISO_8859-15 ISO8859-15 ISO885915 Latin-9 latin9 l9 csISO885915"},
    {28606, "ISO-8859-16 ISO_8859-16 ISO_8859-16:2001 ISO8859-16 ISO885916 iso-ir-226 latin10 l10 "
            "csISO885916"},
    {1250, "windows-1250 cp1250 x-cp1250 cswindows1250"},
    {1253, "windows-1253 cp1253 x-cp1253 cswindows1253"},
    {1254, "windows-1254 cp1254 x-cp1254 cswindows1254"},
    {1255, "windows-1255 cp1255 x-cp1255 cswindows1255"},
    {1256, "windows-1256 cp1256 x-cp1256 cswindows1256"},
    {1257, "windows-1257 cp1257 x-cp1257 cswindows1257"},
    {1258, "windows-1258 cp1258 x-cp1258 cswindows1258"},
    {20866, "KOI8-R koi8 koi8_r csKOI8R"},
    {21866, "KOI8-U koi8_u koi8-ru csKOI8U"},
    {866, "IBM866 cp866 866 csIBM866"},
    {65001, "US-ASCII ASCII us ANSI_X3.4-1968 ANSI_X3.4-1986 iso-ir-6 ISO646-US ISO_646.irv:1991 "
            "IBM367 cp367 csASCII"},
};

// The first of the set's names.
inline std::string_view ShownName(const CharacterSet& set)
{
    return set.names.substr(0, set.names.find(' '));
}

inline bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        const auto lower = [](char c)
        { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The set a declared encoding names; null for every other name.
inline const CharacterSet* FindCharacterSet(std::string_view declared)
{
    for (const CharacterSet& set : kCharacterSets)
        for (std::size_t at = 0; at < set.names.size();)
        {
            std::size_t end = set.names.find(' ', at);
            if (end == std::string_view::npos)
                end = set.names.size();
            if (SameName(set.names.substr(at, end - at), declared))
                return &set;
            at = end + 1;
        }
    return nullptr;
}

// A declared encoding that names 1251 or 1252 anywhere is read in the thread's ANSI code page,
// as the field software's own files expect: it decides before the names above.
inline bool NamesAnsiCodePage(std::string_view declared)
{
    return declared.find("1251") != std::string_view::npos ||
           declared.find("1252") != std::string_view::npos;
}

} // namespace Plugin
