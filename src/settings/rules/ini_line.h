// One line of the old INI settings file, read while importing it into the
// registry.
#ifndef PRODLE_SETTINGS_RULES_INI_LINE_H
#define PRODLE_SETTINGS_RULES_INI_LINE_H

#include <string>

enum class IniLineKind {
    Header,  // "[Section]": `section` holds the name, trimmed
    Value,   // "name=text": `name` and `text` exactly as written around the first '='
    Skip     // anything else (blank lines, stray text)
};

struct IniLine {
    IniLineKind kind;
    std::string section;
    std::string name;
    std::string text;
};

// Classifies a line after trimming spaces, tabs, CR and LF from both ends.
// A header is a line that starts with '[' and whose first ']' is its last
// character; the brackets are dropped and the name trimmed again ("[ a[b ]"
// -> "a[b"). Otherwise the first '=' splits a value line; the parts keep their
// inner spaces ("Often = 10" -> "Often " and " 10"). Comment lines are not
// recognised here: ";x=1" is a value named ";x". Zero bytes are ordinary
// characters; deciding what to do about them is up to the caller.
IniLine ClassifyIniLine(const std::string& line);

#endif
