"""The page in a real browser: headless Chromium opens it from a file://
address, types and clicks as a student would, and what the page shows must
be what the native programs print, byte for byte, with the same exit status.

The native programs are the independent side: --bin names a native build's,
not the WebAssembly build's, which run under the same host as the page. Each
run is checked twice over: the native program run with the arguments
this table gives, and the command line the page shows, run by the shell."""

import collections
import functools
import http.server
import itertools
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import Select, WebDriverWait  # noqa: E402

CALCULATORS = ("calcloop", "calcminusrec", "calcrec")

# Lines for the calculators: both groupings, a rejection, wrap-around, blanks
# inside a number, an empty line, and ones that a shell's echo could misread.
LINES = ("10-3-2", "2*3+4", "(1+2)*(3+4)", "2147483647+1", "1 2 + 3", "(1+2", "", "-5", "8-4-2-1",
         "2\\n3", "-n 1")

# calcexplain: a line and the options ticked on the page.
EXPLAIN = (
    ("10-3-2", []),
    ("2*3-4*5", ["--steps"]),
    ("1+2+3", ["--tree"]),
    ("10-(3-2)", ["--trace", "--tree=rules"]),
    ("(1+2", ["--steps", "--trace"]),
    ("-1", []),
    ("2*3", ["--dot"]),
)

# floatexplain: the command, its operands and its options as the page's
# fields take them (a text field's value, or True for a box to tick).
FLOAT = (
    ("op", {"A": "0.1", "OP": "/", "B": "3"}, {"--extended": True}, ["op", "0.1", "/", "3", "--extended"]),
    ("sum", {}, {"--from": "2000", "--to": "3000", "--every": "250", "--decreasing": True},
     ["sum", "--from", "2000", "--to", "3000", "--every", "250", "--decreasing"]),
    ("value", {"X...": "0.1  16777217"}, {}, ["value", "0.1", "16777217"]),
    # A usage error: its message on standard error, status 2.
    ("sum", {}, {"--to": "2x"}, ["sum", "--to", "2x"]),
)

REPORTS = ("precision3", "prodshow", "prodshow-opt", "prodquiet")

# calcexplain lines drawn as trees, a rejected one among them.
TREES = ("10-3-2", "2*3-4*5", "(1+2")
# Bits of 1.0 (3f800000) flipped in turn, and the pattern each makes: -1.0,
# the next single out (the lowest significand bit), its half (an exponent bit).
BITS = ((31, "bf800000"), (0, "bf800001"), (23, "bf000001"))
# A link, and the run it restores: the program and its arguments.
LINK = ("#run=calcexplain&line=1-2*3-4&steps&tree=tree", "calcexplain", ["--steps", "--tree", "1-2*3-4"])
# The page with each picture drawn, for axe-core.
VIEWS = ("#run=calcexplain&line=%281%2B2&tree=dot", "#run=floatexplain&command=value&X=1.0", "#run=factexplain&n=4")
AXE_TAGS = ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa"]

BROWSER_FLAGS = ("--no-sandbox", "--headless", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic")


def options(parser):
    parser.add_argument("--web", required=True, help="the built page's folder")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--chromedriver", required=True)
    parser.add_argument("--screenshot", required=True, help="where to save the picture of the page")
    parser.add_argument("--axe", required=True, help="axe-core's script, axe.min.js")


def start_browser(args):
    chrome = webdriver.ChromeOptions()
    chrome.binary_location = args.chromium
    for flag in BROWSER_FLAGS:
        chrome.add_argument(flag)
    chrome.add_argument("--user-data-dir=" + tempfile.mkdtemp(prefix="web-test-"))
    chrome.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    return webdriver.Chrome(service=Service(args.chromedriver), options=chrome)


class Page:
    """The page as a student uses it: pick, type, tick, click, read."""

    def __init__(self, driver):
        self.driver = driver

    def element(self, id_):
        return self.driver.find_element(By.ID, id_)

    def pick(self, program):
        Select(self.element("program")).select_by_value(program)

    def type_line(self, line):
        field = self.element("line")
        field.clear()
        field.send_keys(line)

    def tick(self, container, wanted):
        """Ticks exactly the wanted options in container, the rest unticked."""
        for box in self.driver.find_elements(By.CSS_SELECTOR, f"#{container} input[type=checkbox]"):
            if box.is_selected() != (box.get_attribute("data-option") in wanted):
                box.click()

    def run(self):
        """Clicks Run; returns what the page shows once the run ends."""
        self.element("run").click()
        self.wait()
        return self.shown()

    def wait(self, timeout=120):
        status = self.element("status")
        deadline = time.monotonic() + timeout
        while status.get_attribute("data-state") != "done":
            if time.monotonic() > deadline:
                raise TimeoutError(f"still running after {timeout} s: {status.text}")
            time.sleep(0.02)

    def shown(self):
        stream = """return [...document.querySelectorAll('#output .' + arguments[0])]
                    .map((span) => span.textContent).join('')"""
        exit_status = self.element("status").get_attribute("data-exit")
        return blackbox.Run(self.driver.execute_script(stream, "stdout").encode(),
                            self.driver.execute_script(stream, "stderr").encode(),
                            int(exit_status) if exit_status else None)

    def open(self, web, address=""):
        """Opens the page afresh at an address, and waits for its run."""
        self.driver.get("about:blank")
        self.driver.get("file://" + os.path.abspath(os.path.join(web, "index.html")) + address)
        if address:
            self.wait()

    def press(self, selector, key, wait=True):
        """Tabs from the top to the control, presses the key, waits for the run."""
        self.driver.execute_script("document.activeElement.blur()")
        self.driver.find_element(By.TAG_NAME, "body").send_keys(Keys.TAB)
        for _ in range(200):
            if self.driver.execute_script("return document.activeElement.matches(arguments[0])", selector):
                break
            self.driver.switch_to.active_element.send_keys(Keys.TAB)
        else:
            raise AssertionError(f"{selector} cannot be reached by the keyboard")
        if key:
            self.driver.switch_to.active_element.send_keys(key)
        if wait:
            self.wait()

    def command(self):
        text = self.element("command").get_attribute("textContent")
        return text.removeprefix("$ ")


def check_run(tally, page, args, label, program, arguments, stdin=b"", ran=False):
    """The page's run (ran: already made) against the native program's, and
    against the shell's run of the command line the page shows."""
    got = page.shown() if ran else page.run()
    if program == "floatexplain" and arguments[0] == "op":
        # WebAssembly keeps no exception flags: there floatexplain derives
        # them, and says so in one line that a native run does not print.
        notes = re.findall(rb"^  flags from:  .*\n", got.stdout, re.M)
        tally.check(f"{label}: says its flags are derived", len(notes) == 1, str(notes))
        got = blackbox.Run(got.stdout.replace(b"".join(notes), b""), got.stderr, got.status)
    want = blackbox.run(args.bin, program, stdin, arguments=arguments)
    tally.expect_run(label, got, want.stdout, want.status, want.stderr)
    env = dict(os.environ, PATH=args.bin + os.pathsep + os.environ["PATH"])
    shell = subprocess.run(["sh", "-c", page.command()], capture_output=True, env=env, timeout=60)
    tally.check(f"{label}: the command shown ({page.command()})",
                (shell.stdout, shell.stderr, shell.returncode) == (want.stdout, want.stderr, want.status),
                f"the shell gave {shell}")


def check_depth(tally, page, args):
    """The nesting guard holds in the page's worker: a million levels end in
    the programs' own depth error, never an engine's, and 1,000 evaluate.
    (The lines are set, not typed, and too long for a shell's command line.)"""
    for program in CALCULATORS:
        page.pick(program)
        for levels in (1000, 1000000):
            page.driver.execute_script("""
                const field = document.getElementById('line');
                field.value = '('.repeat(arguments[0]) + '1' + ')'.repeat(arguments[0]);
                field.dispatchEvent(new Event('input', { bubbles: true }));""", levels)
            line = b"(" * levels + b"1" + b")" * levels + b"\n"
            want = blackbox.run(args.bin, program, line)
            tally.expect_run(f"{program}, {levels} levels", page.run(), want.stdout, want.status, want.stderr)


def check_programs(tally, page, args):
    for program in CALCULATORS:
        page.pick(program)
        for line in LINES:
            page.type_line(line)
            check_run(tally, page, args, f"{program} {line!r}", program, (), line.encode() + b"\n")

    page.pick("calcexplain")
    for line, ticked in EXPLAIN:
        page.type_line(line)
        tree = next((option for option in ticked if option.startswith(("--tree", "--dot"))), "")
        page.driver.find_element(By.CSS_SELECTOR, f"input[name=tree][value='{tree}']").click()
        page.tick("calcexplain-options", ticked)
        arguments = [option for option in ticked if option != tree] + ([tree] if tree else [])
        arguments += ["--", line] if line.startswith("-") else [line]
        check_run(tally, page, args, f"calcexplain {' '.join(arguments)}", "calcexplain", arguments)

    page.pick("floatexplain")
    for command, operands, fields, arguments in FLOAT:
        Select(page.element("float-command")).select_by_value(command)
        for name, value in operands.items():
            field = page.driver.find_element(By.CSS_SELECTOR, f"#float-fields [data-operand='{name}']")
            if field.tag_name == "select":
                Select(field).select_by_value(value)
            else:
                field.clear()
                field.send_keys(value)
        page.tick("float-fields", [option for option, value in fields.items() if value is True])
        for option, value in fields.items():
            if value is not True:
                field = page.driver.find_element(By.CSS_SELECTOR, f"#float-fields input[type=text][data-option='{option}']")
                field.clear()
                field.send_keys(value)
        check_run(tally, page, args, f"floatexplain {' '.join(arguments)}", "floatexplain", arguments)

    for program in REPORTS:
        page.pick(program)
        check_run(tally, page, args, program, program, ())


def dot_trees(text):
    """calcexplain's DOT: each tree (its cluster's prefix, as l1g0e) as nested
    (label, red?, children...), the children in the DOT's order."""
    string = r'"((?:[^"\\]|\\.)*)"'
    nodes = {m[1]: (re.sub(r"\\(.)", r"\1", m[2]), bool(m[3]))
             for m in re.finditer(rf"^ *(\w+) \[label={string}(, fontcolor=red)?\];$", text, re.M)}
    return nodes, re.findall(r"^ *(\w+) -> (\w+);$", text, re.M)


def nested(nodes, edges, prefix):
    """The tree of the nodes named prefix + number, from its root down."""
    mine = [edge for edge in edges if re.fullmatch(prefix + r"\d+", edge[0])]
    children = collections.defaultdict(list)
    for parent, child in mine:
        children[parent].append(child)
    roots = [name for name in nodes if re.fullmatch(prefix + r"\d+", name) and name not in {c for _, c in mine}]
    build = lambda name: (*nodes[name], *map(build, children[name]))  # noqa: E731
    return [build(root) for root in roots]


def svg_trees(driver):
    """The tree the page shows, read back from its SVG."""
    nodes, edges = driver.execute_script("""const all = (css) => [...document.querySelectorAll(css)];
        return [all('#tree-picture g.node').map((g) => [g.id, g.querySelector('text').textContent,
                  !['black', '#000000', null].includes(g.querySelector('text').getAttribute('fill'))]),
                all('#tree-picture g.edge title').map((title) => title.textContent.split('->'))]""")
    return {name: (label, red) for name, label, red in nodes}, [tuple(edge) for edge in edges]


def wait_for(driver, script):
    WebDriverWait(driver, 30, 0.05).until(lambda driver: driver.execute_script(script), script)


def check_trees(tally, page, args):
    """Each grammar's trees drawn, expression and rules, hold the nodes,
    labels ('?' red) and edges of the native --dot's, in the same order."""
    page.pick("calcexplain")
    page.tick("calcexplain-options", [])
    page.driver.find_element(By.CSS_SELECTOR, "input[name=tree][value='--dot']").click()
    for line in TREES:
        page.type_line(line)
        page.run()
        wait_for(page.driver, "return document.querySelector('#tree-picture svg')")
        dot = dot_trees(blackbox.run(args.bin, "calcexplain", b"", arguments=["--dot", line]).stdout.decode())
        for (g, grammar), kind in itertools.product(enumerate(CALCULATORS), ("expression", "rules")):
            page.driver.find_element(By.CSS_SELECTOR, f"input[name=tree-grammar][value='{g}']").click()
            page.driver.find_element(By.CSS_SELECTOR, f"input[name=tree-kind][value='{kind}']").click()
            got, want = nested(*svg_trees(page.driver), f"t{g}{kind[0]}"), nested(*dot, f"l1g{g}{kind[0]}")
            tally.check(f"the {kind} tree of {line!r} in {grammar}", got == want and want, f"drawn {got}, printed {want}")
        page.driver.find_element(By.CSS_SELECTOR, "input[name=tree-grammar][value='0']").click()
        page.driver.find_element(By.CSS_SELECTOR, "input[name=tree-kind][value='expression']").click()


def check_bits(tally, page, args):
    """Bits flipped in turn from the keyboard run what the native one prints."""
    page.open(args.web, "#run=floatexplain&command=value&X=1.0")
    for bit, pattern in BITS:
        page.press(f"#bit-toggles [data-bit='{bit}']", Keys.SPACE)
        check_run(tally, page, args, f"bit {bit} flipped", "floatexplain", ["value", "0x" + pattern], ran=True)


def check_stack(tally, page, args):
    """Back and Play from the keyboard (views.py steps through the frames)."""
    page.open(args.web, "#run=factexplain&n=4")
    wait_for(page.driver, "return !document.getElementById('stack').hidden")
    step = "return document.getElementById('stack-step').textContent"
    page.press("#stack-next", Keys.ENTER, wait=False)
    page.driver.switch_to.active_element.send_keys(Keys.ENTER)
    page.press("#stack-back", Keys.ENTER, wait=False)
    back = page.driver.execute_script(step)
    page.press("#stack-play", Keys.ENTER, wait=False)
    wait_for(page.driver, "return document.getElementById('stack-play').getAttribute('aria-pressed') === 'false'")
    end = page.driver.execute_script(step)
    tally.check(f"Back steps back ({back}), Play runs to the end ({end})",
                back.startswith("step 1 of") and end.split()[1] == end.split()[3])


def check_link(tally, page, args):
    """A link restores and runs its run; after another, Back returns to it."""
    address, program, arguments = LINK
    page.open(args.web, address)
    check_run(tally, page, args, f"the link {address}", program, arguments, ran=True)
    page.type_line("5-1")
    page.run()
    page.driver.back()
    wait_for(page.driver, "const c = document.getElementById('command'); return c && c.textContent.includes('1-2*3-4')")
    page.wait()
    check_run(tally, page, args, "Back: the link's run again", program, arguments, ran=True)


def check_display(tally, page, args):
    """The other controls, from the keyboard at a phone's width: the output
    copies as its bytes, wrapped or not; text size; links; --help; trees."""
    script = page.driver.execute_script
    page.driver.set_window_size(360, 740)
    page.open(args.web, "#run=floatexplain&command=value&X=0x80000001")
    script("navigator.clipboard.writeText = (text) => Promise.resolve(window.copied = text)")
    want = blackbox.run(args.bin, "floatexplain", b"", arguments=["value", "0x80000001"]).stdout.decode()
    for wrapped in (True, False):
        page.press("#copy-output", Keys.ENTER, wait=False)
        fits = script("const o = document.getElementById('output'); return o.scrollWidth <= o.clientWidth")
        tally.check(f"wrapped {wrapped}: fits the box, copies the bytes", (fits, script("return copied")) == (wrapped, want))
        page.press("#wrap", Keys.SPACE, wait=False)
    page.press("#text-size", Keys.ARROW_DOWN, wait=False)
    page.press("#copy-link", Keys.ENTER, wait=False)
    tally.check("the text grows to 125%, the link copies", (script("return getComputedStyle(document.documentElement).fontSize"),
                script("return copied")) == ("20px", page.driver.current_url))
    page.press("#help", Keys.ENTER)
    check_run(tally, page, args, "floatexplain --help from its button", "floatexplain", ["--help"], ran=True)
    page.open(args.web, VIEWS[0])
    wait_for(page.driver, "return document.querySelector('#tree-picture svg')")
    page.press("#tree-larger", Keys.ENTER, wait=False)
    page.driver.switch_to.active_element.send_keys(Keys.ENTER)
    page.press("#save-svg", None, wait=False)
    tally.check("the trees zoomed in scroll, the picture saved a key away", script("""const box = document.getElementById(
        'tree-picture'); return box.scrollWidth > box.clientWidth && document.activeElement.href.startsWith('blob:')"""))


def check_axe_here(tally, page, args, what):
    """No WCAG 2.1 A or AA violation by axe-core in the page as it stands,
    at 1280 and 360 pixels, light and dark."""
    with open(args.axe, encoding="utf-8") as script:
        page.driver.execute_script(script.read())
    page.driver.set_script_timeout(120)
    for width, scheme in itertools.product((1280, 360), ("light", "dark")):
        page.driver.set_window_size(width, 900)
        page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                    {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
        found = page.driver.execute_async_script("""const done = arguments[arguments.length - 1];
            axe.run(document, { runOnly: { type: 'tag', values: arguments[0] }, preload: false }).then((result) =>
              done(result.violations.map((v) => v.id + ': ' + v.nodes.map((node) => node.target).join(', '))))""",
            AXE_TAGS)
        tally.check(f"axe-core, {what} at {width} px, {scheme}: no violation", not found, "\n     ".join(found))


def check_axe(tally, page, args):
    """axe-core with each picture drawn."""
    for address in VIEWS:
        page.driver.set_window_size(1280, 900)
        page.open(args.web, address)
        check_axe_here(tally, page, args, address)


def run_checks(args, checks, width=1000, height=1100):
    """A test of the page: a browser, and each check in turn, one tally of
    them all."""
    tally = blackbox.Tally()
    driver = start_browser(args)
    try:
        driver.set_window_size(width, height)
        page = Page(driver)
        for check in checks:
            check(tally, page, args)
    finally:
        driver.quit()
    tally.finish()


def check_long_runs(tally, page, args):
    """Ten-million-term sums run apart from the page: one is stopped while it
    runs (it takes seconds in extended precision), and the default one, run
    to its end, arrives in several pieces as it is written and holds the
    native run's bytes."""
    page.pick("floatexplain")
    Select(page.element("float-command")).select_by_value("sum")
    page.tick("float-fields", ["--extended"])
    for field in page.driver.find_elements(By.CSS_SELECTOR, "#float-fields input[type=text]"):
        field.clear()
    page.element("run").click()
    status = page.element("status")
    running = status.get_attribute("data-state")
    page.element("stop").click()
    tally.check("Stop ends a long run", (running, status.text, page.shown().status) == ("running", "stopped", None),
                f"state {running!r}, then {status.text!r}")

    page.tick("float-fields", [])
    check_run(tally, page, args, "floatexplain sum", "floatexplain", ["sum"])
    pieces = len(page.driver.find_elements(By.CSS_SELECTOR, "#output .stdout"))
    tally.check(f"the default sum's output arrives as it is written ({pieces} pieces)", pieces > 1)


def check_phone_width(tally, driver):
    """At a phone's width the page needs no sideways scrolling; only the
    output, at 80 columns, scrolls inside its own box."""
    driver.set_window_size(360, 740)
    widths = driver.execute_script(
        "return [document.documentElement.scrollWidth, document.documentElement.clientWidth]")
    tally.check("the page fits a phone's width", widths[0] <= widths[1], f"scroll width, width: {widths}")


def check_requests(tally, driver, web):
    """Nothing but the page's own folder, its workers (blob:) and the
    WebAssembly inside the modules. The browser's own pages (chrome://, its
    start page before ours) are not the page's."""
    folder = "file://" + os.path.abspath(web) + "/"
    urls = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            params = message["params"]
            if not params.get("documentURL", "").startswith("chrome://"):
                urls.append(params["request"]["url"])
    outside = [url for url in urls if not url.startswith((folder, "blob:null/"))]
    tally.check("the page asks for nothing outside its folder", urls and not outside, f"outside: {outside}")
    tally.check("the page loads its programs from its folder",
                any(url.startswith(folder + "programs/") for url in urls), f"requests: {urls}")
    complaints = [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
    tally.check("the browser reports no error (a refused request among them)", not complaints,
                "\n     ".join(complaints))


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def check_served(tally, driver, web):
    """The same page from a web host (a local one here): nothing to change."""
    handler = functools.partial(QuietHandler, directory=web)
    with http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler) as server:
        threading.Thread(target=server.serve_forever, daemon=True).start()
        driver.get(f"http://127.0.0.1:{server.server_port}/index.html")
        page = Page(driver)
        page.pick("calcminusrec")
        page.type_line("10-3-2")
        tally.check("the page served over HTTP", page.run() == blackbox.Run(b"The result is: 9\n", b"", 0))
        complaints = [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
        tally.check("no error from the browser over HTTP", not complaints, "\n     ".join(complaints))
        server.shutdown()


def png_pixels(data):
    """The pixels of an 8-bit RGB or RGBA PNG, as tuples, row by row."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, chunks, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and not interlace, f"unexpected PNG format {header}"
    size = 4 if colour == 6 else 3
    raw = zlib.decompress(b"".join(chunks))
    stride = width * size
    previous = bytearray(stride)
    pixels = []
    for y in range(height):
        kind, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = row[x - size] if x >= size else 0
            up = previous[x]
            corner = previous[x - size] if x >= size else 0
            if kind == 1:
                row[x] = (row[x] + left) & 255
            elif kind == 2:
                row[x] = (row[x] + up) & 255
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 255
            elif kind == 4:
                guess = left + up - corner
                nearest = min((abs(guess - left), 0, left), (abs(guess - up), 1, up), (abs(guess - corner), 2, corner))
                row[x] = (row[x] + nearest[2]) & 255
        pixels.extend(tuple(row[x:x + size]) for x in range(0, stride, size))
        previous = row
    return width, height, pixels


def check_screenshot(tally, page, path):
    """The page after it drew calcexplain's trees: saved for the README, and
    checked to be a rendering (text in many shades), not a blank frame."""
    page.driver.set_window_size(1000, 900)
    page.pick("calcexplain")
    page.type_line("10-3-2")
    page.driver.find_element(By.CSS_SELECTOR, "input[name=tree][value='--dot']").click()
    page.tick("calcexplain-options", [])
    trees = page.run().stdout
    wait_for(page.driver, "return document.querySelector('#tree-picture svg')")
    page.driver.execute_script("document.getElementById('command').scrollIntoView()")
    page.driver.save_screenshot(path)
    with open(path, "rb") as picture:
        width, height, pixels = png_pixels(picture.read())
    counts = collections.Counter(pixels)
    drawn = 1 - counts.most_common(1)[0][1] / len(pixels)
    shades = len(counts)
    tally.check(f"the screenshot is a rendering ({width}x{height}, {shades} colours, {drawn:.0%} drawn)",
                width >= 800 and shades >= 32 and drawn >= 0.1 and b'label="calcminusrec = 9"' in trees)


def main():
    args = blackbox.arguments(options)
    tally = blackbox.Tally()
    if not os.path.exists(os.path.join(args.bin, "calcloop")):
        print(f"FAIL no native programs in {args.bin}: build them first (cmake --workflow --preset default)")
        sys.exit(1)
    driver = start_browser(args)
    try:
        driver.set_window_size(1000, 1100)
        driver.get("file://" + os.path.abspath(os.path.join(args.web, "index.html")))
        page = Page(driver)
        check_programs(tally, page, args)
        check_trees(tally, page, args)
        check_depth(tally, page, args)
        check_long_runs(tally, page, args)
        check_screenshot(tally, page, args.screenshot)
        check_phone_width(tally, driver)
        check_bits(tally, page, args)
        check_stack(tally, page, args)
        check_link(tally, page, args)
        check_display(tally, page, args)
        check_axe(tally, page, args)
        check_requests(tally, driver, args.web)
        check_served(tally, driver, args.web)
    finally:
        driver.quit()
    tally.finish()


if __name__ == "__main__":
    main()
