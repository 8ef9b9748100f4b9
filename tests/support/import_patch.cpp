#include "support/import_patch.h"

#include <algorithm>

ImportPatch::ImportPatch(std::initializer_list<const char*> dlls, const char* function, void* replacement)
{
    std::vector<void*> originals;
    for (const char* dll : dlls) {
        if (HMODULE module = ::GetModuleHandleA(dll))
            if (FARPROC address = ::GetProcAddress(module, function))
                originals.push_back(reinterpret_cast<void*>(address));
    }
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (originals.empty() || directory.VirtualAddress == 0)
        return;
    for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        for (auto** slot = reinterpret_cast<void**>(base + import->FirstThunk); *slot; ++slot) {
            if (std::find(originals.begin(), originals.end(), *slot) == originals.end())
                continue;
            slots_.push_back({slot, *slot});
            Write(slot, replacement);
        }
    }
}

ImportPatch::~ImportPatch()
{
    for (const Slot& slot : slots_)
        Write(slot.where, slot.original);
}

void ImportPatch::Write(void** where, void* value)
{
    DWORD previous = 0;
    ::VirtualProtect(where, sizeof *where, PAGE_READWRITE, &previous);
    *where = value;
    ::VirtualProtect(where, sizeof *where, previous, &previous);
}
