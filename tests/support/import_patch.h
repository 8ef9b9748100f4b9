// Replaces a function that the test program imports from a DLL with a stand-in, for as long as the
// object lives: every import slot of the program's own module that holds the function is redirected.
// Used to make the platform refuse a call that it would not refuse on its own under test.
#ifndef PRODLE_TESTS_SUPPORT_IMPORT_PATCH_H
#define PRODLE_TESTS_SUPPORT_IMPORT_PATCH_H

#include <windows.h>

#include <initializer_list>
#include <vector>

class ImportPatch {
public:
    // The function is looked up by name in each of the DLLs (those loaded).
    ImportPatch(std::initializer_list<const char*> dlls, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // Number of import slots redirected.
    size_t Patched() const { return slots_.size(); }

private:
    struct Slot {
        void** where;
        void* original;
    };
    static void Write(void** where, void* value);
    std::vector<Slot> slots_;
};

// The function as the DLL exports it, whatever import slots are patched: for a stand-in to call on.
template <class Function>
Function RealFunction(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}

#endif
