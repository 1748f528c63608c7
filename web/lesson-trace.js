// A parse the student drives: at a few points of a grammar's own trace
// (calcexplain --json's events), what it does next: which rule it enters,
// or which character it matches. The points are where a rule has just
// returned or a character has just been matched, since there the grammar
// decides; never inside a plain descent, where the next rule is forced.

const moves = (event) => event && (event.event === "enter" || event.event === "match");
const decided = (event) => event && ["return", "match", "compute"].includes(event.event);

// move: an event the student may pick, in the words of a choice.
export function move(event) {
  return event.event === "enter" ? `enters ${event.rule}` : `matches '${event.char}'`;
}

// traceLine: any event, as the trace before a point shows it.
export function traceLine(event) {
  switch (event.event) {
    case "enter": return `${event.rule} starts at column ${event.column}`;
    case "match": return `matches '${event.char}' at column ${event.column}`;
    case "return": return event.value === undefined ? `${event.rule} returns` : `${event.rule} returns ${event.value}`;
    case "compute": return `computes ${event.left} ${event.op} ${event.right} = ${event.result}`;
    case "error": return `${event.rule} stops: ${event.message}`;
    default: return String(event.event);
  }
}

// tracePoints: up to count points spread over the trace, each with the
// last few events before it, the moves to pick from (every rule the trace
// enters and every character it matches, in the order they first come) and
// the move the program made there.
export function tracePoints(events, count, shown = 4) {
  if (!Array.isArray(events)) return [];
  const candidates = events.flatMap((event, at) => (at > 0 && moves(event) && decided(events[at - 1]) ? [at] : []));
  const taken = Math.min(count, candidates.length);
  const picked = [...new Set(Array.from({ length: taken },
                                        (_, k) => candidates[Math.floor(((k + 0.5) * candidates.length) / taken)]))];
  const choices = [...new Set(events.filter(moves).map(move))];
  return picked.map((at) => ({
    before: events.slice(Math.max(0, at - shown), at).map(traceLine),
    skipped: Math.max(0, at - shown),
    choices,
    answer: move(events[at]),
  }));
}
