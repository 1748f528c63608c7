// The build's check of the lessons shipped with the page: each file read as
// the page reads it (lesson-check.js), so that a lesson the page would
// refuse, one that types a number a program computes among them, fails the
// build and names its file and step.
//   node web/check-lessons.js LESSON.json...
import { readFileSync } from "node:fs";
import { readLesson } from "./lesson-check.js";

let failed = false;
for (const file of process.argv.slice(2)) {
  try {
    readLesson(readFileSync(file, "utf8"));
  } catch (error) {
    console.error(`${file}: ${error.message}`);
    failed = true;
  }
}
process.exit(failed ? 1 : 0);
