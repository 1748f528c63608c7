"""Running in the page, in headless Chromium: a run that prints hundreds of
megabytes leaves the page answering and Stop working, a long one ends with
its output cut in the box and whole in the file saved, a combination of
options that the tool refuses is not run, and the keyboard's focus stays on
a control when a run ends.

"The page answers" is measured as the time of a script's round trip from
the test to the page (execute_script), taken again and again while the
program runs, and as the longest task the page's main thread ran meanwhile
(the browser's own measure, which the load on the machine running the test
does not lengthen as much). The native programs give the expected bytes
and messages."""

import hashlib
import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from browser import blackbox, run_checks  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import Select  # noqa: E402

# Options that a tool refuses together, as a link, and the native run whose
# message the page must show instead of running it.
REFUSED = ("#run=calcexplain&line=1&steps&tree=dot", "calcexplain", ["--steps", "--dot", "1"])
# An option that takes no operand: with it ticked, the operand's field is
# left out (the page runs the option alone) and the tool's reason shown.
NO_OPERAND = ("#run=factexplain&n=4&code", "factexplain", ["--code", "4"], "n", "factexplain --code")


def options(parser):
    parser.add_argument("--web", required=True, help="the built page's folder")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--chromedriver", required=True)


def go(page, web, address):
    """Opens the page at an address without waiting for its run."""
    page.driver.get("about:blank")
    page.driver.get("file://" + os.path.abspath(os.path.join(web, "index.html")) + address)


def start_run(page, web, address):
    """Opens the page, then starts the address's run, with the page's long
    tasks recorded from then on."""
    go(page, web, "")
    page.driver.execute_script("""window.longestTask = 0; new PerformanceObserver((list) => {
        for (const task of list.getEntries()) longestTask = Math.max(longestTask, task.duration / 1000)
        }).observe({ type: 'longtask' }); location.hash = arguments[0]""", address)


def longest_task(page):
    return page.driver.execute_script("return longestTask")


def answers(page, until, limit=180):
    """Round trips to the page until until() holds: the slowest, in seconds."""
    slowest, deadline = 0.0, time.monotonic() + limit
    while not until() and time.monotonic() < deadline:
        start = time.monotonic()
        page.driver.execute_script("return document.getElementById('status').dataset.state")
        slowest = max(slowest, time.monotonic() - start)
        time.sleep(0.02)
    return slowest


def state(page):
    return page.element("status").get_attribute("data-state")


def check_stop(tally, page, args):
    """sum --every 1 prints 648 MB: the page answers while it runs, and Stop
    ends it within a second, no output arriving after."""
    start_run(page, args.web, "#run=floatexplain&command=sum&every=1")
    begun = time.monotonic()
    slowest = answers(page, lambda: time.monotonic() - begun > 6 or page.driver.execute_script(
        "return document.querySelectorAll('#output .stdout').length > 3"))
    slowest = max(slowest, answers(page, lambda: time.monotonic() - begun > 8))
    task = longest_task(page)
    print(f"every 1: round trips {slowest:.3f} s at worst, longest task {task:.3f} s")
    tally.check(f"every 1: running, the page answers in {slowest:.3f} s at worst, its longest task {task:.3f} s",
                state(page) == "running" and slowest < 2 and task < 0.2, f"state {state(page)}")
    page.element("stop").click()
    clicked = time.monotonic()
    answers(page, lambda: state(page) != "running", limit=5)
    stopped = time.monotonic() - clicked
    length = page.driver.execute_script("return document.getElementById('output').textContent.length")
    time.sleep(1)
    later = page.driver.execute_script("return document.getElementById('output').textContent.length")
    print(f"every 1: stopped {stopped:.3f} s after Stop")
    tally.check(f"every 1: stopped {stopped:.3f} s after Stop, nothing after",
                (page.element("status").text, length) == ("stopped", later) and stopped < 1,
                f"{page.element('status').text!r}, {length} then {later} characters")


def check_cut(tally, page, args):
    """sum --every 10 prints 65 MB: the page answers within 200 ms while it
    runs; the box holds the native output's beginning and end and says what
    it left out; the file saved is the native output, every byte."""
    want = blackbox.run(args.bin, "floatexplain", arguments=["sum", "--every", "10"], timeout=120).stdout
    start_run(page, args.web, "#run=floatexplain&command=sum&every=10")
    slowest = answers(page, lambda: state(page) == "done")
    task = longest_task(page)
    print(f"every 10: round trips {slowest:.3f} s at worst, longest task {task:.3f} s")
    tally.check(f"every 10: the page answers in {slowest:.3f} s at worst, its longest task {task:.3f} s",
                slowest < 2 and task < 0.2)
    head, cut, tail = page.driver.execute_script("""const output = document.getElementById('output');
        const cut = output.querySelector('.cut');
        const text = (spans) => spans.filter((s) => s.classList.contains('stdout')).map((s) => s.textContent).join('');
        const spans = [...output.querySelectorAll('span')];
        return cut ? [text(spans.slice(0, spans.indexOf(cut))), cut.textContent, text(spans.slice(spans.indexOf(cut)))]
                   : [text(spans), '', '']""")
    head, tail = head.encode(), tail.encode()
    tally.check(f"every 10: the box holds the beginning ({len(head)} bytes) and the end ({len(tail)} bytes)",
                0 < len(head) and 0 < len(tail) and len(head) + len(tail) < len(want) and want.startswith(head)
                and want.endswith(tail) and "left out" in cut, cut)
    note = page.element("cut-note").text
    tally.check("every 10: the note says the output is cut", "cut" in note or "too long" in note, note)
    page.driver.set_script_timeout(60)
    saved = page.driver.execute_async_script("""const done = arguments[arguments.length - 1];
        const blob = document.getElementById('save-output').savedBlob;
        blob.arrayBuffer().then((bytes) => crypto.subtle.digest('SHA-256', bytes)).then((hash) =>
          done([blob.size, [...new Uint8Array(hash)].map((b) => b.toString(16).padStart(2, '0')).join('')]))""")
    tally.check(f"every 10: the file saved is the native output ({len(want)} bytes)",
                saved == [len(want), hashlib.sha256(want).hexdigest()], f"saved {saved}")


def check_refused(tally, page, args):
    """A combination the tool refuses is not run: the page shows the tool's
    own reason; and a box that would make one cannot be ticked."""
    def reason(program, arguments):
        native = blackbox.run(args.bin, program, arguments=arguments)
        return native.status, native.stderr.decode().split("\n")[0].removeprefix(program + ": ")

    address, program, arguments = REFUSED
    status, why = reason(program, arguments)
    go(page, args.web, address)
    time.sleep(0.5)
    note = page.element("refused-note").text
    tally.check(f"{address}: not run, the reason shown", status == 2 and state(page) != "running"
                and page.element("output").text == "" and why in note, f"{why!r} in {note!r}")
    address, program, arguments, field, command = NO_OPERAND
    status, why = reason(program, arguments)
    go(page, args.web, address)
    page.wait()
    note = page.element("refused-note").text
    tally.check(f"{address}: the operand left out, the reason shown", status == 2 and why in note
                and not page.element(field).is_enabled() and page.command() == command,
                f"{why!r} in {note!r}; ran {page.command()!r}")
    go(page, args.web, "")
    page.pick("calcexplain")
    page.tick("calcexplain-options", ["--steps"])
    dot = page.driver.find_element("css selector", "input[name=tree][value='--dot']")
    dot.click()
    tally.check("--steps ticked: --dot cannot be chosen", not dot.is_selected() and not dot.is_enabled())


def check_focus(tally, page, args):
    """Run and Stop from the keyboard: when the run ends, or is stopped, the
    focus is on a control, not on the page's body."""
    focused = "const e = document.activeElement; return e === document.body ? 'body' : e.id || e.tagName"
    go(page, args.web, "")
    page.pick("prodshow")
    page.press("#run", Keys.ENTER)
    tally.check("a run ends: the focus is on a control", page.driver.execute_script(focused) in ("run", "stop"),
                page.driver.execute_script(focused))
    page.pick("floatexplain")
    Select(page.element("float-command")).select_by_value("sum")
    page.tick("float-fields", ["--extended"])  # seconds long: Enter comes first
    page.press("#run", Keys.ENTER, wait=False)
    moved = page.driver.execute_script(focused)
    page.driver.switch_to.active_element.send_keys(Keys.ENTER)
    answers(page, lambda: state(page) != "running", limit=5)
    tally.check("Run, then Enter: Stop has the focus and stops; then Run has it",
                (moved, page.element("status").text, page.driver.execute_script(focused)) == ("stop", "stopped", "run"),
                f"{moved}, {page.element('status').text!r}, {page.driver.execute_script(focused)}")


def main():
    run_checks(blackbox.arguments(options), (check_refused, check_focus, check_stop, check_cut))


if __name__ == "__main__":
    main()
