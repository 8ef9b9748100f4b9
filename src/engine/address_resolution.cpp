// Determining the local address (once per run) and validating the chosen host before a countdown.
// Both lookups are asynchronous: Windows Sockets writes the host entry into a buffer of its own (copied
// into m_hostBuffer on completion) and posts the completion message to the view.
#include <cstdint>
#include <cstring>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "engine/rules/host_entry.h"
#include "framework/win_app.h"

namespace {

bool StartsWithDigit(const CString& text)
{
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

}  // namespace

HostEntryView CProdleView::HostEntryInBuffer() const
{
    return HostEntryView{reinterpret_cast<const unsigned char*>(m_hostBuffer), sizeof m_hostBuffer,
                         static_cast<uint64_t>(m_hostBufferBase), static_cast<int>(sizeof(void*))};
}

void CProdleView::StartLookup(UINT completionMessage, const char* name)
{
    // A record that is never written reads as one without a name.
    std::memset(m_hostBuffer, 0, sizeof(char*));
    if (!m_lookups.Start(m_hWnd, completionMessage, name)) {
        // No answer would ever come: give one that says it failed, so that the engine goes on as for
        // any failed lookup instead of waiting for ever with a disabled Start button.
        int error = ::WSAGetLastError();
        if (error == 0)
            error = WSANOTINITIALISED;
        PostMessage(completionMessage, 0, WSAMAKEASYNCREPLY(0, error));
    }
}

bool CProdleView::TakeLookupResult(WPARAM task)
{
    uintptr_t base = 0;
    if (!m_lookups.TakeAnswer(task, m_hostBuffer, sizeof m_hostBuffer, &base))
        return false;
    m_hostBufferBase = base;
    return true;
}

void CProdleView::LookUpLocalAddress()
{
    m_strLocalAddress = "no address yet";
    char name[100] = {};
    // A failed call normally leaves the name empty, and the empty name is looked up; the last byte is
    // made a terminator whatever a failed call wrote.
    ::gethostname(name, sizeof name);
    name[sizeof name - 1] = '\0';
    m_strLookedUpDomain.clear();
    StartLookup(WM_PRODLE_LOCAL_LOOKUP, name);
    SetStatus("Determining Local IP Address");
}

void CProdleView::ValidateDomain()
{
    m_strDomain = m_comboNames.GetWindowText();
    if (StartsWithDigit(m_strDomain)) {
        StartCountdown();
        return;
    }
    BeginWaitCursor();  // ended by the lookup's completion
    m_strLookedUpDomain = m_strDomain;
    StartLookup(WM_PRODLE_DOMAIN_LOOKUP, m_strDomain.c_str());
    SetStatus("Validating Domain Name");
}

LRESULT CProdleView::OnLocalLookupDone(WPARAM wParam, LPARAM lParam)
{
    if (!TakeLookupResult(wParam))
        return 0;
    EndWaitCursor();
    unsigned char address[4];
    if (WSAGETASYNCERROR(lParam) == 0 && PickLocalAddress(HostEntryInBuffer(), address)) {
        in_addr local;
        std::memcpy(&local, address, sizeof address);
        const char* text = ::inet_ntoa(local);
        if (text && text[0] >= '0' && text[0] <= '9') {
            m_strLocalAddress = text;
            m_bLocalAddressKnown = TRUE;
            ValidateDomain();
            return 0;
        }
    }
    SetStatus("NOT RUNNING");
    StopCycle(true);
    AfxMessageBox("Unable to get local IP address.\nHave you dialed your ISP?" + MakeTimeStampSuffix(), MB_OK);
    return 0;
}

LRESULT CProdleView::OnDomainLookupDone(WPARAM wParam, LPARAM lParam)
{
    if (!TakeLookupResult(wParam))
        return 0;
    EndWaitCursor();
    if (WSAGETASYNCERROR(lParam) == 0) {
        StartCountdown();
        return 0;
    }
    m_strLookedUpDomain.clear();
    StopCycle(true);
    AfxMessageBox(FormatString("Prodle: Name %s Not Found", m_strDomain.c_str()) + MakeTimeStampSuffix(), MB_OK);
    return 0;
}

CString CProdleView::MakeTimeStampSuffix() const
{
    return "\n\nProdle launched at time " + m_strLaunchTime + "\nThis message created at time " + CurrentTimeText();
}
