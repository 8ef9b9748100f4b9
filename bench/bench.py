#!/usr/bin/env python3
"""Prodle's benchmark: runs the real prodle.exe under Wine against loopback peers and prints one table,
side by side with an empty tray program (baseline.exe) and with curl. Started by scripts/bench.sh,
inside a network namespace of its own and on a virtual display; see there for what it needs.

  bench.py --build <build folder> --arch i686|x86_64 --runs-32-bit yes|no --out <table file>
           [--program-version TEXT]
"""
import argparse
import glob
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import figures
import table
from peers import Peer

SETTINGS_KEY = r"HKEY_LOCAL_MACHINE\Software\Quendar Software\Prodle"
# Peer, what the table calls it, and how long answers are timed after the click on Start (the first
# prodle goes a second after it; the hanging peer's connect is given more than 21 s).
ANSWER_CASES = [
    ("normal", "normal peer", 4.0),
    ("trickle", "trickling peer (1 byte / 200 ms)", 5.5),
    ("five_mb", "5 MB peer", 8.0),
    ("hanging", "hanging peer (handshake never completes)", 25.0),
]
IDLE_SECONDS = 60.0       # a minute of the countdown, whose period is two (Often="2")
# Key, program and its arguments: Prodle, and the empty tray program without and with a 1 s timer.
IDLE_CASES = [("prodle", "prodle"), ("baseline", "baseline"), ("baseline_timer", "baseline", "--timer")]
DEBUG_PERIOD = 15.0       # Debug mode's period, for the prodles whose CPU is measured
CPU_PRODLES = 3
START_RUNS = 3
RACE_RUNS = 3
# Names of the test namespace's hosts file (scripts/isolated.sh): one with an address of each family, one
# with the IPv4 address alone.
DUAL_NAME, IPV4_NAME = "dual.prodle.test", "ipv4.prodle.test"
WAKE_RUNS = 3
CURL_RUNS = 20
HISTORY_LENGTH = 1440     # the records the history keeps
HISTORY_PAINTS = 50
NOTICE_BURST = 50         # address-change notices at once, as a VPN client or a flapping Wi-Fi gives them
NOTICE_SETTLE = 9.0       # their change looked at (at most 5 s after the first), and a restart's prodle done
NEW_ADDRESS = "127.0.0.77/8"   # added to the namespace's own loopback: a change the program sees
CURL = ["curl", "-q", "-s", "-o", "/dev/null", "--noproxy", "*", "--http1.0",
        "-H", "Connection: Keep-Alive", "-A", "Mozilla/3.0 (Win95; I)", "-H", "Host: 127.0.0.1",
        "-H", "Accept: image/gif, image/jpeg, */*", "http://127.0.0.1/"]


def say(text):
    print(f"== {text}", file=sys.stderr, flush=True)


class Wine:
    """The build's Wine prefix, with a server of its own started inside this network namespace (the
    server makes the sockets, so it must live here), and the bench's programs."""

    def __init__(self, build):
        self.build = build
        self.prefix = os.path.join(build, "wineprefix")
        self.run_script = os.path.join(build, "wine-run")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        if self.server.poll() is not None:
            raise RuntimeError(f"another Wine server runs for {self.prefix}: stop it first (wineserver -k)")
        self.exe = {"prodle": os.path.join(build, "prodle.exe"),
                    "baseline": os.path.join(build, "bench", "baseline.exe"),
                    "probe": os.path.join(build, "bench", "probe.exe"),
                    "history_paint": os.path.join(build, "bench", "history_paint.exe")}

    def run(self, *args, timeout=60):
        # Output through files, not pipes: a Wine service that a program starts inherits its output
        # and would keep a pipe open long after the program ended.
        with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
            process = subprocess.run([self.run_script, *args], env=self.env, stdin=subprocess.DEVNULL,
                                     stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(process.args, process.returncode, out.read(), err.read())

    def probe(self, *args, timeout=90):
        result = self.run(self.exe["probe"], *args, timeout=timeout)
        values = dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)
        if result.returncode != 0:
            raise RuntimeError(f"probe {' '.join(args)} failed: {result.stdout}{result.stderr}")
        return values

    def settings(self, **values):
        """Prodle's settings from scratch: the key is removed, then these values written."""
        lines = ["REGEDIT4", "", f"[-{SETTINGS_KEY}]", "", f"[{SETTINGS_KEY}\\Settings]"]
        lines += [f'"{name}"="{value}"' for name, value in values.items()]
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as f:
            f.write("\r\n".join(lines) + "\r\n")
        try:
            result = self.run("reg", "import", f.name)
            if result.returncode != 0:
                raise RuntimeError(f"reg import failed: {result.stderr}")
        finally:
            os.unlink(f.name)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        try:
            self.server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.server.kill()


class Program:
    """prodle.exe or baseline.exe, started fresh, ended when the block is left: asked to close first,
    ended by force when it does not (a program stuck in a connect cannot close)."""

    def __init__(self, wine, name, *args, trace=None):
        """trace: a file for the program's Wine trace of its Windows Sockets calls (none: no trace)."""
        self.wine, self.name = wine, name
        env = dict(wine.env, WINEDEBUG="-all,trace+winsock") if trace else wine.env
        self.process = subprocess.Popen([wine.run_script, wine.exe[name], *args], env=env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=trace or subprocess.DEVNULL)
        self.pid = self.process.pid   # wine-run and the loader exec: this is the program's own process
        self.gently = True
        wine.probe("ready", name, "30000")
        if figures.name(self.pid) != f"{name}.exe":   # Wine names the process after the program
            raise RuntimeError(f"process {self.pid} is {figures.name(self.pid)}, not {name}.exe")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.gently:
            try:
                self.wine.probe("close", self.name, timeout=20)
                self.process.wait(timeout=10)
                return
            except (RuntimeError, subprocess.TimeoutExpired):
                pass
        self.process.kill()
        self.process.wait()


class CpuWatch:
    """CPU seconds of one process, and of it with everything Wine and the X server run beside it."""

    def __init__(self, wine, pid):
        self.pid = pid
        xvfb = figures.children_named(os.getppid(), "Xvfb")   # xvfb-run started us and the X server
        self.all_pids = sorted(set(figures.processes_of_prefix(wine.prefix) + [wine.server.pid, pid] + xvfb))

    def read(self):
        return (time.time(), figures.cpu_seconds(self.pid), figures.total_cpu_seconds(self.all_pids),
                {pid: figures.cpu_seconds(pid) for pid in self.all_pids})

    @staticmethod
    def shares(start, end):
        """CPU seconds per second of each process between two readings, by name."""
        elapsed = end[0] - start[0]
        return {f"{figures.name(pid)} {pid}": round((end[3][pid] - start[3].get(pid, 0)) / elapsed, 6)
                for pid in end[3]}


class WakeWatch:
    """Wake-ups of one process: the voluntary context switches of all its threads, every thread's count
    read at the start, every second and at the end. A thread that starts meanwhile counts from zero; one
    that ends counts up to its last reading (at most a second of it is lost), so an end never takes
    anything away. Wine's server and the X server are other processes: not counted."""

    def __init__(self, pid):
        self.pid = pid
        self.first = figures.thread_switches(pid)
        self.latest = dict(self.first)
        self.started = self.read_at = time.time()
        self.alive = self.first

    def read(self):
        self.alive = figures.thread_switches(self.pid)
        self.read_at = time.time()
        self.latest.update(self.alive)

    def wait(self, seconds):
        end = time.time() + seconds
        while time.time() < end:
            time.sleep(min(1.0, end - time.time()))
            self.read()

    def result(self):
        count = sum(switches - self.first.get(thread, 0) for thread, switches in self.latest.items())
        return {"per_minute": count * 60 / (self.read_at - self.started), "threads": len(self.latest),
                "came": len(self.latest.keys() - self.first.keys()),
                "went": len(self.latest.keys() - self.alive.keys())}


def answer_case(wine, behaviour, seconds):
    wine.settings(ComboName0="127.0.0.1", AutoStart="0", Often="1")
    peer = Peer(behaviour, lifetime=seconds + 60)
    try:
        with Program(wine, "prodle") as prodle:
            result = wine.probe("answers", str(int(seconds * 1000)), "click", timeout=seconds + 60)
            prodle.gently = result["unanswered"] == "0"
    finally:
        peer.stop()
    answers = {key: float(result[key]) for key in ("worst_ms", "worst_at_ms", "median_ms", "clicked_at", "click_ms")}
    answers["unanswered"] = result["unanswered"] == "1"
    answers["box_after"] = float(result["box_at_ms"]) / 1000 if float(result["box_at_ms"]) >= 0 else None
    answers["status"] = result.get("status")
    answers["polls"] = int(result["polls"])
    answers["to_request"] = peer.arrivals[0] - answers["clicked_at"] if peer.arrivals else None
    answers["peer_done_in_time"] = bool(peer.finished) and peer.finished[-1] < answers["clicked_at"] + seconds
    answers["unfinished"] = unfinished(behaviour, answers)
    return answers


def unfinished(behaviour, answers):
    """What kept the one prodle of an answer case from its end within the run, or None: it ends with
    the reply read whole and the form saying so, or, at the hanging peer, with the connect given up
    and the error box. Answer times of a prodle that did not end prove nothing."""
    if behaviour == "hanging":
        return None if answers["box_after"] is not None else "no error box"
    if answers["to_request"] is None:
        return "no request reached the peer"
    if not answers["peer_done_in_time"]:
        return "the reply was not read whole"
    if not (answers["status"] or "").startswith("Prodle completed at"):
        return f"the form says \"{answers['status']}\""
    return None


def wait_for(condition, seconds):
    end = time.time() + seconds
    while not condition() and time.time() < end:
        time.sleep(0.05)
    return condition()


def idle_case(wine, name, *args):
    """Memory, CPU and wake-ups over a minute of the idle countdown: Prodle started as at logon
    (auto-start, the default, so that no click of the bench's touches the window, which stays hidden)
    and past its first prodle, the next one two minutes away; or the baseline simply running."""
    wine.settings(ComboName0="127.0.0.1", AutoStart="1", Often="2")
    peer = Peer("normal", lifetime=IDLE_SECONDS + 60)
    try:
        with Program(wine, name, *args) as program:
            if name == "prodle" and not wait_for(lambda: peer.finished, 15):
                raise RuntimeError("the auto-started prodle did not reach the peer")
            time.sleep(2.0)
            watch, wakes = CpuWatch(wine, program.pid), WakeWatch(program.pid)
            start = watch.read()
            wakes.wait(IDLE_SECONDS)
            end = watch.read()
            memory = figures.memory_kb(program.pid)
            shares = watch.shares(start, end)
    finally:
        peer.stop()
    if name == "prodle" and len(peer.arrivals) != 1:
        raise RuntimeError("a prodle fell into the idle window")
    elapsed = end[0] - start[0]
    return {"seconds": elapsed, "memory": memory, "cpu": (end[1] - start[1]) / elapsed,
            "cpu_all": (end[2] - start[2]) / elapsed, "cpu_shares": shares, "wakeups": wakes.result()}


def start_delay_case(wine):
    """The time from a click on Start to the request at the peer, in a program just started, and how
    long the click itself took to handle."""
    wine.settings(ComboName0="127.0.0.1", AutoStart="0", Often="1")
    peer = Peer("normal", lifetime=60)
    try:
        with Program(wine, "prodle"):
            click = wine.probe("click")
            clicked = float(click["clicked_at"])
            wait_for(lambda: peer.arrivals, 5)
    finally:
        peer.stop()
    return {"to_request": peer.arrivals[0] - clicked if peer.arrivals else None,
            "click_ms": float(click["click_ms"])}


def race_case(wine, dual):
    """The time from a click on Start to the request at the peer, in a program just started, for a name
    whose IPv6 address's handshake hangs while its IPv4 address answers (dual), or for a name with the
    IPv4 address alone: the race's cost is the difference."""
    wine.settings(ComboName0=DUAL_NAME if dual else IPV4_NAME, AutoStart="0", Often="1")
    peer = Peer("normal", lifetime=60)
    hanging = Peer("hanging", lifetime=60, address="::1") if dual else None
    try:
        with Program(wine, "prodle"):
            clicked = float(wine.probe("click")["clicked_at"])
            wait_for(lambda: peer.arrivals, 5)
    finally:
        peer.stop()
        if hanging:
            hanging.stop()
    return peer.arrivals[0] - clicked if peer.arrivals else None


def wake_case(wine):
    """The time from the wake's announcement to the request at a peer that is up, in a program past its
    first prodle whose next one is a minute away. (A Modern Standby's wake, the display back on, is one
    only on a machine that has it, which Wine is not: the form's test shows that one.)"""
    wine.settings(ComboName0="127.0.0.1", AutoStart="1", Often="1")
    peer = Peer("normal", lifetime=60)
    try:
        with Program(wine, "prodle"):
            if not wait_for(lambda: peer.arrivals, 15):
                raise RuntimeError("the auto-started prodle did not reach the peer")
            time.sleep(2.0)
            woken = float(wine.probe("wake")["woken_at"])
            wait_for(lambda: len(peer.arrivals) > 1, 10)
    finally:
        peer.stop()
    return peer.arrivals[1] - woken if len(peer.arrivals) > 1 else None


def local_file(wine, name):
    """A file of Prodle's in the user's local application data folder."""
    found = glob.glob(os.path.join(wine.prefix, "drive_c", "users", "*", "AppData", "Local", "Prodle", name))
    return found[0] if found else None


class FileGrowth:
    """The lines a file of Prodle's gains from now on (the log rolls over at 256 KB into name.1)."""

    def __init__(self, wine, name):
        self.path = local_file(wine, name)
        self.size = os.path.getsize(self.path) if self.path else 0

    def lines(self):
        if not self.path:
            return []
        if os.path.getsize(self.path) >= self.size:
            with open(self.path, "rb") as f:
                f.seek(self.size)
                return f.read().decode("latin-1").splitlines()
        with open(self.path + ".1", "rb") as old, open(self.path, "rb") as new:
            old.seek(self.size)
            return (old.read() + new.read()).decode("latin-1").splitlines()


def notice_burst_case(wine, change):
    """A burst of address-change notices, to a program past its first prodle whose next one is two minutes
    away: the restarts (the engine logs each one), the prodles at the peer, the host lookups (Wine's
    trace of getaddrinfo), the log lines and history records it caused. With `change`, an address is added to the namespace's
    loopback before the burst, so that what the program uses did change; without, nothing did."""
    wine.settings(ComboName0="127.0.0.1", AutoStart="1", Often="2")
    peer = Peer("normal", lifetime=NOTICE_SETTLE + 60)
    added = False
    with tempfile.TemporaryDirectory() as folder:
        trace_path = os.path.join(folder, "winsock.trace")
        # Appended to by the program (and any Wine service it starts), read here from where it stood.
        with open(trace_path, "ab") as trace:
            try:
                with Program(wine, "prodle", trace=trace):
                    if not wait_for(lambda: peer.finished, 15):
                        raise RuntimeError("the auto-started prodle did not reach the peer")
                    time.sleep(2.0)
                    log, history, traced = (FileGrowth(wine, "prodle.log"), FileGrowth(wine, "history.dat"),
                                            os.path.getsize(trace_path))
                    if change:
                        subprocess.run(["ip", "address", "add", NEW_ADDRESS, "dev", "lo"], check=True)
                        added = True
                    noticed = wine.probe("address-notices", str(NOTICE_BURST))
                    time.sleep(NOTICE_SETTLE)
                    log_lines, records = log.lines(), history.lines()
                    with open(trace_path, "rb") as f:
                        f.seek(traced)
                        lookups = f.read().count(b"trace:winsock:getaddrinfo node")
            finally:
                if added:
                    subprocess.run(["ip", "address", "del", NEW_ADDRESS, "dev", "lo"], check=True)
                peer.stop()
    if int(noticed["posted"]) != NOTICE_BURST:
        raise RuntimeError("the notices were not all posted")
    return {"notices": NOTICE_BURST, "changed": change, "prodles": len(peer.arrivals) - 1,
            "restarts": sum(line.endswith("The network changed") for line in log_lines),
            "lookups": lookups, "log_lines": len(log_lines), "history_records": len(records),
            "logged": log_lines}


def prodle_cpu_case(wine):
    """CPU of prodles that fall due in the countdown (Debug mode: every 15 s): the CPU of three seconds
    around each, less what the countdown alone costs in as long, measured between them."""
    wine.settings(ComboName0="127.0.0.1", AutoStart="1", Often="1", Debug="1")
    peer = Peer("normal", lifetime=DEBUG_PERIOD * (CPU_PRODLES + 2) + 60)
    samples = []
    try:
        with Program(wine, "prodle") as prodle:
            watch = CpuWatch(wine, prodle.pid)
            if not wait_for(lambda: peer.arrivals, 15):
                raise RuntimeError("the auto-started prodle did not reach the peer")
            end = peer.arrivals[0] + DEBUG_PERIOD * CPU_PRODLES + 2.0
            while time.time() < end:
                samples.append(watch.read())
                time.sleep(0.1)
    finally:
        peer.stop()
    due = peer.arrivals[1:1 + CPU_PRODLES]   # the first one follows the start: not counted

    def at(moment):   # the sample nearest that moment
        return min(samples, key=lambda sample: abs(sample[0] - moment))

    def cost(first, last):
        a, b = at(first), at(last)
        return b[0] - a[0], b[1] - a[1], b[2] - a[2]

    quiet = [cost(t + 2.0, t + DEBUG_PERIOD - 2.0) for t in peer.arrivals[:CPU_PRODLES]]
    rate = sum(q[1] for q in quiet) / sum(q[0] for q in quiet)
    rate_all = sum(q[2] for q in quiet) / sum(q[0] for q in quiet)
    around = [cost(t - 1.5, t + 1.5) for t in due]
    return {"count": len(due),
            "cpu": statistics.median(a[1] - rate * a[0] for a in around),
            "cpu_all": statistics.median(a[2] - rate_all * a[0] for a in around),
            "each": [(a[1] - rate * a[0], a[2] - rate_all * a[0]) for a in around]}


def fill_history(wine):
    """A full history, a day at one prodle a minute, for every program started from here on to load (the
    idle figures hold with the History window closed and the book full)."""
    now = int(time.time())
    lines = [f"{now - 60 * (HISTORY_LENGTH - i)}\twww.example.com\t127.0.0.1\treply\t{20 + i % 40}"
             for i in range(HISTORY_LENGTH)]
    for local in glob.glob(os.path.join(wine.prefix, "drive_c", "users", "*", "AppData", "Local")):
        os.makedirs(os.path.join(local, "Prodle"), exist_ok=True)
        with open(os.path.join(local, "Prodle", "history.dat"), "w", newline="") as f:
            f.write("\r\n".join(lines) + "\r\n")


def history_paint_case(wine):
    result = wine.run(wine.exe["history_paint"], str(HISTORY_PAINTS), timeout=120)
    values = dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)
    if result.returncode != 0 or "median_ms" not in values:
        raise RuntimeError(f"history_paint failed: {result.stdout}{result.stderr}")
    return {"bars": int(values["bars"]), "paints": int(values["paints"]),
            "median_ms": float(values["median_ms"]), "worst_ms": float(values["worst_ms"])}


def curl_case():
    peer = Peer("normal", lifetime=60)
    try:
        runs = [figures.run_cpu_seconds(CURL) for _ in range(CURL_RUNS)]
    finally:
        peer.stop()
    if any(status != 0 for status, _ in runs) or len(peer.arrivals) != CURL_RUNS:
        raise RuntimeError("curl did not reach the peer every time")
    return {"cpu": statistics.median(cpu for _, cpu in runs), "runs": CURL_RUNS}


def measure(wine):
    results = {"answers": {}, "idle": {}}
    wine.run("wineboot")   # Wine's services up before anything is timed
    fill_history(wine)
    for behaviour, label, seconds in ANSWER_CASES:
        say(f"answer times during a prodle to the {label} ({seconds:.0f} s)")
        results["answers"][behaviour] = dict(answer_case(wine, behaviour, seconds), label=label, seconds=seconds)
    say(f"click on Start to request, {START_RUNS} more fresh starts")
    results["start_delays"] = [start_delay_case(wine) for _ in range(START_RUNS)]
    say(f"click on Start to request, a name whose IPv6 handshake hangs against IPv4 alone, {RACE_RUNS} runs each")
    results["races"] = {"dual": [race_case(wine, True) for _ in range(RACE_RUNS)],
                        "ipv4": [race_case(wine, False) for _ in range(RACE_RUNS)]}
    say(f"a wake to the request at the peer, {WAKE_RUNS} runs")
    results["wakes"] = [wake_case(wine) for _ in range(WAKE_RUNS)]
    for key, name, *switches in IDLE_CASES:
        say(f"memory, CPU and wake-ups of {' '.join([name + '.exe', *switches])} over {IDLE_SECONDS:.0f} s idle")
        results["idle"][key] = idle_case(wine, name, *switches)
    say(f"a burst of {NOTICE_BURST} address-change notices, with nothing changed and with a new address")
    results["notice_bursts"] = [notice_burst_case(wine, change) for change in (False, True)]
    say(f"CPU of {CPU_PRODLES} prodles falling due ({DEBUG_PERIOD * CPU_PRODLES + 5:.0f} s)")
    results["prodle_cpu"] = prodle_cpu_case(wine)
    say(f"the History window painting {HISTORY_LENGTH} bars, {HISTORY_PAINTS} times")
    results["history_paint"] = history_paint_case(wine)
    say(f"CPU of {CURL_RUNS} curl runs")
    results["curl"] = curl_case()
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--arch", choices=("i686", "x86_64"), required=True)
    parser.add_argument("--runs-32-bit", choices=("yes", "no"), required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--program-version", default="prodle.exe")
    args = parser.parse_args()

    load = [os.getloadavg()[0]]
    wine = Wine(os.path.abspath(args.build))
    try:
        results = measure(wine)
        wine_version = wine.run("--version").stdout.strip()
    finally:
        wine.stop()
    load.append(os.getloadavg()[0])
    with open(os.path.splitext(args.out)[0] + ".json", "w") as f:
        json.dump(results, f, indent=1)
    text = table.table(results, table.heading(wine_version, args.arch, args.runs_32_bit == "yes",
                                              args.program_version, load))
    with open(args.out, "w") as f:
        f.write(text)
    print(text)


if __name__ == "__main__":
    main()
