#include "engine/host_list.h"

#include <cstddef>
#include <utility>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

void HostList::Replace(std::vector<std::string> entries, int storedSelection)
{
    m_entries = std::move(entries);
    ++m_generation;
    m_selected = -1;
    m_text.clear();
    Select(storedSelection < Count() ? storedSelection : 0);
}

int HostList::Find(const std::string& host) const
{
    for (int i = 0; i < Count(); ++i) {
        if (SameIgnoringCase(m_entries[static_cast<size_t>(i)], host))
            return i;
    }
    return -1;
}

void HostList::Select(int index)
{
    if (index >= Count())
        return;
    m_selected = index < 0 ? -1 : index;
    m_text = index < 0 ? std::string() : m_entries[static_cast<size_t>(index)];
}

int HostList::Append(const std::string& host)
{
    m_entries.push_back(host);
    Select(Count() - 1);
    return m_selected;
}

int HostList::PickOther(const std::function<int()>& draw) const
{
    const int count = Count();
    int pick = draw() % count;
    while (count > 1 && m_selected != -1 && pick == m_selected)
        pick = draw() % count;
    return pick;
}
