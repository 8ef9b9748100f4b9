// Feeds arbitrary lines, zero bytes included, to the INI line classifier.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/rules/ini_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const IniLine result = ClassifyIniLine(line);
    switch (result.kind) {
    case IniLineKind::Header:
        if (result.section.size() + 2 > line.size())
            std::abort();
        break;
    case IniLineKind::Value:
        // name '=' text is a piece of the line, so it cannot be longer.
        if (result.name.size() + 1 + result.text.size() > line.size() ||
            result.name.find('=') != std::string::npos)
            std::abort();
        break;
    case IniLineKind::Skip:
        break;
    }
    return 0;
}
