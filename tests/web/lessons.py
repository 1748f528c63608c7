"""The lessons in a real browser: each shipped lesson walked to its end by
the keyboard alone, every revealed answer against what the native programs
print for the same input (read here, not from the lesson files), a lesson
with its answer written in refused, a link to a step, the worksheet printed
to PDF, and axe-core on a step."""

import base64
import json
import math
import os
import re
import shlex
import subprocess
import tempfile
import urllib.parse

import browser
from browser import blackbox, Keys, wait_for

CALCULATORS = browser.CALCULATORS


class Native:
    """What the native programs say, read from their output or their --json."""

    def __init__(self, bin_dir):
        self.bin = bin_dir
        self.documents = {}

    def value(self, program, line):
        out = blackbox.run(self.bin, program, line.encode() + b"\n").stdout.decode()
        found = re.fullmatch(r"The result is: (-?\d+)\n", out)
        return found[1] if found else "none"

    def json(self, program, *arguments):
        # Each run once: several steps ask of the same ten-million-term sum.
        if (program, arguments) not in self.documents:
            self.documents[program, arguments] = json.loads(
                blackbox.run(self.bin, program, b"", arguments=["--json", *arguments]).stdout)
        return self.documents[program, arguments]

    def exact(self, x, *options):
        return self.json("floatexplain", "value", x, *options)["values"][0]

    def fact(self, n, build=0):
        return self.json("factexplain", str(n))["builds"][build]

    def page_json(self, program, *arguments):
        """What the page's own WebAssembly build says, where it differs from
        the native one (its stack is the engine's)."""
        command = [*shlex.split(ARGS.emulator), os.path.join(ARGS.wasm_bin, program + ".js"), "--json", *arguments]
        return json.loads(subprocess.run(command, capture_output=True, check=True).stdout)


yes = lambda ok: "yes" if ok else "no"  # noqa: E731


def moves(events, count):
    """A driven parse's points, modelled here: among the rules entered and
    characters matched just after a return, a match or a computation, count
    of them spread evenly (the middle of each of count equal parts)."""
    at = [i for i, e in enumerate(events) if i and e["event"] in ("enter", "match")
          and events[i - 1]["event"] in ("return", "match", "compute")]
    taken = min(count, len(at))
    picked = sorted({at[(2 * k + 1) * len(at) // (2 * taken)] for k in range(taken)})
    return ",".join(f"enters {events[i]['rule']}" if events[i]["event"] == "enter" else f"matches '{events[i]['char']}'"
                    for i in picked)

# Each shipped step's answer, as the test reads it from the native programs:
# a number, "yes" or "no", or a comma-joined list (each grammar's value, or
# the grammars chosen).
ANSWERS = {
    "grammars": [
        lambda n: n.value("calcloop", "10-3-2"),
        lambda n: n.value("calcminusrec", "10-3-2"),
        lambda n: moves(n.json("calcexplain", "7-2-1")["lines"][0]["grammars"][1]["events"], 3),
        lambda n: ",".join(g for g in CALCULATORS if n.value(g, "8-4-2") == "2"),
        lambda n: ",".join(n.value(g, "2*3-4*5") for g in CALCULATORS),
        lambda n: yes(len({n.value(g, "2*3+4") for g in CALCULATORS}) == 1),
        lambda n: str(n.json("calcexplain", "10-3-2")["lines"][0]["grammars"][2]["column"]),
    ],
    "rounding": [
        lambda n: yes(n.exact("0.1")["exact"] == "0.1"),
        lambda n: n.exact("16777217")["exact"],
        lambda n: yes(n.json("floatexplain", "tenths")["sum"]["exact"] == "1"),
        lambda n: yes(n.json("floatexplain", "op", "0.1", "+", "0.2")["result"]["bits"] == n.exact("0.3")["bits"]),
        lambda n: yes(n.json("floatexplain", "sum", "--summary")["absorbed"] == 0),
        lambda n: yes(n.json("floatexplain", "sum", "--summary")["sum"] == n.json(
            "floatexplain", "sum", "--decreasing", "--summary")["sum"]),
    ],
    "recursion": [
        lambda n: str(n.fact(4)["result"]),
        lambda n: str(n.fact(4)["frames"]),
        lambda n: ",".join(sorted(str(e["n"]) for e in n.fact(4, 1)["events"] if e["event"] == "return")),
        lambda n: yes(n.fact(4, 1)["result"] == n.fact(4)["result"]),
        lambda n: yes(n.fact(13)["result"] == math.factorial(13)),
        lambda n: str(n.fact(34)["result"]),
    ],
    "distributive": [
        *(lambda n, at=at: yes(n.json("floatexplain", "distributive")["steps"][at]["rounding"]["direction"] == "exact")
          for at in range(5)),
        # precision3's own two lines, as it prints their bits.
        lambda n: yes(len(set(re.findall(r"Line\d: .*? = ([0-9a-f]+)\(hex\)", blackbox.run(
            n.bin, "precision3", b"").stdout.decode()))) == 1),
    ],
    "extended": [
        lambda n: yes(n.exact("0.1", "--extended")["extended"]["stored"]["bits"] == n.exact("0.1")["bits"]),
        lambda n: yes(n.json("floatexplain", "tenths", "--extended")["sum"]["exact"] == "1"),
        lambda n: yes(n.json("floatexplain", "tenths", "--extended")["sum"] == n.json("floatexplain", "tenths")["sum"]),
        lambda n: ",".join(str(a["n"]) for a in n.json("floatexplain", "tenths", "--extended")["additions"] if a["onCourse"]),
        lambda n: yes(n.json("floatexplain", "sum", "--extended", "--summary")["sum"] == n.json(
            "floatexplain", "sum", "--summary")["sum"]),
        lambda n: str(n.json("floatexplain", "sum", "--extended", "--summary")["unlikeStrict"]),
    ],
    "special": [
        lambda n: yes(n.exact("1e39")["exact"] == "inf"),
        lambda n: yes(n.json("floatexplain", "op", "inf", "-", "inf")["result"]["exact"] == "nan"),
        lambda n: yes("overflow" in n.json("floatexplain", "op", "1", "/", "0")["flags"]),
        lambda n: yes(n.exact("1e-40")["class"] == "normal"),
        lambda n: n.exact("7e-46")["exact"],
        lambda n: yes(n.exact("-1e-50")["bits"] == n.exact("-0")["bits"]),
    ],
    "formats": [
        lambda n: str(n.exact("1", "--format", "half")["format"]["significandBits"]),
        lambda n: yes(n.exact("65520", "--format", "half")["exact"] == "inf"),
        lambda n: yes(n.exact("65520", "--format", "bfloat16")["exact"] == "inf"),
        lambda n: n.exact("257", "--format", "bfloat16")["exact"],
        *(lambda n, f=f: yes(n.json("floatexplain", "op", "0.1", "+", "0.2", "--format", f)["result"]["bits"]
                             == n.exact("0.3", "--format", f)["bits"]) for f in ("double", "half")),
    ],
    "wrap": [
        lambda n: n.value("calcloop", "2147483647+1"),
        lambda n: ",".join(n.value(g, "65536*65536") for g in CALCULATORS),
        lambda n: n.value("calcrec", "4294967297"),
        lambda n: yes(len({n.value(g, "2147483647+2147483647+2") for g in CALCULATORS}) == 1),
        # Whether a grammar's expr, below command, calls expr.
        *(lambda n, g=g: yes("expr" in [rule["rule"] for rule in n.json("calcexplain", "1+2+3+4")["lines"][0][
            "grammars"][g]["rules"]["children"][0]["children"]]) for g in (0, 2)),
        lambda n: yes(n.page_json("calcexplain", "(" * 2000 + "1" + ")" * 2000)["lines"][0]["grammars"][0][
            "verdict"] == "value"),
    ],
    # Counted from each build's listing, where the formatter marks each row.
    "machine": [
        lambda n: str(sum(row.get("note") == "calls itself" for row in n.fact(4)["listing"])),
        lambda n: str(next(row["line"] for row in n.fact(4)["listing"] if row.get("note") == "calls itself")),
        lambda n: str(sum(row.get("note") == "calls itself" for row in n.fact(4, 1)["listing"])),
        lambda n: ",".join(b["build"] for b in n.json("factexplain", "4")["builds"]
                           if any(row.get("note", "").startswith("back to") for row in b["listing"])),
        lambda n: str(n.fact(4, 1)["calls"]),
    ],
}
WRONG_STEP = 1  # the step of each lesson predicted wrong; the others right


def lesson_file(args, name):
    with open(os.path.join(args.lessons, f"{name}.json"), encoding="utf-8") as f:
        return json.load(f)


ARGS = None  # the command line, for what the page's own build says


def options(parser):
    parser.add_argument("--web", required=True, help="the built page's folder")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--chromedriver", required=True)
    parser.add_argument("--axe", required=True, help="axe-core's script, axe.min.js")
    parser.add_argument("--lessons", required=True, help="the shipped lessons' folder, web/lessons")
    parser.add_argument("--wasm-bin", required=True, help="the page's programs, as WebAssembly")
    parser.add_argument("--emulator", required=True, help="the command that runs them (Node and web/run-node.js)")


def open_at(page, web, address, wait=True):
    # Each check starts with no work kept from the one before.
    if page.driver.current_url.startswith("file:"):
        page.driver.execute_script("localStorage.clear()")
    page.driver.get("about:blank")
    page.driver.get("file://" + os.path.abspath(os.path.join(web, "index.html")) + address)
    if wait:
        wait_for(page.driver, "return document.querySelector('#prediction input')")


def focused_on_prediction(page):
    """A step opened puts the keyboard in its prediction's first field."""
    wait_for(page.driver, "return document.activeElement === document.querySelector('#prediction input')")


def wrong(answer, kind, choices):
    """A prediction that differs from the answer."""
    if kind == "yesno":
        return yes(answer == "no")
    if kind == "trace":
        first, *rest = answer.split(",")
        return ",".join([next(c for c in choices if c != first), *rest])
    if kind == "choice":
        return "" if answer else choices[0]
    values = answer.split(",")
    values[0] = "0" if values[0] == "none" else str(int(values[0]) + 1)
    return ",".join(values)


def predict(driver, kind, prediction, choices):
    """Types the prediction from the first field on, then Tab to Reveal, Enter."""
    keys = driver.switch_to.active_element.send_keys
    if kind == "yesno":
        keys(Keys.SPACE if prediction == "yes" else Keys.ARROW_RIGHT)
    elif kind == "trace":
        # Each point's moves are one group of radio buttons: Space takes the
        # first, an arrow the next, Tab goes on to the next point.
        groups = driver.execute_script(TRACE_CHOICES)
        for at, pick in enumerate(prediction.split(",")):
            if at:
                driver.switch_to.active_element.send_keys(Keys.TAB)
            driver.switch_to.active_element.send_keys(Keys.SPACE)
            for _ in range(groups[at].index(pick)):
                driver.switch_to.active_element.send_keys(Keys.ARROW_RIGHT)
    elif kind == "choice":
        ticked = set(prediction.split(",")) if prediction else {""}
        for at, choice in enumerate(choices + [""]):
            if choice in ticked:
                driver.switch_to.active_element.send_keys(Keys.SPACE)
            if at < len(choices):
                driver.switch_to.active_element.send_keys(Keys.TAB)
    else:
        for at, value in enumerate(prediction.split(",")):
            if at:
                driver.switch_to.active_element.send_keys(Keys.TAB)
            driver.switch_to.active_element.send_keys(value)
    driver.switch_to.active_element.send_keys(Keys.TAB)
    if driver.execute_script("return document.activeElement.id") != "reveal":
        raise AssertionError("Tab after the prediction does not reach Reveal; the fields hold " + driver.execute_script(
            "return [...document.querySelectorAll('#prediction input')].map((field) => field.value).join(';')"))
    driver.switch_to.active_element.send_keys(Keys.ENTER)


TRACE_CHOICES = """return [...document.querySelectorAll('#prediction .trace-point')].map((point) =>
    [...point.querySelectorAll('input')].map((box) => box.value))"""


def check_walks(tally, page, args):
    native = Native(args.bin)
    state = """const verdict = document.getElementById('verdict');
        return [verdict.dataset.matched, verdict.dataset.answer, document.getElementById('why').textContent]"""
    for name, answers in ANSWERS.items():
        steps = lesson_file(args, name)["steps"]
        tally.check(f"{name}: {len(steps)} steps, each with its answer read here", len(steps) == len(answers))
        open_at(page, args.web, f"#lesson={name}")
        focused_on_prediction(page)
        for at, (step, answer_of) in enumerate(zip(steps, answers)):
            want = answer_of(native)
            choices = page.driver.execute_script(
                "return [...document.querySelectorAll('#prediction input')].map((box) => box.value).filter(Boolean)")
            prediction = wrong(want, step["ask"], choices) if at == WRONG_STEP else want
            unseen = page.driver.execute_script("return !document.getElementById('result').offsetParent")
            predict(page.driver, step["ask"], prediction, choices)
            wait_for(page.driver, "return document.getElementById('verdict').dataset.answer !== undefined")
            matched, shown, why = page.driver.execute_script(state)
            tally.check(f"{name} step {at + 1}: {prediction!r} against {want!r}, the verdict says so",
                        (shown, matched) == (want, str(at != WRONG_STEP).lower()) and "{" not in why and why and unseen,
                        f"answer {shown!r}, matched {matched}, why {why!r}, the run unseen before: {unseen}")
            page.wait()
            if at + 1 < len(steps):
                page.driver.switch_to.active_element.send_keys(Keys.ENTER)  # Next
                wait_for(page.driver, f"""return document.getElementById('lesson-where').textContent === 'Step {at + 2} of {len(steps)}'
                    && document.activeElement.matches('#prediction input')""")


def check_schema(tally, page, args):
    """The shipped lessons hold to docs/schemas/lesson.schema.json, which
    refuses an answer written in, as the page does."""
    try:
        import jsonschema
    except ImportError:
        blackbox.not_run("the lessons against their schema", "python3-jsonschema not found")
        return
    with open(os.path.join(args.lessons, "..", "..", "docs", "schemas", "lesson.schema.json"), encoding="utf-8") as f:
        schema = jsonschema.Draft202012Validator(json.load(f))
    for name in ANSWERS:
        lesson = lesson_file(args, name)
        errors = [error.message for error in schema.iter_errors(lesson)]
        lesson["steps"][0]["answer"] = 0
        tally.check(f"{name}: valid, and not with an answer written in", not errors
                    and not schema.is_valid(lesson), errors)


def check_refused(tally, page, args):
    """A lesson with an answer written into it is not opened, and says why."""
    open_at(page, args.web, "#lesson=recursion")
    lesson = {"title": "Typed", "steps": [{"question": "fact(4)?", "run": "run=factexplain&n=4", "ask": "number",
                                           "path": "builds.0.result", "why": "-", "answer": 24}]}
    page.press("#lesson-own", Keys.ENTER, wait=False)
    page.element("lesson-text").clear()  # the template a teacher starts from
    page.element("lesson-text").send_keys(json.dumps(lesson))
    page.press("#lesson-open", Keys.ENTER, wait=False)
    error = page.element("lesson-error").text
    tally.check("a lesson with its answer in it is refused", "refused" in error and "answer" in error
                and page.element("lesson-title").text != "Typed", error)
    # Without its answer, the same lesson opens from a file, its link the lesson itself.
    del lesson["steps"][0]["answer"]
    with tempfile.NamedTemporaryFile("w", suffix=".json") as file:
        json.dump(lesson, file)
        file.flush()
        page.element("lesson-file").send_keys(file.name)
        wait_for(page.driver, "return document.getElementById('lesson-title').textContent === 'Typed'")
    state = page.driver.execute_script("return [...new URLSearchParams(location.hash.slice(1).replace(/\\+/g, '%2B'))]")
    tally.check("a lesson from a file opens, its address holds it", len(state) == 2 and
                json.loads(state[0][1]) == lesson and state[1] == ["step", "1"], state)
    # A path that names nothing in its step's document refuses the lesson as it opens.
    bad = {"title": "Bad path", "steps": [lesson["steps"][0], {**lesson["steps"][0], "path": "builds.0.nowhere.n"}]}
    page.press("#lesson-own", Keys.ENTER, wait=False)  # the panel closed as the lesson opened
    page.element("lesson-text").clear()
    page.element("lesson-text").send_keys(json.dumps(bad))
    page.press("#lesson-open", Keys.ENTER, wait=False)
    wait_for(page.driver, "return !document.getElementById('lesson-error').textContent.startsWith('Checking')")
    error = page.element("lesson-error").text
    tally.check("a lesson whose step 2 path names nothing is refused as it opens", error.startswith("Step 2:")
                and "builds.0.nowhere.n" in error and page.element("lesson-title").text == "Typed", error)
    open_at(page, args.web, "#lesson=nosuch", False)
    error = page.element("lesson-error").text
    tally.check("#lesson=nosuch says there is no such lesson", '"nosuch"' in error and
                not page.driver.execute_script("return document.body.classList.contains('lesson-open')"), error)


def check_question(tally, page, args):
    """A run made into a question: its link, and the native values predicted."""
    page.open(args.web, "#run=calcexplain&line=7-2-1")
    page.press("#make-question", Keys.ENTER, wait=False)
    wait_for(page.driver, "return document.querySelector('#prediction input')")
    focused_on_prediction(page)
    want = ",".join(Native(args.bin).value(g, "7-2-1") for g in CALCULATORS)
    predict(page.driver, "number", want, [])
    wait_for(page.driver, "return document.getElementById('verdict').dataset.answer !== undefined")
    tally.check("a question made of calcexplain 7-2-1, its link, each grammar's value", (
        page.driver.execute_script("return location.hash"), page.element("verdict").get_attribute("data-matched"),
        "7-2-1" in page.element("question").text) == ("#ask=calcexplain&line=7-2-1", "true", True))
    # A grammar that rejects the line is said to, its partial parse no grouping.
    grammars = Native(args.bin).json("calcexplain", "7-2-1")["lines"][0]["grammars"]
    why = " ".join(f"{g['grammar']} gives {g['value']}, grouping it as {g['grouping']}." if g["verdict"] == "value"
                   else f"{g['grammar']} rejects it: {g['message']}." for g in grammars)
    tally.check("7-2-1's why: a grouping only where a grammar gives a value", page.element("why").text == why and
                any(g["verdict"] != "value" for g in grammars), f"{page.element('why').text!r} against {why!r}")


def check_link(tally, page, args):
    """A link opens a lesson at its third step, the question of that step."""
    open_at(page, args.web, "#lesson=recursion&step=3")
    question = lesson_file(args, "recursion")["steps"][2]["question"]
    tally.check("#lesson=recursion&step=3 opens at step 3", (page.element("lesson-where").text,
                page.element("question").text) == ("Step 3 of 6", question))
    # A run's link followed in the same tab leaves the lesson: its run is shown.
    page.driver.execute_script("location.hash = '#run=factexplain&n=5'")
    page.wait()
    tally.check("a run's link after the lesson runs and shows that run", page.driver.execute_script(
        "return [location.hash, !!document.getElementById('result').offsetParent]") == ["#run=factexplain&n=5", True])
    # A '+' written in a link is a plus, as in a lesson file.
    page.open(args.web, "#run=calcloop&line=2+3")
    want = blackbox.run(args.bin, "calcloop", b"2+3\n").stdout.decode()
    tally.check("#run=calcloop&line=2+3 runs 2+3", page.element("output").text == want.rstrip("\n"),
                page.element("output").text)


BOXES = """return [...document.querySelectorAll('#prediction label')].map((l) =>
    [l.textContent.trim(), l.querySelector('input').value, l.querySelector('input').checked])"""


def check_kept(tally, page, args):
    """Recursion step 3: a box for each n called, 0 among them, and "none of
    them" apart; the prediction and its verdict kept across Back and Next
    and a reload, and the progress counted."""
    open_at(page, args.web, "#lesson=recursion&step=3")
    calls = [str(e["n"]) for e in Native(args.bin).fact(4, 1)["events"] if e["event"] == "call"]
    boxes = page.driver.execute_script(BOXES)
    tally.check("recursion step 3: a box per call's n, then none of them", boxes ==
                [[n, n, False] for n in calls] + [["none of them", "", False]], boxes)
    page.driver.execute_script("document.querySelector('#prediction input[value=\"0\"]').click()")
    page.element("reveal").click()
    wait_for(page.driver, "return document.getElementById('verdict').dataset.answer !== undefined")
    verdict = page.element("verdict").text
    tally.check("ticking n = 0 predicts 0", "you predicted 0;" in verdict or "matched" in verdict, verdict)
    page.wait()
    kept = lambda: page.driver.execute_script(  # noqa: E731
        "return [document.getElementById('verdict').textContent, document.getElementById('lesson-progress').textContent]")
    page.element("step-back").click()
    page.element("step-next").click()
    wait_for(page.driver, "return document.getElementById('verdict').textContent !== ''")
    after_back = kept()
    page.wait()
    page.driver.refresh()
    wait_for(page.driver, "return document.getElementById('verdict').textContent !== ''")
    after_reload = kept()
    boxes = page.driver.execute_script(BOXES)
    tally.check("the prediction and its verdict kept across Back, Next and a reload",
                after_back == after_reload == [verdict, "Answered 1 of 6, 0 right." if "predicted 0" in verdict
                                               else "Answered 1 of 6, 1 right."]
                and [b[2] for b in boxes] == [n == "0" for n in calls] + [False], f"{after_back} {after_reload} {boxes}")
    page.wait()


def check_large(tally, page, args):
    """A step whose document is well past the megabyte of output a run sends
    as it goes: its answer lies at the document's end."""
    numbers = [str(i) for i in range(1, 1000)] + ["16777217"]
    step = {"question": "What is the last number stored as?", "ask": "number", "why": "-",
            "run": "run=floatexplain&command=value&X=" + "%20".join(numbers), "path": f"values.{len(numbers) - 1}.exact"}
    document = blackbox.run(args.bin, "floatexplain", b"", arguments=["--json", "value", *numbers]).stdout
    want = json.loads(document)["values"][-1]["exact"]
    # Written as the page writes a link: a blank as %20, since a "+" is a plus.
    open_at(page, args.web, "#" + urllib.parse.urlencode({"lessontext": json.dumps({"title": "Large", "steps": [step]})},
                                                         quote_via=urllib.parse.quote))
    focused_on_prediction(page)
    predict(page.driver, "number", want, [])
    wait_for(page.driver, "return document.getElementById('verdict').dataset.answer !== undefined")
    verdict = page.element("verdict")
    tally.check(f"a step whose document is {len(document)} bytes is answered: {want}", len(document) > 1 << 20 and
                (verdict.get_attribute("data-answer"), verdict.get_attribute("data-matched")) == (want, "true"),
                verdict.text)
    page.wait()


def check_print(tally, page, args):
    """Printed to PDF (A4 and Letter): every question, and on the last page,
    every answer; none of the controls."""
    open_at(page, args.web, "#lesson=grammars")
    wait_for(page.driver, "return document.getElementById('worksheet').dataset.ready === 'true'")
    questions = page.driver.execute_script("return [...document.querySelectorAll('#worksheet .questions li > p:first-child')]"
                                           ".map((p) => p.textContent)")
    steps = lesson_file(args, "grammars")["steps"]
    native = Native(args.bin)
    # As the page words them: a list comma-separated, each value after its grammar.
    answers = [", ".join(f"{g} {v}" for g, v in zip(CALCULATORS, answer(native).split(",")))
               if "each" in step else "; ".join(f"at point {k + 1} it {m}" for k, m in enumerate(answer(native).split(",")))
               if step["ask"] == "trace" else answer(native).replace(",", ", ")
               for step, answer in zip(steps, ANSWERS["grammars"])]
    flat = lambda text: " ".join(text.split())  # noqa: E731
    for paper, width, height in (("A4", 8.27, 11.69), ("Letter", 8.5, 11)):
        pdf = page.driver.execute_cdp_cmd("Page.printToPDF", {"paperWidth": width, "paperHeight": height})
        with tempfile.NamedTemporaryFile(suffix=".pdf") as file:
            file.write(base64.b64decode(pdf["data"]))
            file.flush()
            pages = subprocess.run(["pdftotext", "-layout", file.name, "-"], capture_output=True, text=True,
                                   check=True).stdout.rstrip("\f").split("\f")
        before, last = flat(" ".join(pages[:-1])), flat(pages[-1])
        offered = ["Circle any: " + " / ".join([*CALCULATORS, "none of them"]) if step["ask"] == "choice"
                   else "Circle one: yes / no" for step in steps if step["ask"] in ("choice", "yesno")]
        offered += [f"Point {k + 1}, after:" for step in steps if step["ask"] == "trace" for k in range(step["points"])]
        tally.check(f"{paper}: a name and date line, each choice and yes / no with its question",
                    "Name:" in before and "Date:" in before and all(flat(o) in before for o in offered),
                    f"{offered} in {before!r}")
        tally.check(f"{paper}: {len(pages)} pages, every question before the last, no controls",
                    len(pages) >= 2 and all(flat(q) in before for q in questions) and "Reveal" not in before + last,
                    f"{pages}")
        missing = [a for q, a in zip(questions, answers) if f"{flat(q)} {a}" not in last]
        tally.check(f"{paper}: every answer on the last page", len(questions) == len(answers) and not missing,
                    f"missing {missing} in {last!r}")


def check_course(tally, page, args):
    """All steps at once, the own-lesson panel's template, and a lesson
    gathered from runs: edited, linked, saved as a file, kept."""
    open_at(page, args.web, "#lesson=grammars")
    want = ANSWERS["grammars"][0](Native(args.bin))
    predict(page.driver, "number", want, [])
    wait_for(page.driver, "return document.getElementById('verdict').dataset.answer !== undefined")
    page.wait()
    page.element("lesson-all").click()
    items = page.driver.execute_script("return [...document.querySelectorAll('#lesson-all-steps li')].map((li) => li.textContent)")
    steps = lesson_file(args, "grammars")["steps"]
    tally.check("all steps: each question, step 1 right with its prediction, the others not yet answered",
                len(items) == len(steps) and f"(right; you predicted {want})" in items[0]
                and all(item.endswith("(not answered yet)") and step["question"] in item
                        for item, step in zip(items[1:], steps[1:])), items)
    page.driver.execute_script("document.querySelectorAll('#lesson-all-steps button')[3].click()")
    tally.check("all steps: a step's button goes to it", page.element("lesson-where").text == f"Step 4 of {len(steps)}")
    # The template in the own-lesson panel opens as it stands.
    page.element("lesson-own").click()
    page.element("lesson-open").click()
    wait_for(page.driver, "return document.getElementById('lesson-title').textContent === 'My lesson' || "
                          "document.getElementById('lesson-error').textContent.startsWith('Step')")
    tally.check("the own-lesson panel's template opens", page.element("lesson-error").text == "",
                page.element("lesson-error").text)
    # Two runs gathered, the first question's words changed.
    for address in ("#run=calcexplain&line=7-2-1", "#run=factexplain&n=5"):
        page.open(args.web, address)
        page.element("add-question").click()
    field = page.driver.execute_script("return document.querySelector('#my-lesson-steps input')")
    field.clear()
    field.send_keys("How does each grammar read 7-2-1?", Keys.TAB)
    link, file = (page.element(f"my-lesson-{which}").get_attribute("href") for which in ("link", "file"))
    file_text = urllib.parse.unquote(file.removeprefix("data:application/json;charset=utf-8,"))
    held = json.loads(urllib.parse.parse_qs(urllib.parse.urlsplit(link).fragment.replace("+", "%2B"))["lessontext"][0])
    tally.check("my lesson: two questions, the first as edited, the same in its link and its file",
                [s["question"] for s in held["steps"]] == ["How does each grammar read 7-2-1?", "What does fact(5) return?"]
                and json.loads(file_text) == held, f"{held} {file_text}")
    page.driver.refresh()
    page.element("my-lesson-open").click()
    wait_for(page.driver, "return document.getElementById('lesson-title').textContent === 'My lesson'")
    tally.check("my lesson kept across a reload, and opened", page.element("question").text ==
                "How does each grammar read 7-2-1?", page.element("question").text)


def check_axe(tally, page, args):
    """A revealed step of a driven parse, with every step listed and a
    gathered lesson shown: no WCAG 2.1 A or AA violation."""
    open_at(page, args.web, "#lesson=grammars&step=3", wait=False)
    wait_for(page.driver, "return document.querySelector('#prediction .trace-point input')")
    page.driver.execute_script("""document.querySelectorAll('#prediction .trace-point').forEach((point) =>
        point.querySelector('input').click())""")
    page.element("reveal").click()
    wait_for(page.driver, "return document.getElementById('verdict').dataset.answer !== undefined")
    page.wait()
    page.element("lesson-all").click()
    page.element("add-question").click()
    browser.check_axe_here(tally, page, args, "a lesson step")


def main():
    global ARGS
    ARGS = blackbox.arguments(options)
    browser.run_checks(ARGS, (check_schema, check_walks, check_refused, check_link, check_kept,
                                                      check_question, check_large, check_print, check_course,
                                                      check_axe))


if __name__ == "__main__":
    main()
