#pragma once

#include "plugin/RefCounted.h"

namespace Plugin
{

// The plug-in object: identity, the one setting, its property list and the import.
class CImportPluginImpl : public CPluginImpl<IGroundBasedMIP>, public IPropertyListViewController
{
public:
    // A new object carrying one reference for the caller; null when it cannot be allocated.
    static IGroundBasedMIP* Create();

    // No slot lets an exception of the plug-in's own reach the host: it could not catch it.
    // Slots 2 to 11 of the primary table.
    void* GetInterface(int kind) override;
    BSTR GetName() override;
#if defined(_WIN32) && !defined(_MSC_VER)
    GUID* GetId(GUID* result) override;
#else
    GUID GetId() override;
#endif
    int GetVersion() override;
    void LoadSettings(ISettingsReader* reader) override;
    bool SaveSettings(ISettingsWriter* writer) override;
    IPropertyListViewController* GetPropertyListController() override;
    BSTR GetFileFilter() override;
    BSTR GetFormatName() override;
    void Import(IPathEnumerator* paths, IImportSink* sink) override;

    // The settings property list.
    void FillPropertyList(IPropertyListView* view) override;
    bool CanApply() override;
    bool CanClose() override;
    bool ApplyChanges() override;
    void Close() override;

    bool ConsidersPrismConstant() const
    {
        return considerPrismConstant;
    }

private:
    IPropertyListView* view = nullptr; // the last view filled; not owned
    bool considerPrismConstant = true; // ConsiderPrismConstant; imports read it by address
};

// {F7709FA8-B5FD-4A8D-A7B9-F7EA1777A14B}
constexpr GUID kPluginId = {
    0xF7709FA8, 0xB5FD, 0x4A8D, {0xA7, 0xB9, 0xF7, 0xEA, 0x17, 0x77, 0xA1, 0x4B}};

} // namespace Plugin
