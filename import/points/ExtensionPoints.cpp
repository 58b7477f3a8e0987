// The extension's points: code records by point name, onboard images by point id, and the image
// files looked for beside the document.

#include "import/LandXMLImporter.h"

#include "platform/Platform.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace Plugin
{
namespace
{

// A file name that stays one name inside its folder: no separator, and not only dots and blanks,
// which a file system could read as the folder itself or the one above it.
bool IsPlainFileName(std::string_view name, std::string_view format)
{
    bool named = false;
    for (const std::string_view part : {name, format})
        for (const char c : part)
        {
            if (c == '/' || c == '\\')
                return false;
            named = named || (c != '.' && c != ' ');
        }
    return named;
}

// A path joined from parts as the document spells them, to be converted whole.
std::string JoinedPath(std::initializer_list<std::string_view> parts)
{
    std::string joined;
    for (const std::string_view part : parts)
        joined.append(part);
    return joined;
}

// An attribute's value as the document spells it, up to its first zero byte; empty when the
// attribute is absent.
std::string_view SpelledValue(const Attribute* attribute)
{
    return attribute != nullptr ? std::string_view(attribute->value()) : std::string_view();
}

} // namespace

void CLandXMLImporter::ReadExtensionPoints(const Node* extension)
{
    for (const Node* point : ChildrenOf(extension).points)
    {
        const Attribute* uniqueId = FindAttribute(point, "uniqueID");
        if (uniqueId == nullptr)
            continue;
        const WideText id = ValueOf(uniqueId);
        if (const Node* pointCode = FindChild(point, "PointCode"))
        {
            // The code record goes under the id up to its first "@"; the first one stays.
            const Key name = names.Add(id.View().substr(0, id.View().find(WideChar('@'))));
            if (points.Find(name) == nullptr)
            {
                PointRecord record(arena);
                if (const Attribute* subclass = FindAttribute(point, "subclass"))
                    record.subclass = arena.Keep(ValueOf(subclass));
                ReadFeature(pointCode, record);
                points.Insert(name, std::move(record));
            }
        }
        const Node* onboard = FindChild(point, "OnboardImages");
        if (onboard == nullptr)
            continue;
        for (const Node* reference = FindChild(onboard, "landxml:DocFileRef"); reference;
             reference = NextSibling(reference, "landxml:DocFileRef"))
        {
            ImageRecord image;
            if (ReadImageReference(image, reference))
                images.Add(names.Add(id), image);
        }
    }
}

bool CLandXMLImporter::ReadImageReference(ImageRecord& record, const Node* reference)
{
    const Attribute* nameAttribute = FindAttribute(reference, "name");
    const Attribute* formatAttribute = FindAttribute(reference, "fileFormat");
    const std::string_view name = SpelledValue(nameAttribute);
    const std::string_view location = SpelledValue(FindAttribute(reference, "location"));
    const std::string_view format = formatAttribute ? SpelledValue(formatAttribute) : "jpg";
    if (name.empty() || location.empty() || format.empty())
        return false;

    const WideText locationPath = ToWide(JoinedPath({location, "/", name, ".", format}));
    const WideText imagesPath = ToWide(JoinedPath({"Images/", name, ".", format}));
    record.name = arena.Keep(ValueOf(nameAttribute));
    const bool plainFileName = IsPlainFileName(name, format);
    if (PathExists(locationPath, plainFileName))
    {
        record.path = arena.Keep(locationPath);
    }
    else if (PathExists(imagesPath, plainFileName))
    {
        record.path = arena.Keep(imagesPath);
    }
    else
    {
        ReportMissingFile(locationPath);
        if (locationPath.View() != imagesPath.View())
            ReportMissingFile(imagesPath);
    }
    return true;
}

bool CLandXMLImporter::PathExists(WideView relativePath, bool plainFileName)
{
    // A path's answer is cached only as long as the file's import: the file system may change
    // between imports.
    const auto ask = [this](WideView path)
    {
        const Key key = pathTexts.Add(path);
        if (const bool* known = knownPaths.Find(key))
            return *known;
        WideText full(folder);
        full.Append(path);
        return knownPaths.Insert(key, Platform::PathExists(full.c_str()));
    };
    // The "/" before a plain file name is the last one: the name holds none, and no byte of the
    // document converts to one.
    if (plainFileName && !ask(relativePath.substr(0, relativePath.rfind(WideChar('/')))))
        return false;
    return ask(relativePath);
}

void CLandXMLImporter::ReportMissingFile(WideView relativePath)
{
    WideText warning(WIDE_TEXT("Файл "));
    warning.Append(relativePath);
    warning.Append(WIDE_TEXT(" не найден"));
    sink->ReportWarning(warning.c_str());
}

} // namespace Plugin
