"""The benchmark's table, in Markdown, from the results bench.py gathered: a heading that says on what
machine and which build ran, then one row per figure with the target it is held to (P1 to P9; the
README says what each one is) and whether it was met."""
import os
import platform
import statistics


def heading(wine_version, arch, runs_32_bit, program_version, load):
    return [f"Machine: {machine()}; {wine_version}; {'runs' if runs_32_bit else 'cannot run'} 32-bit code.",
            f"Program: {program(arch, runs_32_bit, program_version)}.",
            f"Load average before / after: {load[0]:.2f} / {load[1]:.2f}."]


def machine():
    with open("/proc/cpuinfo") as f:
        model = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "?")
    with open("/etc/os-release") as f:
        system = next((line.split("=", 1)[1].strip().strip('"') for line in f if line.startswith("PRETTY_NAME")), "?")
    memory = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    return f"{model}, {os.cpu_count()} cores, {memory:.0f} GiB; {system}, Linux {platform.release()}"


def program(arch, runs_32_bit, version):
    if arch == "i686":
        return f"prodle.exe as shipped (32-bit), {version}"
    why = "PRODLE_ARCH chose it" if runs_32_bit else "this machine cannot run 32-bit code"
    return f"**the 64-bit build ({arch})** of the same sources, {version}; not the 32-bit program as shipped: {why}"


def table(results, heading_lines):
    rows = (memory_rows(results["idle"]) + idle_cpu_rows(results["idle"]) + answer_rows(results["answers"])
            + [click_row(results), start_delay_row(results), race_row(results), wake_row(results["wakes"]),
               error_box_row(results["answers"]["hanging"]), wakeup_row(results["idle"])]
            + notice_burst_rows(results)
            + history_paint_rows(results)
            + prodle_cpu_rows(results))
    lines = heading_lines + ["", "| Figure | prodle.exe | Baseline tray program / curl | Target | Met |",
                             "|---|---|---|---|---|"]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines) + "\n"


def ms(seconds):
    return f"{seconds * 1000:.2f} ms" if seconds < 0.001 else f"{seconds * 1000:.1f} ms"


def met(condition):
    return "yes" if condition else "no"


def spread(values):
    """Median and range of some times in seconds."""
    return f"{statistics.median(values):.3f} s ({min(values):.3f}–{max(values):.3f})"


# Each of these gives rows of the table: (figure, prodle.exe, baseline or curl, target, met).
def memory_rows(idle):
    prodle, baseline = idle["prodle"]["memory"], idle["baseline"]["memory"]
    ratio = prodle["rss"] / baseline["rss"]
    return [("Resident memory, idle countdown", f"{prodle['rss'] / 1024:.1f} MiB (**{ratio:.2f}×**)",
             f"{baseline['rss'] / 1024:.1f} MiB", "P1: ≤ 1.15× baseline", met(ratio <= 1.15)),
            ("Private part of it (not shared)",
             f"{prodle['private'] / 1024:.1f} MiB ({prodle['private'] / baseline['private']:.2f}×)",
             f"{baseline['private'] / 1024:.1f} MiB", "", "")]


def idle_cpu_rows(idle):
    prodle, baseline = idle["prodle"], idle["baseline"]
    return [(f"CPU over {prodle['seconds']:.0f} s of idle countdown, the process", f"{ms(prodle['cpu'])} per s",
             f"{ms(baseline['cpu'])} per s", "P2: ≤ baseline + 0.05 ms per s",
             met(prodle["cpu"] <= baseline["cpu"] + 0.05e-3)),
            ("… with Wine's server and services and the X server", f"{ms(prodle['cpu_all'])} per s",
             f"{ms(baseline['cpu_all'])} per s", "", "")]


def answer_rows(answers):
    rows = []
    for a in answers.values():
        if a["unanswered"]:
            worst = f"**no answer for ≥ {a['worst_ms'] / 1000:.1f} s** (hung until the end of the {a['seconds']:.0f} s run)"
        else:
            worst = f"{a['worst_ms']:.1f} ms"
        if a["unfinished"]:
            worst += f" (**the prodle did not complete: {a['unfinished']}**)"
        rows.append((f"Answer time, {a['label']}: worst / median", f"{worst} / {a['median_ms']:.2f} ms", "",
                     "P3: worst ≤ 100 ms", met(not a["unanswered"] and a["worst_ms"] <= 100 and not a["unfinished"])))
    return rows


def click_row(results):
    clicks = [a["click_ms"] for a in results["answers"].values()] + [d["click_ms"] for d in results["start_delays"]]
    return (f"Click on Start, the click itself handled in ({len(clicks)} runs): median (worst)",
            f"{statistics.median(clicks):.1f} ms ({max(clicks):.1f} ms)", "", "P4: ≤ 100 ms", met(max(clicks) <= 100))


def start_delay_row(results):
    # Every fresh start with a peer that answers: the answer cases but the hanging one, and the others.
    starts = [a for behaviour, a in results["answers"].items() if behaviour != "hanging"] + results["start_delays"]
    delays = [start["to_request"] for start in starts if start["to_request"] is not None]
    missing = len(starts) - len(delays)
    figure = spread(delays) if delays else "none"
    if missing:
        figure += f" (**{missing} of {len(starts)} requests never reached the peer**)"
    return (f"Click on Start → request at the peer (fresh program, {len(starts)} runs): median (range)", figure, "",
            "P5: 1.00–1.05 s", met(not missing and all(1.0 <= d <= 1.05 for d in delays)))


def race_row(results):
    races = results.get("races")
    if not races:
        return ("Click on Start → request, a name whose IPv6 handshake hangs", "not measured", "", "", "")
    dual, ipv4 = ([d for d in races[key] if d is not None] for key in ("dual", "ipv4"))
    missing = len(races["dual"]) + len(races["ipv4"]) - len(dual) - len(ipv4)
    if not dual or not ipv4:
        return ("Click on Start → request, a name whose IPv6 handshake hangs", "**never reached the peer**", "",
                "within 0.3 s of IPv4 alone", "no")
    cost = statistics.median(dual) - statistics.median(ipv4)
    figure = f"{spread(dual)}; IPv4 alone {spread(ipv4)}: **+{cost:.3f} s**"
    if missing:
        figure += f" (**{missing} requests never reached the peer**)"
    return (f"Click on Start → request, a name whose IPv6 handshake hangs and whose IPv4 answers "
            f"({len(races['dual'])} runs, and as many with IPv4 alone): median (range)", figure, "",
            "within 0.3 s of IPv4 alone", met(not missing and cost <= 0.3))


def wake_row(wakes):
    reached = [w for w in wakes if w is not None]
    figure = spread(reached) if reached else "none"
    if len(reached) < len(wakes):
        figure += f" (**{len(wakes) - len(reached)} of {len(wakes)} never reached the peer**)"
    return (f"Wake → request at the peer that is up ({len(wakes)} runs): median (range)", figure, "",
            "P6: ≤ 5 s", met(reached and len(reached) == len(wakes) and max(reached) <= 5))


def error_box_row(hanging):
    box = hanging["box_after"]
    return ("Hanging peer: the error box after the click", f"{box:.1f} s" if box is not None else "**no error box**",
            "", "P7: 21–23 s", met(box is not None and 21 <= box <= 23))


def wakeup_row(idle):
    prodle, empty, timer = (idle[key]["wakeups"] for key in ("prodle", "baseline", "baseline_timer"))
    threads = f"{prodle['threads']} thread{'s' if prodle['threads'] != 1 else ''}"
    if prodle["came"]:
        threads += f"; {prodle['came']} started in the window"
    if prodle["went"]:
        its = "its" if prodle["went"] == 1 else "their"
        threads += f"; {prodle['went']} ended in the window, counted to {its} last reading"
    figure = f"{prodle['per_minute']:.0f} ({threads})"
    return ("Wake-ups per minute, idle hidden program (voluntary context switches, all threads)", figure,
            f"{empty['per_minute']:.0f}; with a 1 s timer: {timer['per_minute']:.0f}", "P8: ≤ baseline + 2",
            met(prodle["per_minute"] <= empty["per_minute"] + 2))


def prodle_cpu_rows(results):
    cpu, curl = results["prodle_cpu"], results["curl"]
    return [(f"CPU per prodle, the process (median of {cpu['count']})", ms(cpu["cpu"]),
             f"curl: {ms(curl['cpu'])} (median of {curl['runs']} runs)", "", ""),
            ("… with Wine's server and services and the X server", ms(cpu["cpu_all"]), "", "", "")]


def notice_burst_rows(results):
    bursts = results.get("notice_bursts")
    if not bursts:
        return []

    def caused(burst):
        counts = [(burst["restarts"], "restart"), (burst["prodles"], "prodle"), (burst["lookups"], "lookup"),
                  (burst["log_lines"], "log line"), (burst["history_records"], "history record")]
        return ", ".join(f"{n} {what}{'' if n == 1 else 's'}" for n, what in counts)

    rows = []
    for burst in bursts:
        what = "an address added first" if burst["changed"] else "nothing changed"
        if burst["changed"]:
            target, held = "one change: ≤ 1 restart", burst["restarts"] <= 1
        else:
            target = "none of these"
            held = not any(burst[key] for key in ("restarts", "prodles", "lookups", "log_lines", "history_records"))
        rows.append((f"A burst of {burst['notices']} address-change notices, {what}: what it caused", caused(burst),
                     "", target, met(held)))
    return rows


def history_paint_rows(results):
    paint = results.get("history_paint")
    if not paint:
        return []
    return [(f"History window: one paint of {paint['bars']:,} bars, median (worst) of {paint['paints']}",
             f"{paint['median_ms']:.1f} ms ({paint['worst_ms']:.1f} ms)", "", "P9: ≤ 16 ms",
             met(paint["worst_ms"] <= 16))]
