#include "document/NestingDepth.h"

#include <cstdint>
#include <cstring>
#include <rapidxml/rapidxml.hpp>

// The vector skim needs GCC's or Clang's target attributes. MinGW's GCC does not align the
// stack for 32- and 64-byte vectors, so any spill of one would fault in the host's process: the
// Windows build keeps to the byte walk.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__MINGW32__)
#include <immintrin.h>
#define LANDXML_DEPTH_SKIM 1
#else
#define LANDXML_DEPTH_SKIM 0
#endif

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

const char* SkipAttributes(const char* p)
{
    while (IsAttributeNameChar(*p))
    {
        ++p;
        while (IsAttributeNameChar(*p))
            ++p;
        p = SkipSpace(p);
        if (*p != '=')
            return nullptr;
        p = SkipSpace(p + 1);
        const char quote = *p;
        if (quote != '\'' && quote != '"')
            return nullptr;
        ++p;
        while (*p != quote)
        {
            if (*p == 0)
                return nullptr;
            ++p;
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
// CDATA, document type or another "<!" construct. Null on a syntax error.
const char* SkipOtherNode(const char* p)
{
    if (*p == '?')
    {
        ++p;
        if ((p[0] == 'x' || p[0] == 'X') && (p[1] == 'm' || p[1] == 'M') &&
            (p[2] == 'l' || p[2] == 'L') && IsSpace(p[3]))
        {
            p = SkipAttributes(SkipSpace(p + 4));
            if (p == nullptr || p[0] != '?' || p[1] != '>')
                return nullptr;
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

#if LANDXML_DEPTH_SKIM

// The walk below reads the parser's grammar one construct at a time, which costs about as much as
// the parse. Most of a large document is plain elements and attributes, and for those a block of
// 64 bytes can be read at once: every '<' outside a tag opens one, the next '>' closes it, and
// the tag is an end tag when '/' follows its '<', empty when '/' precedes its '>', and opens an
// element otherwise. That reading agrees with the parser's on every tag the parser accepts, as
// long as no attribute value holds a '>' and no "<!" or "<?" construct appears: each block is
// checked for both, conservatively, and any doubt hands the block back to the walk.
//
// Such a skim does not check the syntax, so it may pass over an error at which the walk would
// have stopped. The depth it finds is exact up to that error, and nothing beyond the error
// matters, so a document the skim finds shallow enough is shallow enough. Only a document found
// too deep is walked again from the start, without the skim. The skim needs AVX2 or AVX-512;
// without them the walk reads the whole document.

constexpr std::ptrdiff_t kSkimBlock = 64;

// One bit per byte of a block, bit 0 for its first byte.
struct BlockClasses
{
    std::uint64_t open;        // '<'
    std::uint64_t close;       // '>'
    std::uint64_t slash;       // '/'
    std::uint64_t quote;       // '"'
    std::uint64_t beforeValue; // '=' and white space, the bytes a value's opening quote follows
    std::uint64_t rare;        // '\'', '!' and '?', which start what the skim does not read
};

// The bytes of a set in which no two members share their low four bits are found with one table
// lookup in each sixteen bytes: the table holds each member at the index of its low four bits and
// '\x80' elsewhere, which no byte looks up, since a byte with its high bit set looks up zero.
struct alignas(64) MemberTable
{
    char bytes[64];
};

constexpr MemberTable TableOf(const char* members)
{
    MemberTable table{};
    for (char& byte : table.bytes)
        byte = '\x80';
    for (const char* member = members; *member != 0; ++member)
        for (int lane = 0; lane < 64; lane += 16)
            table.bytes[lane + (static_cast<unsigned char>(*member) & 15)] = *member;
    return table;
}

constexpr MemberTable kSpaces = TableOf(" \t\n\r");
constexpr MemberTable kRare = TableOf("'!?");

struct Avx2Blocks
{
    __attribute__((target("avx2"))) static std::uint64_t Bits(__m256i flags)
    {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(flags));
    }
    __attribute__((target("avx2"))) static __m256i Equal(__m256i bytes, char c)
    {
        return _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c));
    }
    __attribute__((target("avx2"))) static __m256i Member(__m256i bytes, const MemberTable& table)
    {
        const __m256i members = _mm256_load_si256(reinterpret_cast<const __m256i*>(table.bytes));
        return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(members, bytes), bytes);
    }

    __attribute__((target("avx2"))) static BlockClasses Classify(const char* p)
    {
        BlockClasses classes{};
        for (unsigned half = 0; half < 2; ++half)
        {
            const __m256i bytes =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * half));
            const unsigned shift = 32 * half;
            classes.open |= Bits(Equal(bytes, '<')) << shift;
            classes.close |= Bits(Equal(bytes, '>')) << shift;
            classes.slash |= Bits(Equal(bytes, '/')) << shift;
            classes.quote |= Bits(Equal(bytes, '"')) << shift;
            classes.beforeValue |= Bits(_mm256_or_si256(Member(bytes, kSpaces), Equal(bytes, '=')))
                                   << shift;
            classes.rare |= Bits(Member(bytes, kRare)) << shift;
        }
        return classes;
    }
};

struct Avx512Blocks
{
    __attribute__((target("avx512bw"))) static std::uint64_t Equal(__m512i bytes, char c)
    {
        return _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(c));
    }
    __attribute__((target("avx512bw"))) static std::uint64_t Member(__m512i bytes,
                                                                    const MemberTable& table)
    {
        const __m512i members = _mm512_load_si512(table.bytes);
        return _mm512_cmpeq_epi8_mask(_mm512_shuffle_epi8(members, bytes), bytes);
    }

    __attribute__((target("avx512bw"))) static BlockClasses Classify(const char* p)
    {
        const __m512i bytes = _mm512_loadu_si512(p);
        BlockClasses classes{};
        classes.open = Equal(bytes, '<');
        classes.close = Equal(bytes, '>');
        classes.slash = Equal(bytes, '/');
        classes.quote = Equal(bytes, '"');
        classes.beforeValue = Member(bytes, kSpaces) | Equal(bytes, '=');
        classes.rare = Member(bytes, kRare);
        return classes;
    }
};

// Reads the blocks of a stretch one after another. The members keep what one block hands to the
// next: the classes of its bytes, and whether it ended inside a tag, an end tag or a possible
// attribute value.
class BlockSkim
{
public:
    // False when the block cannot be read this way, or may take the depth to zero or beyond
    // limit; otherwise depth is the depth after the block and tagEnds has a bit for each '>' that
    // ends a tag.
    bool Read(const BlockClasses& block, std::size_t& depth, std::size_t limit,
              std::uint64_t& tagEnds);

private:
    // The bits of the byte after each set bit; previous holds the bits of the block before.
    static std::uint64_t Next(std::uint64_t bits, std::uint64_t& previous)
    {
        const std::uint64_t next = (bits << 1) | (previous >> 63);
        previous = bits;
        return next;
    }
    // Bit i is set when a seed lies before byte i with only allowed bytes from the seed up to
    // byte i - 1: the bytes a run that starts at a seed reaches, up to and including the first
    // byte that is not allowed. Every seed must be an allowed byte; carry is set when a run goes
    // on into the next block.
    static std::uint64_t Reached(std::uint64_t allowed, std::uint64_t seeds, unsigned char& carry)
    {
        unsigned long long sum = 0;
        carry = _addcarry_u64(carry, allowed, seeds, &sum);
        return sum ^ allowed ^ seeds;
    }

    std::uint64_t markup_ = 0;
    std::uint64_t slash_ = 0;
    std::uint64_t tagStart_ = 0;
    unsigned char inTag_ = 0;
    unsigned char inEndTag_ = 0;
    unsigned char inValue_ = 0;
};

inline bool BlockSkim::Read(const BlockClasses& block, std::size_t& depth, std::size_t limit,
                            std::uint64_t& tagEnds)
{
    // Bytes after '<', '=' or white space: "<!" and "<?" start constructs the skim does not read,
    // a single quote there may open a value, and a double quote there may open one.
    const std::uint64_t afterMarkup = Next(block.open | block.beforeValue, markup_);
    std::uint64_t doubt = block.rare & afterMarkup;

    const std::uint64_t notClose = ~block.close;
    const std::uint64_t inTag = Reached(notClose, block.open, inTag_);
    const std::uint64_t tagStarts = block.open & ~inTag;
    tagEnds = block.close & inTag;
    const std::uint64_t endTagSlash = Next(tagStarts, tagStart_) & block.slash;
    const std::uint64_t inEndTag = Reached(notClose, endTagSlash, inEndTag_);
    const std::uint64_t elementEnds = tagEnds & inEndTag;
    const std::uint64_t contentStarts = tagEnds & ~inEndTag & ~Next(block.slash, slash_);

    // The bytes from each quote that may open a value up to the next quote that may not: no '>'
    // among them is inside a value.
    const std::uint64_t valueQuotes = block.quote & afterMarkup;
    const std::uint64_t inValue = Reached(~block.quote | valueQuotes, valueQuotes, inValue_);
    doubt |= inValue & block.close;

    const auto opened = static_cast<std::size_t>(__builtin_popcountll(contentStarts));
    const auto closed = static_cast<std::size_t>(__builtin_popcountll(elementEnds));
    // Whatever the order of the tags in the block, the depth stays above zero and within limit.
    if ((doubt != 0) | (closed >= depth) | (opened > limit - depth))
        return false;
    depth = depth + opened - closed;
    return true;
}

// No terminator lies before clear; the search for it runs a stretch at a time ahead of the skim,
// so the stretch is still in the cache when the skim reads it, and it stops at the terminator.
class Lookahead
{
public:
    explicit Lookahead(const char* start) : clear_(start) {}

    // True when the count bytes from p lie before the terminator. Every byte before p has been
    // read and is not the terminator.
    bool Holds(const char* p, std::ptrdiff_t count)
    {
        return clear_ - p >= count || Extend(p, count);
    }
    // No terminator lies before this.
    const char* Clear() const { return clear_; }

private:
    static constexpr std::size_t kStretch = 4 * 1024;

    bool Extend(const char* p, std::ptrdiff_t count)
    {
        if (found_)
            return false;
        if (clear_ < p)
            clear_ = p;
        const void* terminator = std::memchr(clear_, 0, kStretch);
        if (terminator != nullptr)
        {
            clear_ = static_cast<const char*>(terminator);
            found_ = true;
        }
        else
        {
            clear_ += kStretch;
        }
        return clear_ - p >= count;
    }

    const char* clear_;
    bool found_ = false; // clear_ is the terminator
};

struct SkimResult
{
    const char* sync;     // just after the last tag read, where the walk goes on
    std::size_t depth;    // the depth there
    const char* doubtful; // the block not read, or null at the end of the data
};

template <class Blocks>
__attribute__((always_inline)) inline SkimResult SkimWith(const char* p, std::size_t depth,
                                                          std::size_t limit, Lookahead& lookahead)
{
    BlockSkim skim;
    // The last block that ended a tag, its tag ends and the depth after it.
    const char* endsBlock = nullptr;
    std::uint64_t ends = 0;
    std::size_t endsDepth = depth;
    const char* block = p;
    bool doubt = false;
    while (!doubt && lookahead.Holds(block, kSkimBlock))
    {
        const char* const lastBlock = lookahead.Clear() - kSkimBlock;
        for (; block <= lastBlock; block += kSkimBlock)
        {
            std::uint64_t tagEnds = 0;
            if (!skim.Read(Blocks::Classify(block), depth, limit, tagEnds))
            {
                doubt = true;
                break;
            }
            if (tagEnds != 0)
            {
                endsBlock = block;
                ends = tagEnds;
                endsDepth = depth;
            }
        }
    }
    SkimResult result{p, endsDepth, doubt ? block : nullptr};
    if (endsBlock != nullptr)
        result.sync = endsBlock + kSkimBlock - __builtin_clzll(ends);
    return result;
}

__attribute__((target("avx2,bmi,popcnt"))) SkimResult
SkimAvx2(const char* p, std::size_t depth, std::size_t limit, Lookahead& lookahead)
{
    return SkimWith<Avx2Blocks>(p, depth, limit, lookahead);
}

__attribute__((target("avx512bw,bmi,popcnt"))) SkimResult
SkimAvx512(const char* p, std::size_t depth, std::size_t limit, Lookahead& lookahead)
{
    return SkimWith<Avx512Blocks>(p, depth, limit, lookahead);
}

using SkimFunction = SkimResult (*)(const char*, std::size_t, std::size_t, Lookahead&);

// The widest skim the processor runs, or null.
SkimFunction ChooseSkim()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("bmi") == 0 || __builtin_cpu_supports("popcnt") == 0)
        return nullptr;
    if (__builtin_cpu_supports("avx512bw") != 0)
        return SkimAvx512;
    if (__builtin_cpu_supports("avx2") != 0)
        return SkimAvx2;
    return nullptr;
}

SkimFunction Skimmer()
{
    static const SkimFunction chosen = ChooseSkim();
    return chosen;
}
#endif

class DepthWalk
{
public:
    DepthWalk(const char* start, std::size_t limit, bool skim)
        : start_(start), limit_(limit), skim_(skim)
    {
    }

    // True when the walk from start goes deeper than limit before the end or the first error.
    bool Exceeds();
    // True when some of the depth came from the skim.
    bool Skimmed() const { return skimmed_; }

private:
    static constexpr std::size_t kNever = ~std::size_t{0};

    // Skims from p, between two tags at depth. Returns where the walk goes on, with depth there,
    // and sets skimAt to the offset from start_ at which to skim again.
    const char* SkimFrom(const char* p, std::size_t& depth, std::size_t& skimAt);

    const char* start_;
    std::size_t limit_;
    bool skim_;
    bool skimmed_ = false;
#if LANDXML_DEPTH_SKIM
    Lookahead lookahead_{start_};
    std::size_t backoff_ = 0; // bytes left to the walk after a doubtful block
#endif
};

const char* DepthWalk::SkimFrom(const char* p, std::size_t& depth, std::size_t& skimAt)
{
#if LANDXML_DEPTH_SKIM
    const SkimResult result = Skimmer()(p, depth, limit_, lookahead_);
    if (result.sync != p)
        skimmed_ = true;
    depth = result.depth;
    if (result.doubtful == nullptr)
    {
        skimAt = kNever; // too near the end for another block
        return result.sync;
    }
    // Constructs the skim does not read, such as comments, tend to come in stretches: the walk
    // takes over for longer each time a skim ends soon.
    const std::size_t kMaxBackoff = 64 * 1024;
    if (result.doubtful - p >= 16 * kSkimBlock)
        backoff_ = 0;
    else
        backoff_ = backoff_ >= kMaxBackoff / 2 ? kMaxBackoff : 2 * backoff_ + kSkimBlock;
    skimAt = static_cast<std::size_t>(result.doubtful - start_) + kSkimBlock + backoff_;
    return result.sync;
#else
    static_cast<void>(depth);
    skimAt = kNever;
    return p;
#endif
}

bool DepthWalk::Exceeds()
{
    const std::size_t limit = limit_;
    std::size_t skimAt = skim_ ? 0 : kNever;
    const char* p = start_;
    std::size_t depth = 0;
    while (p != nullptr)
    {
        if (depth == 0)
        {
            p = SkipSpace(p);
            if (*p != '<')
                return false; // the end, or text the parser rejects
        }
        else
        {
            if (static_cast<std::size_t>(p - start_) >= skimAt)
                p = SkimFrom(p, depth, skimAt);
            // Character data runs to the next markup.
            if (*p != '<')
            {
                p = std::strchr(p, '<');
                if (p == nullptr)
                    return false;
            }
        }
        // At '<'.
        if (p[1] == '/' && depth > 0)
        {
            p += 2;
            while (IsNameChar(*p))
                ++p;
            p = SkipSpace(p);
            if (*p != '>')
                return false;
            ++p;
            --depth;
            continue;
        }
        ++p;
        if (*p == '?' || *p == '!')
        {
            p = SkipOtherNode(p);
            continue;
        }
        const char* name = p;
        while (IsNameChar(*p))
            ++p;
        if (p == name)
            return false;
        p = SkipAttributes(SkipSpace(p));
        if (p == nullptr)
            return false;
        if (*p == '>')
        {
            ++p;
            if (++depth > limit)
                return true;
        }
        else if (p[0] == '/' && p[1] == '>')
        {
            p += 2;
        }
        else
        {
            return false;
        }
    }
    return false;
}

} // namespace

bool NestsDeeperThan(const char* buffer, std::size_t limit)
{
    const char* p = buffer;
    if (static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
        static_cast<unsigned char>(p[2]) == 0xBF)
        p += 3;
#if LANDXML_DEPTH_SKIM
    DepthWalk skimming(p, limit, Skimmer() != nullptr);
    if (!skimming.Exceeds())
        return false;
    if (!skimming.Skimmed())
        return true;
#endif
    return DepthWalk(p, limit, false).Exceeds();
}

} // namespace Plugin
