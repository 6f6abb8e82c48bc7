#!/usr/bin/env python3
"""Prints the summary of one benchmark run: every ratio of the library
against its baseline from the same run, with its target, and how cost grows
with the number of rows.

Usage: summarize.py RESULT.json... (Google Benchmark JSON output files)

A benchmark repeated (--benchmark_repetitions) counts by its median.
"""
import json
import sys

# label, subject, baseline, target (op, value) or None.
# The ratio is subject throughput / baseline throughput, except for the
# rows marked "time", where it is subject time / baseline time.
RATIOS = [
    ("Frame_Insert x5000 in a transaction", "Ingest/Frame_Insert/lib", "Ingest/Frame_Insert/raw",
     "rate", (">=", 0.9)),
    ("Loopindex_InsertMany (5000 rows)", "Ingest/Loopindex_InsertMany/lib",
     "Ingest/Loopindex_InsertMany/raw", "rate", (">=", 0.9)),
    ("Frametag_InsertMany (5000 rows)", "Ingest/Frametag_InsertMany/lib",
     "Ingest/Frametag_InsertMany/raw", "rate", (">=", 0.9)),
    ("Frameprop_InsertMany (5000 rows)", "Ingest/Frameprop_InsertMany/lib",
     "Ingest/Frameprop_InsertMany/raw", "rate", (">=", 0.9)),
    ("Binobj_InsertMany (5000 rows)", "Ingest/Binobj_InsertMany/lib",
     "Ingest/Binobj_InsertMany/raw", "rate", (">=", 0.9)),
    ("Frame_Insert autocommit", "Autocommit/Frame_Insert/lib", "Autocommit/Frame_Insert/raw",
     "rate", (">=", 0.8)),
    ("File_GetOne by key", "Read/File_GetOne/lib", "Read/File_GetOne/raw", "rate", (">=", 0.7)),
    ("Binlayer_GetMany of a run", "Read/Binlayer_GetMany/lib", "Read/Binlayer_GetMany/raw",
     "rate", None),
    ("Merge (rows/s)", "Merge/lib", "Merge/raw", "rate", (">=", 0.3)),
    ("Upgrade 10 -> 77 (time vs VACUUM)", "Upgrade/lib", "Upgrade/vacuum", "time", ("<=", 4.0)),
    ("Thumbnails cold vs vipsthumbnail", "Thumbs/cold/lib", "Thumbs/cold/vips", "rate",
     (">=", 1.0)),
    ("Thumbnails warm vs cold", "Thumbs/warm/lib", "Thumbs/cold/lib", "rate", (">=", 20.0)),
    ("Queue pipeline vs plain queue", "Queue/Pipeline/framework", "Queue/Pipeline/plain", "rate",
     (">=", 0.5)),
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


def find(runs, key):
    """The median run of key, else the mean of its iterations; None when missing."""
    medians = [r for r in runs if matches(r, key) and r.get("aggregate_name") == "median"]
    if medians:
        return medians[0]
    plain = [r for r in runs if matches(r, key) and r.get("run_type", "iteration") == "iteration"]
    if not plain:
        return None
    if len(plain) == 1:
        return plain[0]
    mean = dict(plain[0])
    for field in ("items_per_second", "real_time", "cpu_time"):
        if field in mean:
            mean[field] = sum(r[field] for r in plain) / len(plain)
    return mean


def rate(run):
    return run.get("items_per_second")


def seconds(run):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run.get("time_unit", "ns")]
    return run["real_time"] * scale


def ratio_of(runs, subject, baseline, mode):
    s = find(runs, subject)
    b = find(runs, baseline)
    if not s or not b or not rate(s) or not rate(b):
        return None
    return rate(s) / rate(b) if mode == "rate" else rate(b) / rate(s)


def verdict(value, target):
    if target is None:
        return "(reported)", ""
    op, limit = target
    met = value >= limit if op == ">=" else value <= limit
    return f"{op} {limit:g}", "met" if met else "MISSED"


def main(paths):
    runs, context = load(paths)
    print(f"machine: {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz,"
          f" load average at start {context.get('load_avg', '?')}")
    print()
    print(f"{'measure':44} {'ratio':>8}  {'target':10} result")
    print("-" * 72)
    met = missed = 0
    for label, subject, baseline, mode, target in RATIOS:
        value = ratio_of(runs, subject, baseline, mode)
        if value is None:
            print(f"{label:44} {'-':>8}  {'':10} not run")
            continue
        goal, result = verdict(value, target)
        met += result == "met"
        missed += result == "MISSED"
        print(f"{label:44} {value:8.2f}  {goal:10} {result}")
    print("-" * 72)
    print(f"{met} targets met, {missed} missed")

    sizes = sorted({int(r["name"].split("runs:")[1].split("/")[0]) for r in runs
                    if r["name"].startswith("Search/") and "runs:" in r["name"]})
    if sizes:
        print()
        print("search (library's SQL vs a hand-written indexed query, same rows):")
        print(f"{'specifier':10} " + " ".join(f"{'ms @' + str(n) + ' runs':>15}" for n in sizes) +
              f" {'hand ms':>8} {'ratio':>6}  query plan of the library's SQL")
        for spec in SPECIFIERS:
            cells = []
            for n in sizes:
                lib = find(runs, f"Search/{spec}/lib/runs:{n}")
                cells.append(f"{seconds(lib) * 1000:15.2f}" if lib else f"{'-':>15}")
            largest = sizes[-1]
            value = ratio_of(runs, f"Search/{spec}/lib/runs:{largest}",
                             f"Search/{spec}/hand/runs:{largest}", "rate")
            lib = find(runs, f"Search/{spec}/lib/runs:{largest}")
            hand = find(runs, f"Search/{spec}/hand/runs:{largest}")
            plan = lib.get("label", "") if lib else ""
            shown = f"{value:6.2f}" if value is not None else f"{'-':>6}"
            hand_ms = f"{seconds(hand) * 1000:8.2f}" if hand else f"{'-':>8}"
            print(f"{spec:10} " + " ".join(cells) + f" {hand_ms} {shown}  {plan}")
        print("(library: reading the text, making the SQL and running it; hand ms and ratio at the")
        print(" largest size, ratio = library throughput / hand-written, below 1 is slower)")

    rows = sorted({int(r["name"].split("rows:")[1].split("/")[0]) for r in runs
                   if r["name"].startswith("IngestScale/")})
    if rows:
        print()
        print("ingest growth (Frame_Insert in one transaction into an empty table):")
        base = None
        for n in rows:
            r = find(runs, f"IngestScale/Frame_Insert/rows:{n}")
            per_row = 1e6 / rate(r)
            base = base or per_row
            print(f"  {n:>9} rows  {per_row:7.2f} us/row  x{per_row / base:.2f}")

if __name__ == "__main__":
    main(sys.argv[1:])
