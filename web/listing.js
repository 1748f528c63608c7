// The listing view's logic, without the DOM: which instructions each
// source line made, the colour each line shares with its instructions,
// what to mark when a line or an instruction is pointed at, and the facts
// the build counted (self-calls, branches back, instructions per line).
// A listing is the data of docs/schemas/listing.schema.json; the index is
// the page's list of targets and listings (cmake/PageListings.cmake).

// As many colours as the style sheet has (listing.css: .listing-group-N).
export const PALETTE_SIZE = 8;

// A row: [kind, text], or [kind, text, file, line(, note)].
export function rowKind(row) {
  return row[0];
}

export function rowText(row) {
  return row[1];
}

export function rowNote(row) {
  return row.length > 4 ? row[4] : "";
}

// The source line a row stands for, as a key ("file:line"), or "".
export function rowLine(row) {
  return row.length > 3 && row[2] !== null && row[3] !== null ? lineKey(row[2], row[3]) : "";
}

export function lineKey(file, line) {
  return `${file}:${line}`;
}

// The key of a line of a file named as the listing shows it ("fact.cpp"),
// for a view that knows the line from elsewhere (a trace's line), or "".
export function lineKeyOf(listing, fileName, line) {
  const file = listing.files.findIndex((f) => f.file === fileName);
  return file < 0 ? "" : lineKey(file, line);
}

// Each source line's rows: its headings and its instructions, in order.
export function rowsByLine(listing) {
  const lines = new Map();
  listing.rows.forEach((row, index) => {
    const key = rowLine(row);
    if (!key) return;
    if (!lines.has(key)) lines.set(key, []);
    lines.get(key).push(index);
  });
  return lines;
}

// Each source line's instructions alone.
export function instructionsByLine(listing) {
  const lines = new Map();
  for (const [key, rows] of rowsByLine(listing)) {
    const instructions = rows.filter((index) => rowKind(listing.rows[index]) === "instruction");
    if (instructions.length) lines.set(key, instructions);
  }
  return lines;
}

// The colour of each source line that made instructions: the lines in the
// order their instructions first come, the colours taken in turn.
export function colourGroups(listing, size = PALETTE_SIZE) {
  const groups = new Map();
  for (const key of instructionsByLine(listing).keys()) groups.set(key, groups.size % size);
  return groups;
}

// The source side: each file the listing names, each line with its key and
// the number of instructions the build counted for it.
export function sourceFiles(listing) {
  const counts = new Map(listing.perLine.map(([file, line, count]) => [lineKey(file, line), count]));
  return listing.files.map((entry, file) => ({
    name: entry.file,
    whole: entry.whole,
    lines: entry.lines.map(([number, text]) => {
      const key = lineKey(file, number);
      return { number, text, key, instructions: counts.get(key) || 0 };
    }),
  }));
}

// What to mark on both sides when a source line (its key) or a row (its
// index) is pointed at: the line and all the rows it stands for.
export function marksFor(listing, target) {
  const key = typeof target === "number" ? rowLine(listing.rows[target] || []) : target;
  const rows = (key && rowsByLine(listing).get(key)) || [];
  if (!rows.length && typeof target === "number") return { line: "", rows: new Set([target]) };
  return { line: rows.length ? key : "", rows: new Set(rows) };
}

// The facts each function's rows were counted for, by kind of mark: its
// calls of itself and its branches back (where a loop turns back).
function marked(listing, kind) {
  const found = [];
  for (const f of listing.functions)
    for (const row of f[kind]) found.push({ row, function: f.name, note: rowNote(listing.rows[row]) });
  return found;
}

export function selfCalls(listing) {
  return marked(listing, "selfCalls");
}

export function backBranches(listing) {
  return marked(listing, "backBranches");
}

// The counted facts as the page shows them beside the listing: one
// sentence per function, and the source line that made most instructions.
export function countedFacts(listing) {
  const plural = (n, one, more = one + "s") => `${n} ${n === 1 ? one : more}`;
  const facts = listing.functions.map((f) => {
    const parts = [plural(f.instructions, "instruction")];
    parts.push(f.selfCalls.length ? plural(f.selfCalls.length, "call") + " of itself" : "no call of itself");
    parts.push(f.backBranches.length ? plural(f.backBranches.length, "branch", "branches") + " back"
                                     : "no branch back");
    return `${f.name}: ${parts.join(", ")}`;
  });
  let busiest = null;
  for (const [file, line, count] of listing.perLine)
    if (!busiest || count > busiest.count) busiest = { file: listing.files[file].file, line, count };
  if (busiest) facts.push(`most instructions from one line: ${busiest.count}, from ${busiest.file}:${busiest.line}`);
  return facts;
}

// Where the page finds a listing's script, and the name it sets.
export function listingKey(target, name) {
  return `${target}/${name}`;
}

export function listingScript(base, target, name) {
  return `${base}${target}/${name}.js`;
}

// The programs of the index, each with its builds (fact has two), in order.
export function programs(index) {
  const found = new Map();
  for (const listing of index.listings) {
    if (!found.has(listing.program)) found.set(listing.program, { program: listing.program, builds: [] });
    found.get(listing.program).builds.push({ build: listing.build, name: listing.name, title: listing.title });
  }
  return [...found.values()];
}

// The listing of a program in a build, or of its only build.
export function listingName(index, program, build) {
  const listings = index.listings.filter((l) => l.program === program);
  const exact = listings.find((l) => l.build === build);
  return (exact || listings[0] || {}).name || "";
}

export function targetTitle(index, target) {
  const found = index.targets.find((t) => t.name === target);
  return found ? found.title : target;
}

// The first line of a file whose text holds a fragment, as a key: where a
// comparison starts pointing ("" if none).
export function findLine(listing, fileName, fragment) {
  for (const file of sourceFiles(listing)) {
    if (file.name !== fileName) continue;
    const line = file.lines.find((l) => l.text.includes(fragment) && l.instructions > 0);
    if (line) return line.key;
  }
  return "";
}

// The comparisons the page offers, two listings side by side.
export const COMPARISONS = [
  {
    id: "fact-builds",
    title: "fact: the plain build against the optimised one",
    sides: [{ program: "fact", build: "plain", target: "x86_64" }, { program: "fact", build: "optimised", target: "x86_64" }],
  },
  {
    id: "fact-targets",
    title: "fact's plain build: x86-64 against sparc64",
    sides: [{ program: "fact", build: "plain", target: "x86_64" }, { program: "fact", build: "plain", target: "sparc64" }],
  },
  {
    id: "precision-units",
    title: "precision2 against precisionx on i686: SSE against the x87 unit",
    sides: [
      { program: "harmonic", build: "optimised", target: "i686", point: ["arithmetic.h", "return sum + one /"] },
      { program: "harmonic", build: "optimised", target: "i686", point: ["extended.h", "extendedAdd"] },
    ],
  },
  {
    id: "calculators",
    title: "calcloop's loops against calcminusrec's self-calls",
    sides: [{ program: "calcloop", build: "optimised", target: "x86_64" },
            { program: "calcminusrec", build: "optimised", target: "x86_64" }],
  },
];

// The comparisons whose targets this page has.
export function availableComparisons(index) {
  const targets = new Set(index.targets.map((t) => t.name));
  return COMPARISONS.filter((c) => c.sides.every((side) => targets.has(side.target)));
}

// The target shown first: the one that runs here if the page has it.
export function defaultTarget(index) {
  const names = index.targets.map((t) => t.name);
  return names.includes("wasm32") ? "wasm32" : names[0] || "";
}
