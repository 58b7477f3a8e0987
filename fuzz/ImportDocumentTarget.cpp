// Whole documents. Besides the host's calling rules, the plug-in's verdict is compared with the
// XML parser's own: a document the parser rejects is reported malformed without progress 50; one
// it accepts gets progress 50, and a format error exactly when it has no top-level LandXML
// element; an accepted document is never nested deeper than the plug-in's limit.

#include "document/DocumentText.h"
#include "document/NestingDepth.h"
#include "fuzz/Targets.h"
#include "tools/host/AllocationFailure.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <rapidxml/rapidxml.hpp>
#include <utility>

namespace Fuzzing
{
namespace
{

using XmlNode = rapidxml::xml_node<char>;

std::uint64_t Fnv1a(const std::string& bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes)
    {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// The deepest element nesting of a tree, counted without recursion; the root element is 1.
std::size_t ElementDepth(const XmlNode* document)
{
    std::size_t deepest = 0;
    std::vector<std::pair<const XmlNode*, std::size_t>> pending;
    for (const XmlNode* node = document->first_node(); node; node = node->next_sibling())
        pending.emplace_back(node, 1);
    while (!pending.empty())
    {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (node->type() != rapidxml::node_element)
            continue;
        deepest = std::max(deepest, depth);
        for (const XmlNode* child = node->first_node(); child; child = child->next_sibling())
            pending.emplace_back(child, depth + 1);
    }
    return deepest;
}

void CompareWithParser(const std::string& bytes, const Host::ImportRun& run, Findings& findings)
{
    if (run.files.size() != 1)
    {
        findings.push_back("one file imported as " + std::to_string(run.files.size()));
        return;
    }
    const Host::FileOutcome& file = run.files.front();
    const std::size_t opens = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '<'));
    // The parser recurses once per level: it may only read what the plug-in read already, or
    // what cannot nest deeper than the plug-in's limit.
    if (opens > Plugin::kMaxElementDepth && !file.parsed)
        return;

    // The parser's verdict on the text the plug-in parses: a document in UTF-16 read into UTF-8.
    // Reading a single-byte character set into UTF-8 leaves the markup as it is.
    std::vector<char> copy(bytes.begin(), bytes.end());
    if (const Plugin::Utf16 form = Plugin::FindUtf16(bytes.data(), bytes.size());
        form != Plugin::Utf16::None)
    {
        const std::pmr::string text = Plugin::Utf16ToUtf8(bytes.data(), bytes.size(), form);
        copy.assign(text.begin(), text.end());
    }
    copy.push_back('\0');
    const auto tree = std::make_unique<rapidxml::xml_document<char>>();
    bool wellFormed = true;
    try
    {
        tree->parse<rapidxml::parse_declaration_node>(copy.data());
    }
    catch (const rapidxml::parse_error&)
    {
        wellFormed = false;
    }
    if (!wellFormed)
    {
        if (file.parsed || !file.formatError)
            findings.push_back("a document the XML parser rejects was not reported malformed");
        return;
    }
    if (ElementDepth(tree.get()) > Plugin::kMaxElementDepth)
    {
        if (file.parsed)
            findings.push_back("a document nested deeper than the limit was parsed");
        return;
    }
    if (!file.parsed)
    {
        findings.push_back("a well-formed document was reported malformed before progress 50");
        return;
    }
    const XmlNode* root = tree->first_node("LandXML");
    if ((root == nullptr) != file.formatError)
        findings.push_back(root == nullptr ? "a document without a LandXML root was imported"
                                           : "a document with a LandXML root was refused");
}

void Append(Findings& findings, const Findings& more, const char* run)
{
    for (const std::string& finding : more)
        findings.push_back(std::string(run) + ": " + finding);
}

// The driver's import of the same bytes from a file, followed by a missing path: the file's
// calls are those of the in-memory import, and the loop goes on after it.
void CompareWithDriver(const std::string& bytes, const Host::DocumentChoices& choices,
                       const Host::ImportRun& inMemory, Findings& findings)
{
    const std::filesystem::path document = Host::WorkFolder() / "document.xml";
    const std::filesystem::path missing = Host::WorkFolder() / "missing.xml";
    {
        std::ofstream out(document, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const Host::ImportRun driven = Host::ImportPaths({document, missing}, choices);
    std::filesystem::remove(document);
    Append(findings, driven.findings, "driver");
    if (driven.errorLeft)
        return;

    std::vector<std::string> expected = inMemory.lines;
    Host::Call begin;
    begin.method = "BeginFile";
    const Plugin::WideString missingPath = Host::HostPath(missing);
    begin.arguments = {Host::Text{std::u16string(missingPath.begin(), missingPath.end())}};
    expected.push_back(Host::FormatCall(begin));
    if (driven.lines.size() != expected.size() + 1 ||
        !std::equal(expected.begin(), expected.end(), driven.lines.begin()))
        findings.push_back("the driver's calls for the file differ from the in-memory import");
    if (driven.files.size() != 2 || !driven.files.back().cannotOpen)
        findings.push_back("the driver did not report the missing second path");
    const std::vector<std::string> walk = {"Reset",      "HasCurrent", "GetCurrent", "MoveNext",
                                           "HasCurrent", "GetCurrent", "MoveNext",   "HasCurrent"};
    if (driven.enumeratorCalls != walk)
        findings.push_back("the driver walked the paths in another order");
}

// The plug-in object driven as a host does, once as it is and once with one of its allocations
// failing: no exception leaves any slot, a failure inside the import ends only the file it hit,
// with that file's failure report, and the import goes on with the next path.
void CheckAllocationFailure(const std::string& bytes, const Host::DocumentChoices& choices,
                            std::uint64_t hash, Findings& findings)
{
    const Host::ImportRun clean = Host::DrivePlugin(bytes, choices);
    Append(findings, clean.findings, "plug-in");
    if (clean.files.size() != 2 || !clean.files.back().cannotOpen)
        findings.push_back("the plug-in's import did not go on to the missing second path");
    if (clean.allocations == 0)
        return;
    // One allocation chosen by the input fails; the first document of a process fails at each
    // of its allocations in turn, so that every slot's failure is met in every run.
    static bool everyAllocationFailed = false;
    std::size_t first = 1 + static_cast<std::size_t>(hash >> 8) % clean.allocations;
    std::size_t last = first;
    if (!everyAllocationFailed)
    {
        everyAllocationFailed = true;
        first = 1;
        last = clean.allocations;
    }
    for (std::size_t failAt = first; failAt <= last; ++failAt)
    {
        Host::DocumentChoices failing = choices;
        failing.failAt = failAt;
        const Host::ImportRun run = Host::DrivePlugin(bytes, failing);
        const std::string which =
            std::to_string(failAt) + " of " + std::to_string(clean.allocations);
        Append(findings, run.findings, ("allocation failure " + which).c_str());
        if (!run.failureRaised)
            findings.push_back("allocation failure " + which + " was never raised");
        if (run.failedSlot != "Import")
            continue;
        const auto failed =
            std::count_if(run.files.begin(), run.files.end(),
                          [](const Host::FileOutcome& file) { return file.failed; });
        if (failed != 1)
            findings.push_back("allocation failure " + which + " failed " + std::to_string(failed) +
                               " files of the import instead of one");
        if (run.files.size() != 2)
            findings.push_back("allocation failure " + which + ": the import did not go on");
    }
}

} // namespace

Findings ImportDocument(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The host's choices come from the input, so that every input always runs the same way.
    const std::uint64_t hash = Fnv1a(bytes);
    Host::DocumentChoices choices;
    choices.host.pointExtension = (hash & 0x3) != 0;
    choices.host.observationExtension = (hash & 0xC) != 0;
    choices.considerPrismConstant = (hash & 0x10) != 0;

    Findings findings;
    const Host::ImportRun clean = Host::ParseBytes(bytes, choices);
    Append(findings, clean.findings, "import");
    if (clean.errorLeft)
        findings.push_back("an error left the import of a document in memory: " + clean.error);
    else
        CompareWithParser(bytes, clean, findings);

    if (Host::AllocationFailureAvailable())
        CheckAllocationFailure(bytes, choices, hash, findings);

    if (((hash >> 5) & 0xF) == 0)
        CompareWithDriver(bytes, choices, clean, findings);
    return findings;
}

} // namespace Fuzzing
