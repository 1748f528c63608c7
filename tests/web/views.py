"""The page's pictures, drawn from the companions' --json, in headless
Chromium, against the native programs' text (the independent side): the
parse stepped to its end gives each grammar's verdict; factexplain's frames
hold the calls and products it prints; the place values of 1.0's exponent;
a tree's labels large enough to read; no WCAG 2.1 A/AA violation; and the
step controls work from the keyboard alone; the listings' instructions."""

import os
import re
import sys
import urllib.parse

sys.path.insert(0, os.path.dirname(__file__))
from browser import blackbox, check_axe_here, run_checks, wait_for  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

FACT_SOURCE = os.path.join(os.path.dirname(__file__), "..", "..", "factorial", "fact.cpp")
PARSED = ("10-3-2", "(1+2")
FACT = (4, 13)
# The pictures for axe-core, each at a step that shows its parts.
VIEWS = ("#run=calcexplain&line=10-3-2&step=12", "#run=factexplain&n=4&step=7",
         "#run=floatexplain&command=value&X=0.1")


def options(parser):
    parser.add_argument("--web", required=True, help="the built page's folder")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--chromedriver", required=True)
    parser.add_argument("--axe", required=True, help="axe-core's script, axe.min.js")


def open_view(page, args, address, section):
    page.open(args.web, address)
    wait_for(page.driver, f"return !document.getElementById('{section}').hidden")


def step_to_end(tally, page, name):
    """Next pressed from the keyboard until it is disabled: each step's
    state as state() reads it, and where the focus is at the end."""
    page.press(f"#{name}-next", None, wait=False)
    steps = []
    while page.element(f"{name}-next").is_enabled():
        page.driver.switch_to.active_element.send_keys(Keys.ENTER)
        steps.append(page.driver.execute_script(STATES[name]))
    focus = page.driver.execute_script("return document.activeElement.id || document.activeElement.tagName")
    tally.check(f"{name}: after the last step the focus is on a control ({focus})", focus == f"{name}-back")
    return steps


STATES = {
    "parse": """return [...document.querySelectorAll('#parse-grammars .grammar')].map((g) => [g.dataset.grammar,
                  g.querySelector('.verdict').textContent, g.querySelector('.cursor-line').textContent])""",
    "stack": """return [...document.querySelectorAll('#stack-builds .build')].map((b) => {
                  const latest = b.querySelector('.latest');
                  return [+b.dataset.step, latest && latest.dataset.n, latest && latest.querySelector('.returns')
                          && latest.querySelector('.returns').textContent, b.dataset.line,
                          parseInt(b.querySelector('.frames').getAttribute('aria-label')), latest && latest.classList.contains('wrapped')]; })""",
}


def native_verdicts(line):
    """calcexplain's text: each grammar's verdict, as the page words it."""
    text = blackbox.run(ARGS.bin, "calcexplain", arguments=[line]).stdout.decode()
    verdicts = {}
    for match in re.finditer(r"^(calc\w+): +(.*)\n((?:  .*\n)*)", text, re.M):
        error = re.match(r"parse error at column (\d+)$", match[2])
        verdicts[match[1]] = (f"parse error at column {error[1]}: {match[3].splitlines()[2].strip()}", int(error[1])) \
            if error else (match[2], None)
    return verdicts


def check_parse(tally, page, args):
    """Stepped to its end from a link's step 0, each grammar shows calcexplain's
    verdict, and a rejection its red '?' under the column printed."""
    for line in PARSED:
        open_view(page, args, "#run=calcexplain&line=" + urllib.parse.quote(line) + "&step=0", "parse")
        first = page.driver.execute_script("return document.getElementById('parse-step').textContent")
        last = step_to_end(tally, page, "parse")[-1]
        got = {grammar: (verdict, cursor.split("\n")[1].index("?") + 1 if "?" in cursor else None)
               for grammar, verdict, cursor in last}
        want = native_verdicts(line)
        tally.check(f"{line!r} stepped from {first!r} to the end: the verdicts and stop columns", got == want,
                    f"{got} against {want}")
        steps = page.driver.execute_script("return document.getElementById('parse-step').textContent").split()[1]
        wait_for(page.driver, f"return location.hash.endsWith('&step={steps}')")
        tally.check(f"{line!r}: the link's step, then the last in the address ({steps})", first.startswith("step 0 of"))


def native_calls(n):
    """factexplain's text, build by build: each call's n, each return's numbers."""
    text = blackbox.run(ARGS.bin, "factexplain", arguments=[str(n)]).stdout.decode()
    builds = []
    for line in text.splitlines():
        if re.match(r"\w+ build \(", line):
            builds.append([])
        elif builds and (call := re.search(r"fact\((-?\d+)\) called", line)):
            builds[-1].append(("call", call[1]))
        elif builds and (back := re.search(r"fact(\(-?\d+\) returns .*)", line)):
            builds[-1].append(("return", re.findall(r"-?\d+", back[1])))
    return builds


def check_stack(tally, page, args):
    """Each build's latest frame, step by step, holds the n of each call and
    the numbers of each return as printed; a frame is marked as wrapped just
    where the product printed is not the product of its factors; where
    fact(0) returns the source line shown is fact.cpp's `return 1;`."""
    with open(FACT_SOURCE, encoding="utf-8") as source:
        lines = source.read().splitlines()
    for n in FACT:
        open_view(page, args, f"#run=factexplain&n={n}", "stack")
        got, wraps, base, most = [[], []], [[], []], [], [0, 0]
        for state in step_to_end(tally, page, "stack"):
            for b, (step, latest, returns, line, frames, wrapped) in enumerate(state):
                most[b] = max(most[b], frames)
                if step > len(got[b]):
                    got[b].append(("return", re.findall(r"-?\d+", returns.split("fact", 1)[1])) if returns
                                  else ("call", latest))
                    if returns:
                        wraps[b].append(wrapped)
                    if b == 0 and returns and got[b][-1][1][0] == "0":
                        base.append(lines[int(line) - 1].strip())
        want = native_calls(n)
        tally.check(f"factexplain {n}: the calls and returns step by step", got == want, f"{got} against {want}")
        products = [[len(numbers) == 4 and int(numbers[1]) * int(numbers[2]) != int(numbers[3])
                     for kind, numbers in build if kind == "return"] for build in want]
        tally.check(f"factexplain {n}: the wrapped products marked", wraps == products, f"{wraps}")
        tally.check(f"factexplain {n}: as many frames as calls in the plain build ({most})",
                    most[0] == sum(kind == "call" for kind, _ in want[0]) and most[1] == 1)
        tally.check(f"factexplain {n}: fact(0) returns on `return 1;`", base == ["return 1;"], str(base))


def check_bits(tally, page, args):
    """The exponent bits of 1.0 (a single) weigh 128 down to 1."""
    open_view(page, args, "#run=floatexplain&command=value&X=1.0", "bits")
    places = page.driver.execute_script(
        "return [...document.querySelectorAll('#bits .exponent .place')].map((p) => p.textContent)")
    tally.check("1.0's exponent bits: their place values", places == [str(1 << k) for k in range(7, -1, -1)],
                str(places))


def check_specials(tally, page, args):
    """Infinity and NaN, where the document has no exponent or hidden bit
    (null): the picture says so in words, never "null"."""
    for address in ("X=inf", "X=nan", "X=1e39", "X=65520&format=half"):
        open_view(page, args, "#run=floatexplain&command=value&" + address, "bits")
        shown = page.driver.execute_script("return document.getElementById('bits').textContent + "
                                           "[...document.querySelectorAll('#bits [aria-label]')]"
                                           ".map((e) => e.getAttribute('aria-label')).join(' ')")
        tally.check(f"{address}: no null in the bits", "null" not in shown and "undefined" not in shown, shown)


def check_frame_addresses(tally, page, args):
    """At the step where fact(0) has been called, each frame of the plain
    build in the picture is at the address the output box prints for it."""
    open_view(page, args, "#run=factexplain&n=4&step=5", "stack")
    printed = page.element("output").text.split("Optimised build")[0]
    want = re.findall(r"frame (0x[0-9a-f]+)", printed)
    got = page.driver.execute_script("""return [...document.querySelectorAll(
        '#stack-builds .build[data-build=plain] .frame .where')].map((w) => w.textContent.split(',')[0])""")
    tally.check(f"factexplain 4: the frames' addresses as printed ({len(want)})", got == want and len(want) == 5,
                f"{got} against {want}")


LABEL_SIZE = """const svg = document.querySelector('#tree-picture svg');
    const scale = svg.getBoundingClientRect().width / svg.viewBox.baseVal.width;
    return [Math.min(...[...svg.querySelectorAll('g.node text')].map((t) => +t.getAttribute('font-size') * scale)),
            parseFloat(getComputedStyle(document.body).fontSize)]"""


def check_label_size(tally, page, args):
    """A tree's labels, from the SVG's rendered size: as large as the page's
    text at 1280 px (and twice as large at a text size of 200%), and at
    least 12 px on a phone."""
    for width in (1280, 360):
        page.driver.set_window_size(width, 900)
        open_view(page, args, "#run=calcexplain&line=2*3-4*5", "parse")
        wait_for(page.driver, "return document.querySelector('#tree-picture svg')")
        label, text = page.driver.execute_script(LABEL_SIZE)
        tally.check(f"a tree's labels at {width} px: {label:.1f} px, the text {text} px",
                    label >= (text if width == 1280 else 12) - 0.01)  # rounding of layout, no more
    page.driver.set_window_size(1280, 900)
    page.press("#text-size", Keys.END, wait=False)
    label, text = page.driver.execute_script(LABEL_SIZE)
    tally.check(f"at a text size of 200%, the labels {label:.1f} px", label >= 31.99 and text >= 32)


def check_axe(tally, page, args):
    for address in VIEWS:
        page.driver.set_window_size(1280, 900)
        page.open(args.web, address)
        wait_for(page.driver, "return [...document.querySelectorAll('#bits, #parse, #stack')].some((s) => !s.hidden)")
        check_axe_here(tally, page, args, address)


# Each listing pane's instructions, read from its text as an assembly reader
# would: the mnemonic, and the source heading above it ("fact.cpp:10").
PANES = """return [...document.querySelectorAll('#listings .listing-pane')].map((pane) => {
    let under = '';
    const rows = [...pane.querySelectorAll('.listing-row')].map((row) => {
      const text = row.textContent;
      if (!row.matches('.listing-kind-instruction')) {
        under = row.matches('.listing-kind-source') ? text.trim().split(/\s+/)[0] : '';
        return null;
      }
      return { text: text.trim(), op: text.trim().split(/\s+/)[0], under, marked: row.matches('.is-marked') };
    }).filter(Boolean);
    const line = pane.querySelector('.listing-line.is-marked');
    return { rows, line: line ? line.querySelector('.listing-text').textContent.trim() : null };
  })"""


def open_listings(page, args, view):
    page.driver.get("about:blank")
    page.driver.get("file://" + os.path.abspath(os.path.join(args.web, "index.html")) + "#listing=" + view)
    wait_for(page.driver, """const panes = document.querySelectorAll('#listings .listing-pane');
        return panes.length === 2 && [...panes].every((p) => p.querySelector('.listing-row'))""")
    return page.driver.execute_script(PANES)


def check_listings(tally, page, args):
    """Self-calls in fact's builds; sparc64's register window; `return 1;`
    marking the rows under its heading; SSE (xmm) against x87 (f...) on i686.
    Left out, and said so, where the build lacks a target (CI has them all)."""
    missing = [t for t in ("x86_64", "sparc64", "i686") if not os.path.isdir(os.path.join(args.web, "listings", t))]
    if missing:
        print(f"the listings' checks are left out: this build has no listings for {', '.join(missing)}")
        return
    plain, opt = open_listings(page, args, "fact-builds")
    calls = [[r["text"] for r in pane["rows"] if r["op"] == "call" and "fact" in r["text"]] for pane in (plain, opt)]
    tally.check("x86-64: the plain fact calls fact, the optimised one not", bool(calls[0]) and not calls[1], str(calls))
    sparc = open_listings(page, args, "fact-targets")[1]
    tally.check("sparc64's plain fact holds save", any(r["op"] == "save" for r in sparc["rows"]))
    for k, pane in enumerate(page.driver.find_elements(By.CSS_SELECTOR, "#listings .listing-pane")):
        line = pane.find_element(By.XPATH, ".//li[contains(@class, 'listing-line')][normalize-space(.)='10 return 1;']")
        # Focus, as the keyboard gives it: a pointer moved there can leave the
        # side again when the page scrolls under it, and that unmarks it.
        page.driver.execute_script("arguments[0].focus()", line)
        got = page.driver.execute_script(PANES)[k]
        marked = [r["text"] for r in got["rows"] if r["marked"]]
        want = [r["text"] for r in got["rows"] if r["under"] == "fact.cpp:10"]
        tally.check(f"x86-64 and sparc64 side {k}: `return 1;` marks its line and its instructions",
                    got["line"] == "return 1;" and marked == want and bool(want), f"{got['line']}: {marked} / {want}")
    strict, extended = open_listings(page, args, "precision-units")
    for name, pane, unit in (("precision2", strict, "SSE"), ("precisionx", extended, "x87")):
        units = {"x87" if r["op"].startswith("f") else "SSE" if "%xmm" in r["text"] else ""
                 for r in pane["rows"] if r["marked"]}
        tally.check(f"i686, {name}'s step marked: {unit} instructions", unit in units, str(units))
    tally.check("i686, precision2's step holds no x87 instruction",
                not any(r["marked"] and r["op"].startswith("f") for r in strict["rows"]))


def check_stack_listing(tally, page, args):
    """The recursion view's listing: WebAssembly's, titled so, loaded only when
    shown, marking line 9 for the trace hook's; the button opens the view."""
    page.driver.set_window_size(1280, 900)
    open_view(page, args, "#run=factexplain&n=3&step=1", "stack")
    loaded = "return performance.getEntriesByType('resource').filter((r) => r.name.includes('/listings/')).length"
    tally.check("no listing loaded at start", page.driver.execute_script(loaded) == 0)
    page.element("stack-code").click()
    wait_for(page.driver, "return document.querySelectorAll('#stack-builds .stack-listing .listing-row').length > 0"
                          " && [...document.querySelectorAll('#stack-builds .stack-listing')].every((l) => l.dataset.marked)")
    got = page.driver.execute_script("""return [...document.querySelectorAll('#stack-builds .stack-listing')].map((l) =>
        [l.querySelector('.listing-title').textContent, l.dataset.line,
         l.querySelector('.listing-line.is-marked .listing-number').textContent, l.querySelector('.listing-note').textContent])""")
    for title, line, marked, note in got:
        tally.check(f"the recursion view's listing: {title!r}, line {line} -> {marked}: {note!r}",
                    title.startswith("WebAssembly") and "machine code" not in title and line == "7"
                    and marked == "9" and "line 9" in note)
    page.element("show-listings").click()
    wait_for(page.driver, "return document.querySelectorAll('#listings .listing-pane .listing-row').length")
    tally.check("the listing view opened from the controls, in the address",
                "listing=fact.optimised.wasm32" in page.driver.execute_script("return location.hash"))
    check_axe_here(tally, page, args, "the recursion view's listing and the listing view")


def main():
    global ARGS
    ARGS = blackbox.arguments(options)
    run_checks(ARGS, (check_parse, check_stack, check_bits, check_specials, check_frame_addresses, check_label_size,
                      check_axe, check_listings, check_stack_listing), 1280, 900)


if __name__ == "__main__":
    main()
