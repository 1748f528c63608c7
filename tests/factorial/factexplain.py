"""factexplain: the calls and products of both builds against n! computed
here, the frames each build shows, and the arguments it refuses.

With --no-frames (WebAssembly) no frame may be shown, and the closing lines
must say why."""

import math
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

CALL = re.compile(r"^( *(?:\[depth \d+\] )?)fact\((-?\d+)\) called(?: +frame (0x[0-9a-f]+)(?:, (\d+) bytes below|, the same)?)?$")
RETURN = re.compile(r"^ *(?:\[depth \d+\] )?fact\((-?\d+)\) returns (?:(-?\d+) \* (-?\d+) = )?(-?\d+)( \(wrapped around\))?$")
SUMMARY = re.compile(r"^(\d+) calls?(?:, (\d+) frames?)?(?:, deepest depth (\d+))?(?:, (\d+) bytes per call)?$")

# N as given (None: not given, 4), and N's value. 12! is the last product to
# fit in 32 bits; from 34 on, 2^32 divides n! and the products are 0; 1000
# is the largest N taken.
RUNS = [(None, 4), ("0", 0), ("-1", -1), ("1", 1), ("12", 12), ("13", 13), ("20", 20), ("33", 33),
        ("34", 34), ("1000", 1000), ("-2147483648", -2147483648)]

REFUSED = ["1001", "2147483648", "-2147483649", "99999999999999999999", "4x", "", "1 2", "--bogus"]
TOO_LARGE = b"factexplain: N must be a whole number from -2147483648 to 1000, not '1001'\n"
TRY = b"Try 'factexplain --help' for more information.\n"


def factorial32(n):
    return blackbox.signed32(math.factorial(max(n, 0)))


def sections(text):
    """The two builds' lines, each without its heading, and the closing lines."""
    parts = text.split("\n\n")
    return [p.splitlines()[1:] for p in parts[:2]], parts[2].splitlines() if len(parts) > 2 else []


def check_build(tally, label, lines, n, frames_shown, products_shown):
    """Checks one build's calls, returns and summary; gives (frames, bytes per call)."""
    want_calls = list(range(n, -1, -1)) if n > 0 else [n]
    calls = [CALL.match(line) for line in lines[:len(want_calls)]]
    if not tally.check(f"{label}: a line per call, fact({n}) down", all(calls) and
                       [int(c[2]) for c in calls] == want_calls, "\n     ".join(lines)):
        return None, None
    addresses = [int(c[3], 16) for c in calls if c[3]]
    tally.check(f"{label}: frames {'shown' if frames_shown else 'not shown'}",
                len(addresses) == (len(calls) if frames_shown else 0))
    distances = [a - b for a, b in zip(addresses, addresses[1:])]
    tally.check(f"{label}: each distance as shown", all(
        int(c[4] or 0) == d and (d > 0 or c[0].endswith(", the same")) for c, d in zip(calls[1:], distances)))
    rest = lines[len(want_calls):]
    returns = [RETURN.match(line) for line in rest]
    if products_shown:
        # Innermost first: fact(k) returns k * (k-1)! = k!, all modulo 2^32.
        want = [(want_calls[-1], None, None, factorial32(want_calls[-1]), False)]
        want += [(k, k, factorial32(k - 1), factorial32(k), not -2**31 <= k * factorial32(k - 1) < 2**31)
                 for k in reversed(want_calls[:-1])]
    else:
        want = [(n, None, None, factorial32(n), False)]
    got = [(int(r[1]), r[2] and int(r[2]), r[3] and int(r[3]), int(r[4]), bool(r[5])) for r in returns[:len(want)]
           if r]
    tally.check(f"{label}: the returns and products", got == want, f"want {want}\n     got  {got}")
    summary = SUMMARY.match(rest[len(want)]) if len(rest) > len(want) else None
    frames = len(set(addresses)) if frames_shown else None
    per_call = distances[0] if distances and distances[0] > 0 else None
    tally.check(f"{label}: the summary", summary and int(summary[1]) == len(want_calls) and
                (summary[2] and int(summary[2])) == frames and (summary[4] and int(summary[4])) == per_call,
                rest[len(want):len(want) + 1])
    return frames, per_call


def main():
    args = blackbox.arguments(lambda p: p.add_argument("--no-frames", action="store_true"))
    tally = blackbox.Tally()
    frames_shown = not args.no_frames
    for argument, n in RUNS:
        arguments = [] if argument is None else ["--", argument]
        run = blackbox.run(args.bin, "factexplain", arguments=arguments)
        label = f"factexplain {argument or ''}".strip()
        if not tally.check(f"{label}: status 0, nothing on standard error", run.status == 0 and not run.stderr,
                           run):
            continue
        text = run.stdout.decode()
        tally.check(f"{label}: within 80 columns", all(len(line) <= 80 for line in text.splitlines()))
        (plain, opt), closing = sections(text)
        calls = max(n, 0) + 1
        plain_frames, per_call = check_build(tally, f"{label}, plain", plain, n, frames_shown, True)
        opt_frames, opt_per_call = check_build(tally, f"{label}, optimised", opt, n, frames_shown, False)
        if frames_shown:
            # A frame per call in the plain build, at distinct addresses; the
            # optimised one either recursed or looped (disassembly.py says which).
            tally.check(f"{label}: plain, a frame per call", plain_frames == calls)
            tally.check(f"{label}: optimised, one frame or a frame per call", opt_frames in (1, calls))
            shown = lambda frames, bytes: f"{frames} frame" + (f"s of {bytes} bytes" if frames > 1 else "")
            want = f"{calls} call{'s' if calls > 1 else ''}: plain, {shown(plain_frames, per_call)}; " \
                   f"optimised, {shown(opt_frames, opt_per_call)}."
            tally.check(f"{label}: the closing line", closing == [want], f"want {want!r}\n     got  {closing}")
        else:
            tally.check(f"{label}: says why no frames", "they cannot be measured here." in " ".join(closing), closing)
    for argument in REFUSED:
        run = blackbox.run(args.bin, "factexplain", arguments=argument.split(" ") if argument else [""])
        tally.check(f"factexplain '{argument}' refused", run.status == 2 and not run.stdout and
                    run.stderr.endswith(TRY) and run.stderr.count(b"\n") == 2 and
                    (argument != "1001" or run.stderr == TOO_LARGE + TRY), run)
    tally.finish()


if __name__ == "__main__":
    main()
