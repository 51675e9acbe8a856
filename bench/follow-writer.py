#!/usr/bin/env python3
"""Appends log records to a file at a steady rate, for the follow benchmark.

    follow-writer.py LOG RATE SECONDS

Every 10 ms it appends RATE/100 records in one write, each a line in the
viewer's layout whose message starts with the monotonic clock's time of
the write in nanoseconds, so that the reader can tell how long a line took
to reach the view."""
import os
import sys
import time

def main():
    log, rate, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    per_batch = max(1, rate // 100)
    levels = ["INFO ", "AVISO", "ERRO ", "INFO ", "INFO "]
    fd = os.open(log, os.O_WRONLY | os.O_APPEND)
    start = time.monotonic()
    batch = 0
    written = 0
    while time.monotonic() - start < seconds:
        stamp = time.monotonic_ns()
        lines = []
        for k in range(per_batch):
            level = levels[(written + k) % len(levels)]
            lines.append("2026-12-11 10:00:00.000 [%s] t=%d record %d of the follow benchmark\n" % (level, stamp, written + k))
        os.write(fd, "".join(lines).encode())
        written += per_batch
        batch += 1
        delay = start + batch * 0.01 - time.monotonic()
        if delay > 0:
            time.sleep(delay)
    os.close(fd)
    print("written %d lines in %.2f s" % (written, time.monotonic() - start), file=sys.stderr)

main()
