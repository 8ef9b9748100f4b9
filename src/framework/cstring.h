// Text type of the program, and printf-style formatting into it.
#ifndef PRODLE_FRAMEWORK_CSTRING_H
#define PRODLE_FRAMEWORK_CSTRING_H

#include <string>

using CString = std::string;

// Formats like snprintf, into a string of exactly the needed length.
CString FormatString(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#endif
