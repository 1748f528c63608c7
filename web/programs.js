// The programs the page runs, and what each takes: a line on standard input
// (a calculator), a line and options (calcexplain), a command and options
// (floatexplain), a number (factexplain), or nothing (the reports).
export const programs = {
  calcloop: { takes: "stdin", about: "Every operator rule is a loop, so all operators group to the left: 10-3-2 is (10-3)-2." },
  calcminusrec: { takes: "stdin", about: "Subtraction calls itself for its right operand, so it groups to the right: 10-3-2 is 10-(3-2)." },
  calcrec: { takes: "stdin", about: "Sums and products call themselves for their right operand, and there is no subtraction at all." },
  calcexplain: { takes: "calcexplain", companion: true, about: "How calcloop, calcminusrec and calcrec read the line: as each grammar groups it, its value, or where the grammar rejects it and why." },
  precision3: { takes: "nothing", picture: true, about: "Harmonic sums in both orders, ten tenths against 1, and the distributive law, all in single precision." },
  precision2: { takes: "nothing", picture: true, about: "The harmonic sums and the tenths, in single precision." },
  precisionx: { takes: "nothing", picture: true, about: "The same sums, each step evaluated with a 64-bit significand and stored in single precision." },
  floatexplain: { takes: "floatexplain", companion: true, picture: true, about: "Every rounding that precision3, precision2 and precisionx make, step by step and exactly. The default sum adds ten million terms: it takes a moment." },
  prodshow: { takes: "nothing", about: "The factorial of 4, by a recursive function, printed." },
  "prodshow-opt": { takes: "nothing", about: "The same source optimised: the compiler has turned the recursion into a loop, and the line is the same." },
  prodquiet: { takes: "nothing", about: "The factorial of 4, computed and not printed: it is there for a debugger, so it writes nothing." },
  "prodquiet-opt": { takes: "nothing", about: "prodquiet optimised, for the debugger: one frame for the whole loop. It writes nothing." },
  factexplain: { takes: "n", companion: true, about: "fact(N) in the plain build and the optimised one: each call and return, and the product each return makes." },
};

export const hasProgram = (name) => Object.hasOwn(programs, name);
