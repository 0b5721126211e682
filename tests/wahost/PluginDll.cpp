#include "tests/wahost/PluginDll.h"

#include "tests/wahost/HostMainWindow.h"

namespace {

const IMAGE_NT_HEADERS32* ImageHeaders(HMODULE Library)
{
    const auto* base = reinterpret_cast<const uint8_t*>(Library);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
}

const IMAGE_EXPORT_DIRECTORY* ExportDirectory(HMODULE Library)
{
    if (!Library) {
        return nullptr;
    }
    const IMAGE_DATA_DIRECTORY& entry =
        ImageHeaders(Library)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0 || entry.Size == 0) {
        return nullptr;
    }
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(reinterpret_cast<const uint8_t*>(Library) +
                                                           entry.VirtualAddress);
}

}  // namespace

TPluginDll::~TPluginDll()
{
    Unload();
}

std::string TPluginDll::Load(const std::string& Path)
{
    std::string failure;
    Ui.Run([&] {
        Library = LoadLibraryA(Path.c_str());
        if (!Library) {
            failure = "LoadLibrary(" + Path + ") failed with error " + std::to_string(GetLastError());
            return;
        }
        Get = reinterpret_cast<WinampGetInModule2Function>(
            reinterpret_cast<void*>(GetProcAddress(Library, "winampGetInModule2")));
        if (!Get) {
            failure = Path + " does not export winampGetInModule2";
        }
    });
    return failure;
}

In_Module* TPluginDll::GetModule()
{
    In_Module* module = nullptr;
    if (Get) {
        Ui.Run([&] { module = Get(); });
    }
    return module;
}

void TPluginDll::Unload()
{
    if (!Library) {
        return;
    }
    Ui.Run([&] { FreeLibrary(Library); });
    Library = nullptr;
    Get = nullptr;
}

void* TPluginDll::Symbol(const char* Name) const
{
    return Library ? reinterpret_cast<void*>(GetProcAddress(Library, Name)) : nullptr;
}

std::vector<std::string> TPluginDll::ExportNames() const
{
    std::vector<std::string> names;
    const IMAGE_EXPORT_DIRECTORY* exports = ExportDirectory(Library);
    if (!exports) {
        return names;
    }
    const auto* base = reinterpret_cast<const uint8_t*>(Library);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    return names;
}

int TPluginDll::ExportedFunctions() const
{
    const IMAGE_EXPORT_DIRECTORY* exports = ExportDirectory(Library);
    return exports ? static_cast<int>(exports->NumberOfFunctions) : 0;
}

bool TPluginDll::Holds(const void* Address) const
{
    if (!Library) {
        return false;
    }
    const auto start = reinterpret_cast<uintptr_t>(Library);
    const auto address = reinterpret_cast<uintptr_t>(Address);
    return address >= start && address - start < ImageHeaders(Library)->OptionalHeader.SizeOfImage;
}
