// The teacher's own lesson, gathered from runs: each "Add this run to my
// lesson" makes a question of the run shown (as "Make a question of this
// run" does) and adds it here, where its words can be changed. The draft is
// kept in the browser and given back as a lesson file, a link and a lesson
// opened in the page.
import { questionFrom } from "./lesson-check.js";
import { writeLesson } from "./address.js";

const draftKey = "my-lesson";
const element = (id) => document.getElementById(id);

function readDraft() {
  try {
    const draft = JSON.parse(localStorage.getItem(draftKey) || "null");
    if (draft && typeof draft.title === "string" && Array.isArray(draft.steps)) return draft;
  } catch {
    // A draft that cannot be read is started afresh.
  }
  return { title: "My lesson", steps: [] };
}

// keepDraft: the draft kept, and shown again; an edit of its words only
// renews the file and the link, leaving the field being typed in alone.
function keepDraft(draft, redraw = true) {
  try {
    localStorage.setItem(draftKey, JSON.stringify(draft));
  } catch {
    // Storage refused: the draft lives as long as the page.
  }
  if (redraw) showDraft(draft);
  else showLinks(draft);
}

// lessonText: the draft as a lesson file's text.
export function lessonText(draft) {
  return JSON.stringify({ title: draft.title.trim() || "My lesson", steps: draft.steps }, null, 2) + "\n";
}

function showDraft(draft) {
  const panel = element("my-lesson");
  panel.hidden = !draft.steps.length;
  element("my-lesson-name").value = draft.title;
  element("my-lesson-steps").replaceChildren(...draft.steps.map((step, at) => {
    const item = document.createElement("li");
    const words = Object.assign(document.createElement("input"), { type: "text", value: step.question });
    words.setAttribute("aria-label", `Question ${at + 1}`);
    words.addEventListener("change", () => {
      const now = readDraft();
      if (now.steps[at] && words.value.trim()) now.steps[at].question = words.value.trim();
      keepDraft(now, false);
    });
    const remove = Object.assign(document.createElement("button"), { type: "button", className: "quiet",
                                                                      textContent: "Remove" });
    remove.setAttribute("aria-label", `Remove question ${at + 1}`);
    remove.addEventListener("click", () => {
      const now = readDraft();
      now.steps.splice(at, 1);
      keepDraft(now);
    });
    item.append(words, " ", remove);
    return item;
  }));
  showLinks(draft);
}

function showLinks(draft) {
  // The file is the link's own data, which a page opened from the disk may
  // hand to the browser to save.
  element("my-lesson-file").href = draft.steps.length
    ? "data:application/json;charset=utf-8," + encodeURIComponent(lessonText(draft)) : "#";
  element("my-lesson-link").href = draft.steps.length
    ? "#" + writeLesson({ name: "", doc: JSON.parse(lessonText(draft)), step: 0 }) : "#";
}

// startDraft: the panel's controls. controlsAddress() gives the run shown;
// open(text) opens a lesson's text as "Your own lesson" does; say(text)
// reports a run that no question can be made of.
export function startDraft({ controlsAddress, open, say }) {
  element("add-question").addEventListener("click", () => {
    const step = questionFrom(new URLSearchParams(controlsAddress()));
    if (!step) return say(false);
    say(true);
    const draft = readDraft();
    draft.steps.push(step);
    keepDraft(draft);
    element("my-lesson-steps").lastElementChild.querySelector("input").focus();
  });
  element("my-lesson-name").addEventListener("change", (event) => {
    const draft = readDraft();
    draft.title = event.target.value;
    keepDraft(draft, false);
  });
  element("my-lesson-open").addEventListener("click", () => open(lessonText(readDraft())));
  element("my-lesson-clear").addEventListener("click", () => {
    try {
      localStorage.removeItem(draftKey);
    } catch {
      // Nothing was kept.
    }
    showDraft(readDraft());
  });
  showDraft(readDraft());
}
