#include "support/power_cut.h"

#include <windows.h>

#include <map>
#include <vector>

#include "support/import_patch.h"

namespace {

struct Body {
    std::string written;
    std::string flushed;
};
using Names = std::map<std::wstring, std::shared_ptr<Body>>;

}  // namespace

struct PowerCut::Disk {
    std::wstring folder;
    Names names;                                                       // as Windows shows them
    Names durable;                                                     // as they are on the disk for sure
    std::map<HANDLE, std::pair<std::shared_ptr<Body>, bool>> handles;  // open to write; writing anew
    std::function<void()> check;
    int failIn = -1;
    int anew = 0;
    std::vector<std::unique_ptr<ImportPatch>> patches;

    bool Watched(const wchar_t* name) const { return name && std::wstring(name).rfind(folder, 0) == 0; }
    // One more step that writes anew: true when it is the one to fail.
    bool Fails()
    {
        ++anew;
        if (failIn < 0 || failIn-- > 0)
            return false;
        ::SetLastError(ERROR_DISK_FULL);
        return true;
    }
    void Step()
    {
        if (check)
            check();
    }
};

namespace {

PowerCut::Disk* theDisk;

template <class Function>
Function Real(const char* name)
{
    return RealFunction<Function>("kernel32.dll", name);
}

HANDLE WINAPI CreateFileStandIn(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model)
{
    const auto real = Real<decltype(&::CreateFileW)>("CreateFileW");
    if (!theDisk->Watched(name))
        return real(name, access, share, security, disposition, flags, model);
    const bool anew = (access & (GENERIC_WRITE | FILE_WRITE_DATA)) != 0;
    if (anew && theDisk->Fails())
        return INVALID_HANDLE_VALUE;
    const HANDLE file = real(name, access, share, security, disposition, flags, model);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    std::shared_ptr<Body>& body = theDisk->names[name];
    if (!body)
        body = std::make_shared<Body>();
    if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)
        *body = Body();  // a file cut short in place is short on the disk too
    if (access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA))
        theDisk->handles[file] = {body, anew};
    theDisk->Step();
    return file;
}

BOOL WINAPI WriteFileStandIn(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    const auto watched = theDisk->handles.find(file);
    const bool fails = watched != theDisk->handles.end() && watched->second.second && theDisk->Fails();
    DWORD done = 0;
    const BOOL wrote =
        Real<decltype(&::WriteFile)>("WriteFile")(file, data, fails ? size / 2 : size, &done, overlapped);
    if (written)
        *written = done;
    if (watched != theDisk->handles.end()) {
        watched->second.first->written.append(static_cast<const char*>(data), done);
        theDisk->Step();
    }
    return wrote && !fails;
}

BOOL WINAPI FlushStandIn(HANDLE file)
{
    const auto watched = theDisk->handles.find(file);
    if (watched == theDisk->handles.end())
        return Real<decltype(&::FlushFileBuffers)>("FlushFileBuffers")(file);
    if ((watched->second.second && theDisk->Fails()) ||
        !Real<decltype(&::FlushFileBuffers)>("FlushFileBuffers")(file))
        return FALSE;
    watched->second.first->flushed = watched->second.first->written;
    theDisk->Step();
    return TRUE;
}

BOOL WINAPI CloseStandIn(HANDLE handle)
{
    theDisk->handles.erase(handle);
    return Real<decltype(&::CloseHandle)>("CloseHandle")(handle);
}

BOOL WINAPI MoveStandIn(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    const auto real = Real<decltype(&::MoveFileExW)>("MoveFileExW");
    if (!theDisk->Watched(to))
        return real(from, to, flags);
    if (theDisk->Fails() || !real(from, to, flags))
        return FALSE;
    theDisk->names[to] = theDisk->names[from];
    theDisk->names.erase(from);
    if (flags & MOVEFILE_WRITE_THROUGH)
        theDisk->durable = theDisk->names;  // the journal is written in order, up to this step
    theDisk->Step();
    return TRUE;
}

}  // namespace

PowerCut::PowerCut(const std::wstring& folder) : m_disk(std::make_unique<Disk>())
{
    m_disk->folder = folder;
    theDisk = m_disk.get();
    const std::pair<const char*, void*> standIns[] = {
        {"CreateFileW", reinterpret_cast<void*>(&CreateFileStandIn)},
        {"WriteFile", reinterpret_cast<void*>(&WriteFileStandIn)},
        {"FlushFileBuffers", reinterpret_cast<void*>(&FlushStandIn)},
        {"CloseHandle", reinterpret_cast<void*>(&CloseStandIn)},
        {"MoveFileExW", reinterpret_cast<void*>(&MoveStandIn)}};
    for (const auto& standIn : standIns)
        m_disk->patches.push_back(std::make_unique<ImportPatch>(
            std::initializer_list<const char*>{"kernel32.dll", "kernelbase.dll"}, standIn.first,
            standIn.second));
}

PowerCut::~PowerCut()
{
    m_disk->patches.clear();
    theDisk = nullptr;
}

void PowerCut::Existing(const std::wstring& name, const std::string& bytes, bool flushed)
{
    m_disk->names[name] = m_disk->durable[name] = std::make_shared<Body>(Body{bytes, flushed ? bytes : ""});
}

std::set<std::string> PowerCut::Leaves(const std::wstring& name) const
{
    std::set<std::string> left;
    for (const Names* names : {&m_disk->durable, &m_disk->names}) {
        const auto found = names->find(name);
        left.insert(found == names->end() ? std::string() : found->second->flushed);
    }
    return left;
}

void PowerCut::AfterEachStep(std::function<void()> check)
{
    m_disk->check = std::move(check);
}

void PowerCut::FailStep(int n)
{
    m_disk->failIn = n;
}

int PowerCut::StepsThatWriteAnew() const
{
    return m_disk->anew;
}
