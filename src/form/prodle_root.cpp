#include "form/prodle_root.h"

#include <ctime>

#include "form/form_ids.h"
#include "framework/win_app.h"
#include "settings/default_hosts.h"
#include "settings/profile_store.h"

ProdleRoot::ProdleRoot(Display& display, SettingsNotices& notices)
    : m_display(display), m_settings(Profile(), display, notices, m_journal),
      m_window([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
          return OnMessage(message, wParam, lParam, result);
      }),
      m_boxes(m_window.Handle(), WM_PRODLE_SHOW_BOX, [this] {
          if (m_engine)
              m_engine->OnBoxClosed();
      })
{
    // One second's pause after starting Windows Sockets, whatever its result: the program has always
    // given the sockets layer (on a dial-up machine, its dialler) this moment before using it, and the
    // start-up users see (an auto-started cycle about two seconds after launch) is timed with it.
    AfxGetApp()->Pause(1000);
    if (!m_sockets.Started())
        AfxMessageBox("Prodle: WSAStartup failed", MB_OK);
    // The launch that every box quotes is this moment, whatever boxes come before the engine is made.
    m_launchTime = m_clock.TimeOfDay();
    m_launchTick = ::GetTickCount();
}

ProdleRoot::~ProdleRoot() = default;

void ProdleRoot::Start(HWND topLevel)
{
    m_clock.Attach(m_window.Handle());
    KeepAliveEngine::Parameters parameters;
    parameters.defaultHosts = DefaultHosts();
    parameters.seed = static_cast<unsigned>(std::time(nullptr));
    parameters.launchTime = m_launchTime;
    m_engine = std::make_unique<KeepAliveEngine>(
        Ports{m_clock, m_network, m_display, m_settings, m_journal, m_history}, m_settings.Load(),
        parameters);
    m_network.Attach(m_window.Handle(), m_engine.get());
    m_networkWatch.Start(m_window.Handle());
    m_powerNotices.Register(topLevel, m_displayWake.Watches());
}

void ProdleRoot::End()
{
    // A box may be up, whose closing must find the engine ended.
    m_boxes.End();
    m_historyWindow.reset();
    if (m_engine)
        m_engine->Shutdown();
}

bool ProdleRoot::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_PRODLE_SOCKET:
        m_network.OnSocketNews(wParam, lParam);
        return true;
    case WM_PRODLE_HOST_LOOKUP:
    case WM_PRODLE_LOCAL_LOOKUP:
    case WM_PRODLE_CONNECT_LOOKUP:
        m_network.OnLookupAnswer(message, wParam, lParam);
        return true;
    case WM_PRODLE_SHOW_BOX:
        m_boxes.OnShowNext();
        return true;
    case WM_PRODLE_ADDRESS_NOTICE:
        m_networkWatch.OnNotice();
        return true;
    case WM_PRODLE_NETWORK_CHANGE:
        if (m_engine)
            m_engine->OnNetworkChanged();
        return true;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam, lParam);
        *result = TRUE;
        return true;
    case WM_TIMER:
        if (m_networkWatch.OnTimer(wParam))
            return true;
        if (!m_clock.TakeWake(wParam))
            return false;
        if (m_engine)
            m_engine->OnWake();
        return true;
    default:
        return false;
    }
}

void ProdleRoot::OnPowerBroadcast(WPARAM event, LPARAM data)
{
    if (!m_engine)
        return;
    const std::optional<bool> displayOn = PowerNotices::DisplayOn(event, data);
    if (event == PBT_APMSUSPEND)
        m_engine->OnSuspend();
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND ||
             event == PBT_APMRESUMECRITICAL)
        m_engine->OnResume();
    else if (displayOn && m_displayWake.OnDisplay(*displayOn))
        m_engine->OnResume();
}

bool ProdleRoot::PreTranslateMessage(MSG* msg)
{
    return m_historyWindow && m_historyWindow->PreTranslateMessage(msg);
}

void ProdleRoot::OpenHistory()
{
    if (!m_historyWindow || !m_historyWindow->IsOpen())
        m_historyWindow = std::make_unique<HistoryWindow>(m_history, [this] { OpenLog(); });
    m_historyWindow->Open();
}

void ProdleRoot::OpenLog()
{
    // Opened with whatever opens text files; a beep when there is nothing to open yet.
    const HINSTANCE result = AfxGetApp()->ShellOpenFile(m_journal.Path());
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        AfxGetApp()->DoMessageBeep(MB_ICONEXCLAMATION);
}
