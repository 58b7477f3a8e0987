// The extension's points: code records by point name, onboard images by point id, and the image
// files looked for beside the document.

#include "import/LandXMLImporter.h"

#include "platform/Platform.h"

#include <cstring>
#include <initializer_list>
#include <string_view>

namespace Plugin
{

void CLandXMLImporter::ReadExtensionPoints(const Node* extension)
{
    if (extension == firstPassExtension)
    {
        // The first pass met every image reference of these points, in this order, and looked
        // for its file: only the missing files are reported again, and no point is walked.
        for (std::size_t i = 0; i < pointImages; ++i)
        {
            const char* name = nullptr;
            bool plainFileName = false;
            if (knownImages[i].answer == ImageLocation::Missing &&
                SpellImagePaths(knownImages[i].node, &name, &plainFileName))
                ReportMissingImage();
        }
        knownImages.Rewind(pointImages);
        return;
    }
    for (const Node* point = FindChild(extension, "Point"); point != nullptr;
         point = NextSibling(point, "Point"))
        ReadExtensionPoint(point, false);
}

void CLandXMLImporter::ReadExtensionPoint(const Node* point, bool firstPass)
{
    const Attribute* uniqueId = FindAttribute(point, "uniqueID");
    if (uniqueId == nullptr)
        return;
    const WideText id = firstPass ? ValueOf(uniqueId) : WideText();
    const Node* pointCode = firstPass ? FindChild(point, "PointCode") : nullptr;
    if (pointCode != nullptr)
    {
        // The part of the id before its first "@", or the whole id.
        const WideView key = id.View().substr(0, id.View().find(WideChar('@')));
        NameRecord& name = RecordOf(key);
        if (!name.hasPoint)
        {
            name.point.gpsPhase = ValueIs(FindAttribute(point, "subclass"), "GPS phase");
            ReadFeature(pointCode, name.point);
            name.hasPoint = true;
        }
    }
    const Node* onboard = FindChild(point, "OnboardImages");
    if (onboard == nullptr)
        return;
    for (const Node* reference = FindChild(onboard, "landxml:DocFileRef"); reference;
         reference = NextSibling(reference, "landxml:DocFileRef"))
    {
        ImageRecord image;
        if (ReadImageReference(firstPass ? &image : nullptr, reference, firstPass) && firstPass)
            images.Add(RecordOf(id), image);
    }
}

namespace
{

// A file name that stays one name inside its folder: no separator, and not only dots and blanks,
// which a file system could read as the folder itself or the one above it.
bool IsPlainFileName(const char* name, const char* format)
{
    bool named = false;
    for (const char* part : {name, format})
        for (const char* c = part; *c != 0; ++c)
        {
            if (*c == '/' || *c == '\\')
                return false;
            named = named || (*c != '.' && *c != ' ');
        }
    return named;
}

// The parts one after the other, in out's memory of earlier paths.
void Join(std::string& out, std::initializer_list<std::string_view> parts)
{
    std::size_t length = 0;
    for (const std::string_view part : parts)
        length += part.size();
    out.resize(length);
    char* end = out.data();
    for (const std::string_view part : parts)
    {
        std::memcpy(end, part.data(), part.size());
        end += part.size();
    }
}

} // namespace

bool CLandXMLImporter::FileExists(WideView relativePath, bool plainFileName)
{
    if (plainFileName)
    {
        // The "/" before the file name is the last one: the name holds none, and no byte of the
        // document converts to one.
        const WideView relativeFolder = relativePath.substr(0, relativePath.rfind(WideChar('/')));
        const bool* known = knownFolders.Find(relativeFolder);
        if (known == nullptr)
            known = &knownFolders.Insert(arena.Keep(relativeFolder),
                                         Platform::PathExists(folder + WideString(relativeFolder)));
        if (!*known)
            return false;
    }
    return Platform::PathExists(folder + WideString(relativePath));
}

CLandXMLImporter::ImageLocation CLandXMLImporter::LocateImage(const Node* reference,
                                                              bool plainFileName, bool firstPass)
{
    if (!firstPass)
        if (const ImageLocation* known = knownImages.Next(reference))
            return *known;
    ImageLocation location = ImageLocation::Missing;
    if (FileExists(Converted(locationPath), plainFileName))
        location = ImageLocation::AtLocation;
    else if (FileExists(Converted(imagesPath), plainFileName))
        location = ImageLocation::InImages;
    if (firstPass)
        knownImages.Add(reference, location);
    return location;
}

const WideText& CLandXMLImporter::Converted(SpelledPath& path)
{
    if (!path.converted)
        path.wide = ToWideText(path.bytes.data(), path.bytes.size());
    path.converted = true;
    return path.wide;
}

void CLandXMLImporter::ReportMissingFile(const WideText& relativePath)
{
    warning.assign(WIDE_TEXT("Файл "));
    warning.append(relativePath.View());
    warning.append(WIDE_TEXT(" не найден"));
    sink->ReportWarning(warning.c_str());
}

void CLandXMLImporter::ReportMissingImage()
{
    ReportMissingFile(Converted(locationPath));
    if (locationPath.bytes != imagesPath.bytes)
        ReportMissingFile(Converted(imagesPath));
}

bool CLandXMLImporter::SpellImagePaths(const Node* reference, const char** name,
                                       bool* plainFileName)
{
    static constexpr const char* kNames[] = {"name", "location", "fileFormat"};
    const AttributesOf attributes(reference, kNames);
    const Attribute* nameAttribute = attributes[0];
    const Attribute* locationAttribute = attributes[1];
    const Attribute* formatAttribute = attributes[2];
    *name = TextOf(nameAttribute ? nameAttribute->value() : nullptr);
    const char* location = TextOf(locationAttribute ? locationAttribute->value() : nullptr);
    const char* format = formatAttribute ? TextOf(formatAttribute->value()) : "jpg";
    if (**name == 0 || *location == 0 || *format == 0)
        return false;

    // The paths are joined as bytes and converted whole, as the document spells them.
    Join(locationPath.bytes, {location, "/", *name, ".", format});
    Join(imagesPath.bytes, {"Images/", *name, ".", format});
    locationPath.converted = false;
    imagesPath.converted = false;
    *plainFileName = IsPlainFileName(*name, format);
    return true;
}

bool CLandXMLImporter::ReadImageReference(ImageRecord* record, const Node* reference,
                                          bool firstPass)
{
    const char* name = nullptr;
    bool plainFileName = false;
    if (!SpellImagePaths(reference, &name, &plainFileName))
        return false;
    const ImageLocation found = LocateImage(reference, plainFileName, firstPass);
    if (record != nullptr)
    {
        record->name = arena.Keep(ToWideText(name));
        if (found == ImageLocation::AtLocation)
            record->path = arena.Keep(Converted(locationPath));
        else if (found == ImageLocation::InImages)
            record->path = arena.Keep(Converted(imagesPath));
    }
    if (found == ImageLocation::Missing)
        ReportMissingImage();
    return true;
}

} // namespace Plugin
