#!/usr/bin/env python3
"""Prints bench/menu-run.sh's tables from the files its runs left in WORK:
WORK/P-C/driver.txt (bench/menu_driver.exe), WORK/P-C/inproc.txt
(bench/menu_bench.exe) and the programs' /proc smaps copies.

    menu-report.py WORK P:C [P:C...]
"""
import collections
import os
import re
import sys

HEADLINE = (4096, 64)


def read_driver(path):
    """Each program's RESULT values, and its opening samples in round order
    under "opens"."""
    results = {}
    if not os.path.exists(path):
        return results
    for line in open(path):
        fields = line.split()
        if not fields or fields[0] not in ("RESULT", "SAMPLES"):
            continue
        values = dict(f.split("=", 1) for f in fields[1:])
        name = values.pop("name")
        entry = results.setdefault(name, {})
        if fields[0] == "RESULT":
            entry.update({k: float(v) for k, v in values.items()})
        elif values.get("open", "-") != "-":
            entry["opens"] = [float(x) for x in values["open"].split(",")]
    return results


def median(values):
    values = sorted(values)
    n = len(values)
    return None if n == 0 else (values[n // 2] if n % 2 else (values[n // 2 - 1] + values[n // 2]) / 2)


def round_ratio(d, a, b):
    """The median over the rounds of a's opening time divided by b's in the
    same round: the programs of a round run back to back, so that each ratio
    compares them under the same load."""
    x, y = d.get(a, {}).get("opens"), d.get(b, {}).get("opens")
    if not x or not y:
        return None
    return median([p / q for p, q in zip(x, y) if q > 0])


def read_inproc(path):
    if not os.path.exists(path):
        return {}
    for line in open(path):
        if line.startswith("INPROC "):
            return {k: float(v) for k, v in (f.split("=", 1) for f in line.split()[1:])}
    return {}


def read_memory_steps(path):
    steps = []
    if not os.path.exists(path):
        return steps
    for line in open(path):
        if line.startswith("MEMORY "):
            values = dict(f.split("=", 1) for f in line.split()[1:])
            steps.append((values["step"], int(values["ws_kb"]), int(values["grew_kb"]), values["modules"]))
    return steps


def smaps_groups(path):
    """Resident KiB of the process by what is mapped: a file's name, the Unix
    heap, or anonymous memory."""
    groups = collections.Counter()
    name = None
    if not os.path.exists(path):
        return groups
    for line in open(path):
        m = re.match(r"^[0-9a-f]+-[0-9a-f]+ \S+ \S+ \S+ \S+\s*(.*)$", line)
        if m:
            target = m.group(1).strip()
            name = os.path.basename(target) if target.startswith("/") else (target or "[anonymous]")
            if name.lower().endswith(".exe") and "/tmp" in target:
                name = "(the program's own .exe)"
        elif line.startswith("Rss:") and name:
            groups[name] += int(line.split()[1])
    return groups


def fmt(value, layout="7.2f"):
    return format(value, layout) if value is not None and value >= 0 else " " * (int(layout.split(".")[0]) - 1) + "-"


def main():
    work = sys.argv[1]
    sizes = [tuple(int(x) for x in s.split(":")) for s in sys.argv[2:]]
    runs = {}
    for p, c in sizes:
        folder = os.path.join(work, f"{p}-{c}")
        runs[(p, c)] = (read_driver(os.path.join(folder, "driver.txt")), read_inproc(os.path.join(folder, "inproc.txt")))
    has_before = any("before" in d for d, _ in runs.values())
    names = ["bare", "plain", "talvory"] + (["before"] if has_before else [])
    title = {"bare": "bare", "plain": "plain", "talvory": "Talvory", "before": "before"}

    print("\nOpening: tray notification -> visible menu window, medians in ms, measured from outside;")
    print("the programs take turns round by round in one run. x bare / x plain / x before: Talvory's time as")
    print("a ratio, the median of the per-round ratios (each round opens every program's menu once, back to back).")
    print("In-process (Talvory's code, bench/menu_bench.cpp): queries = the store's per-category queries alone")
    print("(their diagnostics written together, as the menu writes them), raw = the same statements the plain")
    print("way (SQLExecDirect, bound columns, no diagnostics), diag. = what a diagnostic line written after each")
    print("execution would add to raw, items = the rest of building the menu, tracking = TrackPopupMenu until")
    print("the menu is on screen.")
    head = f"{'phrases':>7} {'cat.':>4} |" + "".join(f" {title[n]:>7}" for n in names)
    head += f" | {'x bare':>6} {'x plain':>7}" + (f" {'x before':>8}" if has_before else "")
    head += f" | {'queries':>7} {'raw':>6} {'diag.':>6} {'items':>6} {'tracking':>8} | {'us/phrase':>9}"
    print(head)
    print("-" * len(head))
    for (p, c), (d, inproc) in runs.items():
        opens = {n: d.get(n, {}).get("open") for n in names}
        row = f"{p:7d} {c:4d} |" + "".join(f" {fmt(opens[n])}" for n in names)
        t, b = opens["talvory"], opens["bare"]
        row += f" | {fmt(round_ratio(d, 'talvory', 'bare'), '6.2f')} {fmt(round_ratio(d, 'talvory', 'plain'), '7.2f')}"
        if has_before:
            row += f" {fmt(round_ratio(d, 'talvory', 'before'), '8.2f')}"
        row += (f" | {fmt(inproc.get('queries'))} {fmt(inproc.get('raw'), '6.2f')} "
                f"{fmt(inproc.get('diagnostics'), '6.2f')} {fmt(inproc.get('items'), '6.2f')} "
                f"{fmt(inproc.get('tracking'), '8.2f')}")
        row += f" | {fmt((t - b) * 1000 / p if t and b else None, '9.2f')}"
        print(row)
    print("(us/phrase: Talvory's time above the bare menu's, per phrase: flat when growth is linear)")

    print("\nWorking set after the openings (GetProcessMemoryInfo from the driver, which under Wine is the")
    print("process's VmRSS), MiB; start-up: CreateProcess -> the program's icon in the notification area, ms;")
    print("choice: Enter on the first phrase -> its text readable from the clipboard by another process, ms.")
    head = f"{'phrases':>7} {'cat.':>4} |" + "".join(f" {title[n]:>7}" for n in names) + f" {'T-plain':>7} |"
    head += "".join(f" {title[n]:>7}" for n in names) + " |" + "".join(f" {title[n]:>7}" for n in names if n != "bare")
    print(f"{'':12} |{'working set (MiB)':^{8 * len(names) + 8}}|{'start-up (ms)':^{8 * len(names)}} |"
          f"{'choice (ms)':^{8 * (len(names) - 1)}}")
    print(head)
    print("-" * len(head))
    for (p, c), (d, _) in runs.items():
        ws = {n: d.get(n, {}).get("ws_kb", -1024) / 1024 for n in names}
        row = f"{p:7d} {c:4d} |" + "".join(f" {fmt(ws[n])}" for n in names)
        row += f" {fmt(ws['talvory'] - ws['plain'], '+7.2f') if ws['talvory'] > 0 and ws['plain'] > 0 else '-':>7} |"
        row += "".join(f" {fmt(d.get(n, {}).get('start'), '7.1f')}" for n in names) + " |"
        row += "".join(f" {fmt(d.get(n, {}).get('choice'))}" for n in names if n != "bare")
        print(row)

    headline = HEADLINE if HEADLINE in runs else list(runs)[-1]
    d, _ = runs[headline]
    if all(n in d for n in ("bare", "plain", "talvory")):
        t = d["talvory"]["open"]
        extra = (d["talvory"]["ws_kb"] - d["plain"]["ws_kb"]) / 1024
        print(f"\nAt {headline[0]} phrases in {headline[1]} categories: Talvory opens in {t:.2f} ms = "
              f"{round_ratio(d, 'talvory', 'bare'):.2f}x the bare menu (goal <= 3.5x) and "
              f"{round_ratio(d, 'talvory', 'plain'):.2f}x the plain program (goal <= 1); "
              f"working set {extra:+.2f} MiB over the plain program's (goal <= +1 MiB); "
              f"choice to clipboard {d['talvory']['choice']:.2f} ms (goal <= 5 ms); "
              f"start-up to tray icon {d['talvory']['start']:.0f} ms (plain {d['plain']['start']:.0f}, "
              f"bare {d['bare']['start']:.0f}).")

        folder = os.path.join(work, f"{headline[0]}-{headline[1]}")
        plain, talvory = smaps_groups(os.path.join(folder, "plain.smaps")), smaps_groups(
            os.path.join(folder, "talvory.smaps"))
        if plain and talvory:
            print(f"\nWhere Talvory's working set goes beyond the plain program's at {headline[0]}/{headline[1]} "
                  "(resident KiB by mapping, /proc smaps; [anonymous]: Windows heaps, stacks and other private")
            print("memory; [heap]: the Unix-side malloc heap of Wine's unix libraries, unixODBC and SQLite):")
            diffs = sorted(((talvory[k] - plain[k], k) for k in set(plain) | set(talvory)), reverse=True)
            print(f"  {'Talvory':>8} {'plain':>8} {'more':>8}  mapping")
            for diff, k in diffs:
                if abs(diff) >= 16:
                    print(f"  {talvory[k]:8d} {plain[k]:8d} {diff:+8d}  {k}")
            print(f"  {sum(talvory.values()):8d} {sum(plain.values()):8d} "
                  f"{sum(talvory.values()) - sum(plain.values()):+8d}  total")

        steps = read_memory_steps(os.path.join(folder, "memory.txt"))
        if steps:
            print(f"\nTalvory's working set step by step at {headline[0]}/{headline[1]} (its own start-up steps in "
                  "InitInstance's order, then menus built")
            print("and destroyed; bench/startup_memory.cpp; KiB; the first step includes the DLLs the program "
                  "imports):")
            print(f"  {'after':32} {'working set':>11} {'grew':>7}  modules loaded (image KiB)")
            for name, ws, grew, modules in steps:
                print(f"  {name:32} {ws:11d} {grew:+7d}  {modules if modules != '-' else ''}")


if __name__ == "__main__":
    main()
