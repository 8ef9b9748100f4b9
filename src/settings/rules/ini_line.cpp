#include "settings/rules/ini_line.h"

namespace {

bool IsTrimmed(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trim(const std::string& text)
{
    size_t end = text.size();
    while (end > 0 && IsTrimmed(text[end - 1]))
        --end;
    size_t begin = 0;
    while (begin < end && IsTrimmed(text[begin]))
        ++begin;
    return text.substr(begin, end - begin);
}

}  // namespace

IniLine ClassifyIniLine(const std::string& line)
{
    IniLine result{IniLineKind::Skip, std::string(), std::string(), std::string()};
    std::string trimmed = Trim(line);

    const size_t open = trimmed.find('[');
    const size_t close = trimmed.find(']');
    // The first ']' can only be the last character when it is the only one,
    // and with the '[' at the start the whole line is the bracketed name.
    if (open == 0 && close != std::string::npos && close + 1 == trimmed.size()) {
        trimmed[open] = ' ';
        trimmed[close] = ' ';
        result.kind = IniLineKind::Header;
        result.section = Trim(trimmed);
        return result;
    }

    const size_t equals = trimmed.find('=');
    if (equals == std::string::npos)
        return result;
    result.kind = IniLineKind::Value;
    result.name = trimmed.substr(0, equals);
    result.text = trimmed.substr(equals + 1);
    return result;
}
