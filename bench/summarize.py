#!/usr/bin/env python3
"""Prints the summary of one benchmark run: every ratio of the library
against its baseline from the same run, with its target, and how cost grows
with the number of rows.

Usage: summarize.py RESULT.json... (Google Benchmark JSON output files)

Each ratio is given by wall-clock time and, for the pairs that run on the
benchmark's own thread, by that thread's CPU time. The verdict uses the
clock named in RATIOS: CPU time where one thread does all the work (on a
machine shared with other jobs it leaves out the moments the thread waited
for a core, which fall on either side at random), wall-clock time where
other threads or a child process work. A benchmark repeated
(--benchmark_repetitions, in random order) counts by its fastest
repetition: other jobs on the machine only ever slow a repetition down, so
the fastest one is the least disturbed, for the library and the baseline
alike.
"""
import json
import sys

# label, subject, baseline, kind, clock of the verdict, target (op, value) or None.
# kind "rate": subject throughput / baseline throughput;
# kind "time": subject time / baseline time (lower is better).
RATIOS = [
    ("Frame_Insert, one transaction", "Ingest/Frame_Insert/lib", "Ingest/Frame_Insert/raw",
     "rate", "cpu", (">=", 0.9)),
    ("Loopindex_InsertMany batches", "Ingest/Loopindex_InsertMany/lib",
     "Ingest/Loopindex_InsertMany/raw", "rate", "cpu", (">=", 0.9)),
    ("Frametag_InsertMany batches", "Ingest/Frametag_InsertMany/lib",
     "Ingest/Frametag_InsertMany/raw", "rate", "cpu", (">=", 0.9)),
    ("Frameprop_InsertMany batches", "Ingest/Frameprop_InsertMany/lib",
     "Ingest/Frameprop_InsertMany/raw", "rate", "cpu", (">=", 0.9)),
    ("Binobj_InsertMany batches", "Ingest/Binobj_InsertMany/lib",
     "Ingest/Binobj_InsertMany/raw", "rate", "cpu", (">=", 0.9)),
    ("Frame_Insert autocommit", "Autocommit/Frame_Insert/lib", "Autocommit/Frame_Insert/raw",
     "rate", "cpu", (">=", 0.8)),
    ("File_GetOne by key", "Read/File_GetOne/lib", "Read/File_GetOne/raw", "rate", "cpu",
     (">=", 0.7)),
    ("Binlayer_GetMany of a run", "Read/Binlayer_GetMany/lib", "Read/Binlayer_GetMany/raw",
     "rate", "cpu", None),
    ("Merge, rows per second", "Merge/lib", "Merge/raw", "rate", "cpu", (">=", 0.3)),
    ("Upgrade 10 -> 77, time / VACUUM", "Upgrade/lib", "Upgrade/vacuum", "time", "cpu",
     ("<=", 4.0)),
    ("Thumbnails cold vs vipsthumbnail", "Thumbs/cold/lib", "Thumbs/cold/vips", "rate", "wall",
     (">=", 1.0)),
    ("Thumbnails warm vs cold", "Thumbs/warm/lib", "Thumbs/cold/lib", "rate", "wall",
     (">=", 20.0)),
    ("Queue pipeline vs plain queue", "Queue/Pipeline/framework", "Queue/Pipeline/plain", "rate",
     "wall", (">=", 0.5)),
]

SPECIFIERS = ["words", "assay", "date", "first", "job", "keyword", "label", "last", "plate",
              "quantity"]


def load(paths):
    runs = []
    context = {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        context.update(data.get("context", {}))
        runs.extend(data.get("benchmarks", []))
    return runs, context


def matches(run, key):
    name = run.get("run_name", run["name"])
    return name == key or name.startswith(key + "/")


def repetitions(runs, key):
    return [r for r in runs if matches(r, key) and r.get("run_type", "iteration") == "iteration"]


def rate(run, clock):
    """Items per second by wall-clock (or manual) time or by CPU time."""
    per_wall = run.get("items_per_second")
    if per_wall is None:
        return None
    return per_wall if clock == "wall" else per_wall * run["real_time"] / run["cpu_time"]


def best_rate(runs, key, clock):
    rates = [rate(r, clock) for r in repetitions(runs, key)]
    rates = [r for r in rates if r]
    return max(rates) if rates else None


def best_ms(runs, key):
    reps = repetitions(runs, key)
    if not reps:
        return None
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    return min(r["real_time"] * scale[r.get("time_unit", "ns")] for r in reps)


def ratio_of(runs, subject, baseline, kind, clock):
    s = best_rate(runs, subject, clock)
    b = best_rate(runs, baseline, clock)
    if not s or not b:
        return None
    return s / b if kind == "rate" else b / s


def verdict(value, target):
    if target is None:
        return "(reported)", ""
    op, limit = target
    met = value >= limit if op == ">=" else value <= limit
    return f"{op} {limit:g}", "met" if met else "MISSED"


def label_of(runs, key):
    reps = repetitions(runs, key)
    return reps[0].get("label", "") if reps else ""


def main(paths):
    runs, context = load(paths)
    print(f"machine: {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz,"
          f" load average at start {context.get('load_avg', '?')}")
    print()
    print(f"{'measure':36} {'wall':>7} {'cpu':>7}  {'target':14} result")
    print("-" * 78)
    met = missed = 0
    for label, subject, baseline, kind, clock, target in RATIOS:
        wall = ratio_of(runs, subject, baseline, kind, "wall")
        cpu = ratio_of(runs, subject, baseline, kind, "cpu") if clock == "cpu" else None
        value = cpu if clock == "cpu" else wall
        if value is None:
            print(f"{label:36} {'-':>7} {'-':>7}  {'':14} not run")
            continue
        goal, result = verdict(value, target)
        if target:
            goal += f" ({clock})"
        met += result == "met"
        missed += result == "MISSED"
        cpu_text = f"{cpu:7.2f}" if cpu is not None else f"{'-':>7}"
        print(f"{label:36} {wall:7.2f} {cpu_text}  {goal:14} {result}")
    print("-" * 78)
    print(f"{met} targets met, {missed} missed")

    sizes = sorted({int(r["name"].split("runs:")[1].split("/")[0]) for r in runs
                    if r["name"].startswith("Search/") and "runs:" in r["name"]})
    if sizes:
        largest = sizes[-1]
        print()
        print("search (library's SQL vs a hand-written indexed query for the same rows):")
        print(f"{'specifier':10} " + " ".join(f"{'ms @' + str(n) + ' runs':>14}" for n in sizes) +
              f" {'hand ms':>8} {'ratio':>6}  query plan of the library's SQL")
        for specifier in SPECIFIERS:
            cells = []
            for n in sizes:
                ms = best_ms(runs, f"Search/{specifier}/lib/runs:{n}")
                cells.append(f"{ms:14.2f}" if ms is not None else f"{'-':>14}")
            hand = best_ms(runs, f"Search/{specifier}/hand/runs:{largest}")
            value = ratio_of(runs, f"Search/{specifier}/lib/runs:{largest}",
                             f"Search/{specifier}/hand/runs:{largest}", "rate", "cpu")
            hand_text = f"{hand:8.2f}" if hand is not None else f"{'-':>8}"
            shown = f"{value:6.2f}" if value is not None else f"{'-':>6}"
            plan = label_of(runs, f"Search/{specifier}/lib/runs:{largest}")
            print(f"{specifier:10} " + " ".join(cells) + f" {hand_text} {shown}  {plan}")
        print("(library: reading the text, making the SQL and running it; hand ms and ratio at")
        print(" the largest size; ratio = library throughput / hand-written by CPU time)")

    rows = sorted({int(r["name"].split("rows:")[1].split("/")[0]) for r in runs
                   if r["name"].startswith("IngestScale/")})
    if rows:
        print()
        print("ingest growth (Frame_Insert in one transaction into an empty table):")
        base = None
        for n in rows:
            per_second = best_rate(runs, f"IngestScale/Frame_Insert/rows:{n}", "wall")
            per_row = 1e6 / per_second
            base = base or per_row
            print(f"  {n:>9} rows  {per_row:7.2f} us/row  x{per_row / base:.2f}")


if __name__ == "__main__":
    main(sys.argv[1:])
