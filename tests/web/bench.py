"""Seconds the page takes, beside Node and the native build: the page's start
(opening it to the first result, calcloop on its example line) and
floatexplain's default pass (`floatexplain sum`: ten million terms, the
default table) in the page, under Node and natively. Best and median of
several runs; nothing is asserted."""

import os
import shlex
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "precision", "bench"))
import browser  # noqa: E402
from floatexplain_passes import seconds  # noqa: E402  (a command's run, timed)

from selenium.webdriver.common.by import By  # noqa: E402


def report(label, runs):
    print(f"{label:58} {min(runs):6.3f} s (best), {statistics.median(runs):6.3f} (median of {len(runs)})")


def page_start(driver, url):
    """From opening the page to the first result, as the page measures it."""
    driver.get(url)
    driver.find_element(By.ID, "run").click()
    browser.Page(driver).wait()
    return float(driver.execute_script("return document.body.dataset.firstResult")) / 1000


def page_sum(page):
    """floatexplain sum in the page: from the click to the last line shown."""
    start = time.perf_counter()
    page.element("run").click()
    page.wait()
    elapsed = time.perf_counter() - start
    if page.shown().status != 0:
        raise SystemExit(f"floatexplain sum failed in the page: {page.shown()}")
    return elapsed


def main():
    def options(parser):
        parser.add_argument("--web", required=True, help="the built page's folder")
        parser.add_argument("--wasm-bin", required=True, help="the WebAssembly build's programs")
        parser.add_argument("--node", required=True, help="the command line that runs a program under Node")
        parser.add_argument("--chromium", required=True)
        parser.add_argument("--chromedriver", required=True)
        parser.add_argument("--runs", type=int, default=5)

    args = browser.blackbox.arguments(options)
    node = shlex.split(args.node)
    url = "file://" + os.path.abspath(os.path.join(args.web, "index.html"))
    runs = range(args.runs)

    report("native: floatexplain sum", [seconds([os.path.join(args.bin, "floatexplain"), "sum"]) for _ in runs])
    floatexplain = os.path.join(args.wasm_bin, "floatexplain.js")
    report("Node: floatexplain --version (the module's start)",
           [seconds([*node, floatexplain, "--version"]) for _ in runs])
    report("Node: floatexplain sum", [seconds([*node, floatexplain, "sum"]) for _ in runs])

    driver = browser.start_browser(args)
    try:
        report("page: opening it to the first result (calcloop 10-3-2)", [page_start(driver, url) for _ in runs])
        page = browser.Page(driver)
        page.pick("floatexplain")
        report("page: floatexplain sum, from the click to the last line", [page_sum(page) for _ in runs])
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
