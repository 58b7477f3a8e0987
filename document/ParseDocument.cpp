// A file's bytes as an XML tree: malformed files are reported, the declared encoding, the root
// and its version are found, and the root goes to the dispatch.

#include "document/NestingDepth.h"
#include "document/ToWide.h"
#include "import/LandXMLImporter.h"
#include "plugin/HostBoundary.h"
#include "plugin/StringTable.h"

#include <memory>

namespace Plugin
{

void CLandXMLImporter::ReportFormatError()
{
    // The text first: a text that cannot be loaded fails the file before the host hears of it.
    const WideString message = LoadText(TextFileFormatError);
    const Held heldMessage(message);
    sink->SetFileResult(-1);
    sink->ReportError(message.c_str());
}

void CLandXMLImporter::ParseDocument(char* buffer)
{
    // The parser recurses once per nested element: a document deeper than any real one could
    // overflow the host thread's stack, so it is refused as malformed before parsing.
    if (NestsDeeperThan(buffer, kMaxElementDepth))
    {
        ReportFormatError();
        return;
    }
    // The tree's node pool is large; it lives on the heap, not on the host's stack.
    const auto tree = std::make_unique<rapidxml::xml_document<char>>();
    const Held heldTree(tree);
    try
    {
        tree->parse<rapidxml::parse_declaration_node>(buffer);
    }
    catch (const rapidxml::parse_error&)
    {
        // The host sees one format error; the parser's own text is never shown.
        ReportFormatError();
        return;
    }
    sink->SetProgress(50.0f);

    for (const Node* node = tree->first_node(); node != nullptr; node = node->next_sibling())
    {
        if (node->type() != rapidxml::node_declaration)
            continue;
        // Only the first declaration counts, and it is read as UTF-8.
        if (const Attribute* declared = FindAttribute(node, "encoding"))
        {
            encoding = ValueOf(declared);
            ansiCodePage = UsesAnsiCodePage(encoding);
        }
        break;
    }

    const Node* root = FindChild(tree.get(), "LandXML");
    if (root == nullptr)
    {
        ReportFormatError();
        return;
    }
    if (const Attribute* declaredVersion = FindAttribute(root, "version"))
    {
        const WideText text = ValueOf(declaredVersion);
        if (text.View() == WIDE_TEXT("1.0"))
            version = 10;
        else if (text.View() == WIDE_TEXT("1.1"))
            version = 11;
        else if (text.View() == WIDE_TEXT("1.2"))
            version = 12;
    }
    ReadLandXML(root);
}

} // namespace Plugin
