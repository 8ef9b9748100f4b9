// Starting and stopping the cycle, checking the period, and the one-second countdown with the
// random-host and random-time options.
#include <cstdlib>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "engine/rules/countdown_text.h"
#include "engine/rules/minutes_text.h"
#include "engine/rules/random_offset.h"
#include "framework/win_app.h"

void CProdleView::StartCycle()
{
    StopCycle(false);
    m_trayIcon.SetIcon(IDI_RUNNING);
    m_btnStart.EnableWindow(FALSE);
    m_bBusy = TRUE;
    SetStatus("Starting Connection");
    if (!m_bLocalAddressKnown) {
        SetStatus("Getting Local IP Address");
        BeginWaitCursor();  // ended by the lookup's completion
        LookUpLocalAddress();
    }
    if (m_bLocalAddressKnown)
        ValidateDomain();
}

void CProdleView::StopCycle(bool bNotifyTray)
{
    m_btnStart.EnableWindow(TRUE);
    m_bBusy = FALSE;
    if (m_bCountdownTimer)
        KillTimer(TIMER_COUNTDOWN);
    if (m_bAutoStartTimer)
        KillTimer(TIMER_AUTO_START);
    SetStatus("NOT RUNNING");
    m_staticCountdown.SetWindowText("");
    m_staticNextLabel.EnableWindow(FALSE);
    if (m_socket != -1)
        CloseSocket();
    // A connection still being made is given up: nothing of it is acted on any more.
    EndConnectWait();
    m_bConnectPending = FALSE;
    if (bNotifyTray) {
        m_trayIcon.SetTip("Prodle has stopped");
        m_trayIcon.SetIcon(IDI_STOPPED);
    }
    m_bWaiting = FALSE;
    // A stop in the middle of a failure's report leaves the dialogs to the report's end.
    if (!m_bReportingConnectFailure)
        RunDeferredCommands();
}

void CProdleView::StartCountdown()
{
    const CString text = m_editOften.GetWindowText();
    const PeriodCheck period = CheckMinutesText(text.c_str(), m_bDebug != FALSE);
    if (!period.accepted) {
        StopCycle(true);
        m_editOften.SetWindowText(m_strOften);
        AfxMessageBox("Prodle: Time period must be between 1 and 60", MB_OK);
        return;
    }
    m_strOften = text;
    m_nPeriodSecs = period.periodSecs;
    m_nTargetSecs = m_nPeriodSecs;
    // The first tick expires the countdown: the first prodle goes out one second after the start.
    m_nCount = m_nPeriodSecs - 1;
    m_strDomain = m_comboNames.GetWindowText();
    m_staticNextLabel.EnableWindow(TRUE);
    m_bFirstRun = TRUE;
    SetTimer(TIMER_COUNTDOWN, 1000);
    m_bCountdownTimer = TRUE;
    m_bNewDomain = TRUE;
}

void CProdleView::OnTimer(UINT_PTR nIDEvent)
{
    Default();
    if (nIDEvent == TIMER_AUTO_START) {
        KillTimer(TIMER_AUTO_START);
        m_bAutoStartTimer = FALSE;
        StartCycle();
        return;
    }
    if (nIDEvent == TIMER_CONNECT_BOUND) {
        OnConnectBoundTimer();
        return;
    }
    if (nIDEvent != TIMER_COUNTDOWN)
        return;

    if (!m_bBusy)
        m_btnStart.EnableWindow(TRUE);
    ++m_nCount;
    if (m_nCount == m_nTargetSecs)
        OnCountdownExpired();
    if (!m_bDestroyed)
        ShowCountdown();
}

void CProdleView::ShowCountdown()
{
    if (!m_staticNextLabel.IsWindowEnabled())
        return;
    const CString text = FormatCountdown(m_nTargetSecs - m_nCount);
    m_staticCountdown.SetWindowText(text);
    m_trayIcon.SetTip(("Prodle in " + text).c_str());
}

void CProdleView::OnCountdownExpired()
{
    m_nCount = 0;
    // One connection at a time: the prodle (or random pick) that falls due while the last prodle's
    // connection is still being made is skipped, and the count starts again, as after any expiry.
    const bool skipped = m_bConnectPending != FALSE;
    // In random-host mode only the first expiry of a countdown goes to the host just validated.
    const bool prodleNow = !m_bRandomName || m_bFirstRun || m_comboNames.GetCount() < 1;
    if (!skipped && m_bRandomName && m_bFirstRun)
        m_bFirstRun = FALSE;
    if (!skipped && !prodleNow) {
        PickRandomHost();
        return;
    }
    if (m_bRandomTime)
        RandomizeTarget();
    else
        m_nTargetSecs = m_nPeriodSecs;
    if (!skipped)
        RunTheJob(m_bNewDomain);
}

void CProdleView::PickRandomHost()
{
    // Another entry than the current one, when there is another; then the cycle starts over from the
    // validation of the picked host, whose prodle follows one second after its countdown starts.
    const int count = m_comboNames.GetCount();
    const int current = m_comboNames.GetCurSel();
    int pick = std::rand() % count;
    while (count > 1 && current != -1 && pick == current)
        pick = std::rand() % count;
    m_nSelIndex = pick;
    m_comboNames.SetCurSel(pick);
    m_strDomain = m_comboNames.GetWindowText();
    StartCycle();
}

void CProdleView::RandomizeTarget()
{
    const int limit = m_bDebug ? 5 : 30;
    int offset = 0;
    while (offset == 0)
        offset = OffsetFromDraw(std::rand(), limit);
    m_nTargetSecs = TargetWithOffset(m_nPeriodSecs, offset);
}
