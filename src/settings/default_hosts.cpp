#include "settings/default_hosts.h"

std::vector<CString> DefaultHosts()
{
    // Long-lived public web servers that answer on port 80.
    return {"www.example.com", "1.1.1.1", "www.wikipedia.org"};
}
