// The host list that replaces an empty one: a name, a dotted address, a name.
#ifndef PRODLE_SETTINGS_DEFAULT_HOSTS_H
#define PRODLE_SETTINGS_DEFAULT_HOSTS_H

#include <vector>

#include "framework/cstring.h"

std::vector<CString> DefaultHosts();

#endif
