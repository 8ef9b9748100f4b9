"""What Linux tells about processes, read from /proc: CPU time (every thread, in seconds, with
nanosecond resolution), resident memory (kB) and each thread's voluntary context switches."""
import os


def cpu_seconds(pid):
    """CPU time of the process's live threads so far; 0 once it is gone."""
    total = 0
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
    except (FileNotFoundError, ProcessLookupError):
        pass
    return total / 1e9


def thread_switches(pid):
    """Voluntary context switches of each live thread of the process so far (each is a wait that ended:
    for a message, a timer, the Wine server), by thread id and start time: a thread id that Linux gives
    out again names another thread. Empty once the process is gone."""
    counts = {}
    try:
        threads = os.listdir(f"/proc/{pid}/task")
    except (FileNotFoundError, ProcessLookupError):
        return counts
    for tid in threads:
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                stat = f.read()
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                switches = next(int(line.split()[1]) for line in f if line.startswith("voluntary_ctxt_switches:"))
        except (FileNotFoundError, ProcessLookupError):
            continue   # it ended meanwhile
        started = int(stat[stat.rindex(")") + 2:].split()[19])
        counts[(int(tid), started)] = switches
    return counts


def name(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return "gone"


def total_cpu_seconds(pids):
    return sum(cpu_seconds(pid) for pid in pids)


def memory_kb(pid):
    """Resident memory, its peak, and the part of it that no other process shares."""
    figures = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                figures[key] = int(value.split()[0])
    private = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                private += int(line.split()[1])
    return {"rss": figures["VmRSS"], "peak": figures["VmHWM"], "private": private}


def processes_of_prefix(prefix):
    """Every process running in this Wine prefix: the programs, Wine's own services and its server."""
    wanted = f"WINEPREFIX={prefix}".encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if wanted in f.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def children_named(parent, name):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        command = stat[stat.index("(") + 1:stat.rindex(")")]
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        if ppid == parent and command == name:
            found.append(int(entry))
    return found


def run_cpu_seconds(argv):
    """Runs a command to its end; its exit status and the CPU time it used, start-up included."""
    pid = os.posix_spawnp(argv[0], argv, os.environ,
                          file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
                                        (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)])
    _, status, usage = os.wait4(pid, 0)
    return os.waitstatus_to_exitcode(status), usage.ru_utime + usage.ru_stime
