#include "settings/default_domains.h"

// Long-lived public web servers that answer on port 80.
const char* const kDefaultDomains[kDefaultDomainCount] = {
    "www.example.com",
    "1.1.1.1",
    "www.wikipedia.org",
};
