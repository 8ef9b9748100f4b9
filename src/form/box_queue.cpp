#include "form/box_queue.h"

#include <utility>

#include "framework/win_app.h"

BoxQueue::BoxQueue(HWND window, UINT message, std::function<void()> answered)
    : m_window(window), m_message(message), m_answered(std::move(answered))
{
}

void BoxQueue::Queue(const std::string& text, bool engineWaits, UINT type)
{
    if (m_ended)
        return;
    m_boxes.push_back({text, engineWaits, type});
    if (!m_up)
        ::PostMessageA(m_window, m_message, 0, 0);
}

void BoxQueue::OnShowNext()
{
    if (m_up || m_boxes.empty())
        return;
    const Box box = m_boxes.front();
    m_boxes.pop_front();
    m_up = true;
    AfxMessageBox(box.text, box.type);
    m_up = false;
    if (m_ended)
        return;
    if (box.engineWaits)
        m_answered();
    if (!m_boxes.empty())
        ::PostMessageA(m_window, m_message, 0, 0);
}

void BoxQueue::End()
{
    m_ended = true;
    m_boxes.clear();
}
