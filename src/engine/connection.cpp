// One prodle: connect to port 80 of the host, remember the settings, send the request, and take the
// first reply data as the sign that it went through. Also the policy for a failed connection.
//
// Nothing here waits on the network: the socket is registered for its notifications before it connects
// and the outcome arrives as FD_CONNECT (for a name whose address is not known yet, after a lookup that
// does not block either). A connection without an outcome after m_dwConnectBoundMs has failed. While a
// connection is being made the countdown skips the prodles that fall due: one connection at a time.
#include <cstdlib>
#include <cstring>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "engine/rules/host_entry.h"
#include "engine/rules/http_request.h"
#include "framework/win_app.h"
#include "settings/host_list_store.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

namespace {

CString WithoutLeadingSpaces(const CString& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == CString::npos ? CString() : text.substr(first);
}

}  // namespace

void CProdleView::RunTheJob(BOOL bUseNewDomain)
{
    if (m_bConnectPending)
        return;  // one connection at a time
    m_btnStart.EnableWindow(FALSE);
    m_bBusy = TRUE;
    CString host = m_strLastDomain;
    if (bUseNewDomain) {
        host = m_strDomain;
        m_bNewDomain = FALSE;
    }
    // A connection that is under way ends in OnConnectOutcome; this handles one that failed at once.
    // The flag is read after the attempt, which may just have reset it.
    if (ConnectAndRemember(host) != -1 || m_bDestroyed)
        return;
    if (!m_bIgnoreFailures)
        StopCycle(true);
    RunDeferredCommands();
}

int CProdleView::ConnectAndRemember(CString host)
{
    BeginWaitCursor();  // until the connection's outcome is known
    m_bConnectCursor = true;
    m_bConnectPending = TRUE;
    m_strConnectHost = host;
    // A socket whose server never closed is replaced: close it rather than leak it.
    if (m_socket != -1)
        CloseSocket();
    m_socket = ConnectTo(host.c_str(), "80");
    if (m_socket == -1) {
        EndConnectWait();
        m_bConnectPending = FALSE;
        return -1;
    }
    m_dwConnectStart = ::GetTickCount();
    SetTimer(TIMER_CONNECT_BOUND, m_dwConnectBoundMs);
    return m_socket;
}

void CProdleView::OnConnectOutcome(bool connected)
{
    EndConnectWait();
    if (connected) {
        m_bConnectPending = FALSE;
        RememberConnection(m_strConnectHost);
        m_bWaiting = TRUE;
        m_trayIcon.SetIcon(IDI_IN_FLIGHT);
        SendRequest();
        RunDeferredCommands();
        return;
    }
    CloseSocket();
    // Still pending while the failure is reported, so that no prodle starts from a message box's loop.
    ApplyConnectFailurePolicy(WithoutLeadingSpaces(m_strConnectHost).c_str(), "80");
    m_bConnectPending = FALSE;
    if (m_bDestroyed)
        return;  // the program was closed while the box was up
    if (!m_bIgnoreFailures)
        StopCycle(true);
    // A rotation comes here outside the countdown's tick: the new countdown shows at once.
    ShowCountdown();
    RunDeferredCommands();
}

void CProdleView::OnConnectBoundTimer()
{
    // A tick queued before the outcome came, or before its failure's box went up, has nothing to add.
    if (!m_bConnectPending || m_bReportingConnectFailure) {
        KillTimer(TIMER_CONNECT_BOUND);
        return;
    }
    // A tick of an earlier connection's timer can still be queued: the bound counts from this one's start.
    const DWORD elapsed = ::GetTickCount() - m_dwConnectStart;
    if (elapsed < m_dwConnectBoundMs) {
        SetTimer(TIMER_CONNECT_BOUND, m_dwConnectBoundMs - elapsed);
        return;
    }
    OnConnectOutcome(false);
}

void CProdleView::EndConnectWait()
{
    KillTimer(TIMER_CONNECT_BOUND);
    if (m_bConnectLookup) {
        m_lookups.GiveUp();
        m_bConnectLookup = false;
    }
    if (m_bConnectCursor) {
        m_bConnectCursor = false;
        EndWaitCursor();
    }
}

void CProdleView::RememberConnection(const CString& host)
{
    SetStatus("Connection made OK");

    Profile().WriteProfileString(kSettingsSection, kSettingOften, m_strOften.c_str());
    // A host new to the list joins it at the end; entries stored beyond the list are left alone.
    m_strLastDomain = host;
    if (m_comboNames.FindStringExact(-1, m_strLastDomain) == CB_ERR)
        m_comboNames.AddString(m_strLastDomain);
    const HostListStore hostList(Profile());
    hostList.StoreNames(HostNames(), HostListStore::Beyond::Keep);
    m_nSelIndex = m_comboNames.FindStringExact(-1, m_strLastDomain);
    m_comboNames.SetCurSel(m_nSelIndex);
    hostList.StoreSelection(m_nSelIndex);
}

CProdleView::Address CProdleView::AddressOf(const char* host, sockaddr_in* address)
{
    if (host[0] >= '0' && host[0] <= '9') {
        address->sin_family = AF_INET;
        address->sin_addr.s_addr = ::inet_addr(host);
        return Address::Known;
    }
    int family = 0;
    unsigned char bytes[4] = {};
    if (::lstrcmpiA(host, WithoutLeadingSpaces(m_strLookedUpDomain).c_str()) == 0 &&
        FirstAddress(HostEntryInBuffer(), &family, bytes)) {
        address->sin_family = static_cast<short>(family);
        std::memcpy(&address->sin_addr, bytes, sizeof bytes);
        return Address::Known;
    }
    // The lookup buffer holds no entry for this host (the list was changed since the validation).
    return Address::NeedsLookup;
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
    const Address known = AddressOf(host, &address);

    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        EndConnectWait();
        AfxMessageBox("Prodle: Error opening stream socket" + MakeTimeStampSuffix(), MB_OK);
        return -1;
    }
    m_socket = static_cast<int>(s);
    // Registered before it connects: the socket no longer blocks, and the connect's outcome comes as FD_CONNECT.
    ::WSAAsyncSelect(s, m_hWnd, WM_PRODLE_SOCKET, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);

    if (known == Address::NeedsLookup) {
        // Looked up without blocking; the connect starts when the answer comes.
        m_connectAddress = address;
        m_strLookedUpDomain.clear();
        StartLookup(WM_PRODLE_CONNECT_LOOKUP, host);
        m_bConnectLookup = true;
        return m_socket;
    }
    if (StartConnect(address))
        return m_socket;
    CloseSocket();
    EndConnectWait();
    ApplyConnectFailurePolicy(host, port);
    return -1;
}

bool CProdleView::StartConnect(const sockaddr_in& address)
{
    const SOCKET s = static_cast<SOCKET>(m_socket);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        // Connected at once: the outcome still arrives the usual way.
        PostMessage(WM_PRODLE_SOCKET, static_cast<WPARAM>(s), WSAMAKESELECTREPLY(FD_CONNECT, 0));
        return true;
    }
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
}

LRESULT CProdleView::OnConnectLookupDone(WPARAM wParam, LPARAM lParam)
{
    if (!TakeLookupResult(wParam) || !m_bConnectLookup)
        return 0;
    m_bConnectLookup = false;
    int family = 0;
    unsigned char bytes[4] = {};
    if (WSAGETASYNCERROR(lParam) != 0 || !FirstAddress(HostEntryInBuffer(), &family, bytes)) {
        OnConnectOutcome(false);
        return 0;
    }
    // Later prodles to this host use the entry as one from a validation.
    m_strLookedUpDomain = WithoutLeadingSpaces(m_strConnectHost);
    m_connectAddress.sin_family = static_cast<short>(family);
    std::memcpy(&m_connectAddress.sin_addr, bytes, sizeof bytes);
    if (!StartConnect(m_connectAddress))
        OnConnectOutcome(false);
    return 0;
}

void CProdleView::ApplyConnectFailurePolicy(const char* host, const char* port)
{
    m_bReportingConnectFailure = TRUE;
    ReportConnectFailure(host, port);
    m_bReportingConnectFailure = FALSE;
}

void CProdleView::ReportConnectFailure(const char* host, const char* port)
{
    const CString text = FormatString("Prodle: Cannot connect to %s on port %s", host, port) + MakeTimeStampSuffix();
    if (!m_bIgnoreFailures) {
        AfxMessageBox(text, MB_OK);
        return;
    }
    SetStatus("Last connection failed");
    int index = m_comboNames.FindStringExact(-1, host);
    const int count = m_comboNames.GetCount();
    // The rotations restart the cycle: StartCycle stops this one first (StopCycle closes its socket).
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
    if (m_bConnectPending) {
        // Only the connect's own outcome counts until it is known; a close before it is a failure.
        if (!m_bConnectLookup && WSAGETSELECTEVENT(lParam) == FD_CONNECT)
            OnConnectOutcome(WSAGETSELECTERROR(lParam) == 0);
        else if (WSAGETSELECTEVENT(lParam) == FD_CLOSE)
            OnConnectOutcome(false);
        return 0;
    }
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
    if (m_socket == -1)
        return;
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
