// The host list as the form's host box holds it: the entries in order, the selected one (-1: none), and
// the box's text, which is the selected entry's or whatever the user typed there.
#ifndef PRODLE_ENGINE_HOST_LIST_H
#define PRODLE_ENGINE_HOST_LIST_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class HostList {
public:
    // A new list with its selection as stored: an index beyond the list selects the first entry, a
    // negative one selects none (and the box is empty).
    void Replace(std::vector<std::string> entries, int storedSelection);
    // Counts the lists so far: a connection checked against an older list adds nothing to this one.
    uint32_t Generation() const { return m_generation; }

    const std::vector<std::string>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    int Selected() const { return m_selected; }
    const std::string& Text() const { return m_text; }

    // The first entry whose whole text matches, letter case ignored (-1: none).
    int Find(const std::string& host) const;
    // Selects an entry (-1: none); the box shows its text. An index outside the list is ignored.
    void Select(int index);
    // The user typed into the box: its text changes, the selection does not.
    void Type(const std::string& text) { m_text = text; }
    // Adds an entry at the end and selects it; its index.
    int Append(const std::string& host);
    // An entry other than the selected one where there is another: draws until one differs (the first
    // draw stands when nothing is selected). The list must not be empty.
    int PickOther(const std::function<int()>& draw) const;

private:
    std::vector<std::string> m_entries;
    int m_selected = -1;
    std::string m_text;
    uint32_t m_generation = 0;
};

#endif
