// One prodle: connect to port 80 of the host, remember the settings, send the request, and take the
// first reply data as the sign that it went through. Also the policy for a failed connection.
#include <cstdlib>
#include <cstring>

#include "app/resource.h"
#include "engine/host_entry.h"
#include "engine/http_request.h"
#include "engine/prodle_view.h"
#include "framework/win_app.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"
#include "app/prodle_app.h"

namespace {

CString ComboNameValue(int index)
{
    return FormatString(kSettingComboNameFormat, index);
}

}  // namespace

void CProdleView::RunTheJob(BOOL bUseNewDomain)
{
    m_btnStart.EnableWindow(FALSE);
    m_bBusy = TRUE;
    CString host = m_strLastDomain;
    if (bUseNewDomain) {
        host = m_strDomain;
        m_bNewDomain = FALSE;
    }
    const int s = ConnectAndRemember(host);
    if (s != -1) {
        m_bWaiting = TRUE;
        m_trayIcon.SetIcon(IDI_IN_FLIGHT);
        SendRequest();
    } else if (!m_bIgnoreFailures) {
        // Read after the attempt, which may just have reset it.
        StopCycle(true);
    }
}

int CProdleView::ConnectAndRemember(CString host)
{
    BeginWaitCursor();
    // A socket whose server never closed is replaced: close it rather than leak it.
    if (m_socket != -1)
        CloseSocket();
    m_socket = ConnectTo(host.c_str(), "80");
    EndWaitCursor();
    if (m_socket == -1)
        return -1;

    ::WSAAsyncSelect(static_cast<SOCKET>(m_socket), m_hWnd, WM_PRODLE_SOCKET, FD_READ | FD_WRITE | FD_CLOSE);
    SetStatus("Connection made OK");

    const CProfileStore& store = Profile();
    store.WriteProfileString(kSettingsSection, kSettingOften, m_strOften.c_str());
    for (int i = 0; i < m_comboNames.GetCount(); ++i)
        store.WriteProfileString(kSettingsSection, ComboNameValue(i).c_str(), m_comboNames.GetLBText(i).c_str());

    m_strLastDomain = host;
    if (m_comboNames.FindStringExact(-1, m_strLastDomain) == CB_ERR) {
        m_comboNames.AddString(m_strLastDomain);
        const int last = m_comboNames.GetCount() - 1;
        m_comboNames.SetCurSel(last);
        store.WriteProfileString(kSettingsSection, ComboNameValue(last).c_str(), m_strLastDomain.c_str());
    }
    m_nSelIndex = m_comboNames.FindStringExact(-1, m_strLastDomain);
    m_comboNames.SetCurSel(m_nSelIndex);
    store.WriteProfileInt(kSettingsSection, kSettingComboNameSel, m_nSelIndex);
    return m_socket;
}

bool CProdleView::AddressOf(const char* host, sockaddr_in* address)
{
    if (host[0] >= '0' && host[0] <= '9') {
        address->sin_family = AF_INET;
        address->sin_addr.s_addr = ::inet_addr(host);
        return true;
    }
    int family = 0;
    unsigned char bytes[4] = {};
    if (::lstrcmpiA(host, TrimmedLookedUpDomain().c_str()) == 0 &&
        FirstAddress(HostEntryInBuffer(), &family, bytes)) {
        address->sin_family = static_cast<short>(family);
        std::memcpy(&address->sin_addr, bytes, sizeof bytes);
        return true;
    }
    // The buffer holds no entry for this host (the list was changed since the validation): look it up
    // now, blocking like the connect that follows.
    const hostent* entry = ::gethostbyname(host);
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0] || entry->h_length <= 0)
        return false;
    address->sin_family = entry->h_addrtype;
    std::memcpy(&address->sin_addr, entry->h_addr_list[0],
                entry->h_length < 4 ? static_cast<size_t>(entry->h_length) : 4);
    return true;
}

CString CProdleView::TrimmedLookedUpDomain() const
{
    const size_t first = m_strLookedUpDomain.find_first_not_of(' ');
    return first == CString::npos ? CString() : m_strLookedUpDomain.substr(first);
}

int CProdleView::ConnectTo(const char* host, const char* port)
{
    const int portNumber = std::atoi(port);
    while (*host == ' ')
        ++host;
    if (!*host || portNumber == 0)
        return -1;

    sockaddr_in address = {};
    address.sin_port = ::htons(static_cast<u_short>(portNumber));
    const bool resolved = AddressOf(host, &address);

    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        AfxMessageBox("Prodle: Error opening stream socket" + MakeTimeStampSuffix(), MB_OK);
        return -1;
    }
    if (resolved && ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) >= 0)
        return static_cast<int>(s);
    ::closesocket(s);

    const CString text = FormatString("Prodle: Cannot connect to %s on port %s", host, port) + MakeTimeStampSuffix();
    if (!m_bIgnoreFailures) {
        AfxMessageBox(text, MB_OK);
        return -1;
    }
    SetStatus("Last connection failed");
    int index = m_comboNames.FindStringExact(-1, host);
    const int count = m_comboNames.GetCount();
    if (index == CB_ERR) {
        m_comboNames.SetCurSel(0);
        StartCycle();
    } else if (count == 1) {
        StopCycle(false);
        m_bIgnoreFailures = FALSE;
        Profile().WriteProfileInt(kSettingsSection, kSettingIgnore, 0);
        AfxMessageBox("You had a connection failure on the only\ndomain in the list.\n\n"
                      "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle",
                      MB_OK);
    } else {
        if (++index == count)
            index = 0;
        m_comboNames.SetCurSel(index);
        StartCycle();
    }
    return -1;
}

void CProdleView::SendRequest()
{
    const CString request = BuildProdleRequest(m_strLocalAddress);
    ::send(static_cast<SOCKET>(m_socket), request.data(), static_cast<int>(request.size()), 0);
    SetStatus("Prodle was sent");
}

LRESULT CProdleView::OnSocketEvent(WPARAM wParam, LPARAM lParam)
{
    if (m_socket == -1 || wParam != static_cast<WPARAM>(static_cast<SOCKET>(m_socket)))
        return 0;  // an earlier socket's news
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_READ:
        ReadReply(false);
        break;
    case FD_CLOSE:
        // The close can overtake the read notification of data that came just before it.
        if (m_bWaiting)
            ReadReply(true);
        CloseSocket();
        break;
    default:
        break;
    }
    return 0;
}

void CProdleView::CloseSocket()
{
    ::closesocket(static_cast<SOCKET>(m_socket));
    m_socket = -1;
    // Every notification still queued is about a socket now closed. The next socket can get the same
    // number, and must not inherit its predecessor's read (a prodle completed without reply data) or
    // close (its own connection closed before it could read the reply).
    MSG stale;
    while (::PeekMessageA(&stale, m_hWnd, WM_PRODLE_SOCKET, WM_PRODLE_SOCKET, PM_REMOVE)) {
    }
}

void CProdleView::ReadReply(bool onlyWithData)
{
    // At most 1024 bytes into the cleared buffer, so the data always stay NUL-terminated; the reply is
    // never kept or interpreted.
    std::memset(m_recvBuffer, 0, sizeof m_recvBuffer);
    const int received = ::recv(static_cast<SOCKET>(m_socket), m_recvBuffer, 1024, 0);
    if (!m_bWaiting || (onlyWithData && received <= 0))
        return;
    m_bWaiting = FALSE;
    m_bBusy = FALSE;
    m_trayIcon.SetIcon(IDI_RUNNING);
    SetStatus(("Prodle completed at " + CurrentTimeText()).c_str());
    AfxGetMainWnd()->FlashWindow(FALSE);
}
