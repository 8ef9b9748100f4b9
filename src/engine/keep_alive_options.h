// The options of the keep-alive cycle. The Options dialog edits the first four; "Debug" is set only by an
// edit of the registry or the old INI file; the tray menu turns the link's notices on and off.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_OPTIONS_H
#define PRODLE_ENGINE_KEEP_ALIVE_OPTIONS_H

struct KeepAliveOptions {
    bool ignoreFailures = false;  // "Ignore Connection Failures": a failed host gives way to the next
    bool randomHost = false;      // "Randomize Domain Name": each prodle after the first picks another host
    bool randomTime = false;      // "Randomize Prodle Time": each wait is the period give or take 30 s
    bool autoStart = true;        // "Auto-Start": the cycle starts a second after the program does
    bool debug = false;           // any minutes text gives 15 s, and random shifts are at most 5 s
    bool linkNotices = true;      // "Notify When the Link Goes Down": the tray tells when it goes and is back
};

#endif
