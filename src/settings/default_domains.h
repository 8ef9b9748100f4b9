// The host list that replaces an empty one: a name, a dotted address, a name.
#ifndef PRODLE_SETTINGS_DEFAULT_DOMAINS_H
#define PRODLE_SETTINGS_DEFAULT_DOMAINS_H

constexpr int kDefaultDomainCount = 3;
extern const char* const kDefaultDomains[kDefaultDomainCount];

#endif
