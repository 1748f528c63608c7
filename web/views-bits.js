// floatexplain's value document drawn: the first value's bits as toggles,
// each under its place value, the hidden leading bit, the exponent biased
// and true, and the stored value between its neighbours on a number line
// with the reals that round to it. The format's width is the document's.
import { viewElement, makeElement } from "./view-tools.js";

// A bit flipped keeps the focus through the run and the redraw that follow,
// for one who flips bits from the keyboard.
let bitFocused = null;

// placeText: a bit's place value as the document gives it.
function placeText(place) {
  if (place.field === "sign") return "\u00b1";
  if (place.weight !== undefined) return place.weight;
  return place.power === undefined ? "" : `2^${place.power}`;
}

function placeElement(place) {
  if (place.power === undefined || place.weight !== undefined)
    return makeElement("span", { className: "place", textContent: placeText(place) });
  return makeElement("span", { className: "place" }, "2", makeElement("sup", { textContent: String(place.power) }));
}

function bitGroups(value, onBits) {
  const width = value.format.bits;
  const pattern = BigInt("0x" + value.bits);
  const bitOf = (bit) => Number((pattern >> BigInt(bit)) & 1n);
  const fields = [["sign", "sign"], ["exponent", "exponent"], ["fraction", "significand"]];
  return fields.map(([field, name]) => {
    const places = value.places.filter((place) => place.field === field).sort((a, b) => b.bit - a.bit);
    const row = makeElement("span", { className: "bit-row" });
    if (field === "fraction") {
      // The leading bit that is not stored: 1 for a normal number, 0 below,
      // none for infinity and NaN (the document gives null).
      const hidden = known(value.hiddenBit);
      const power = known(value.hiddenPower) ? value.hiddenPower : value.exponent;
      row.append(makeElement("span", { className: "bit hidden-bit", attrs: { title: "the hidden bit, not stored" } },
        known(power) ? makeElement("span", { className: "place" }, "2", makeElement("sup", { textContent: String(power) }))
                     : makeElement("span", { className: "place", textContent: "" }),
        makeElement("span", { className: "hidden-value", textContent: hidden ? `${value.hiddenBit}.` : "\u2013",
                              attrs: { "aria-label": hidden ? `hidden bit ${value.hiddenBit}` : `no hidden bit: ${classWords(value)}` } })));
    }
    for (const place of places) {
      const set = bitOf(place.bit);
      const toggle = makeElement("button", { type: "button", textContent: String(set), title: `bit ${place.bit}: flip it`,
        dataset: { bit: place.bit }, attrs: { "aria-pressed": String(Boolean(set)),
        "aria-label": `${set}, bit ${place.bit}, place ${placeText(place)}` } });
      toggle.addEventListener("click", () => {
        bitFocused = place.bit;
        const flipped = pattern ^ (1n << BigInt(place.bit));
        onBits("0x" + flipped.toString(16).padStart(width / 4, "0"));
      });
      row.append(makeElement("span", { className: "bit" }, placeElement(place), toggle));
    }
    return makeElement("div", { className: `bit-group ${field}`, attrs: { role: "group", "aria-label": name } },
      makeElement("span", { className: "bit-caption", textContent: name, attrs: { "aria-hidden": "true" } }), row);
  });
}

// known: a field the document gives; null where the value has none.
const known = (field) => field !== null && field !== undefined;

// classWords: the document's class as a sentence says it.
function classWords(value) {
  return { nan: "not a number", infinity: value.sign ? "minus infinity" : "infinity" }[value.class] || value.class;
}

function fieldList(value) {
  const format = value.format;
  const entries = [
    ["format", `${format.name}: ${format.bits} bits, ${format.exponentBits} of exponent, ` +
               `${format.significandBits} of significand (one hidden)`],
    ["class", value.class],
    ["sign", `${value.sign}: ${value.sign ? "negative" : "positive"}`],
    ["exponent", `field ${value.exponentField}, bias ${format.bias}` +
                 (known(value.exponent) ? `: true exponent ${value.exponent}` : `: no exponent, ${classWords(value)}`)],
    ["hidden bit", known(value.hiddenBit) ? String(value.hiddenBit) : `none: ${classWords(value)}`],
    ["stored value", value.exact],
  ];
  return entries.flatMap(([term, text]) => [makeElement("dt", { textContent: term }),
                                            makeElement("dd", { textContent: text })]);
}

// numberLine: the stored value and its neighbours at their places, the
// interval of reals that round to it shaded, each end filled if it rounds
// to it. The places are for the eye only: the exact values are in words.
function numberLine(value) {
  const { below, above, interval } = value;
  if (value.class === "nan") return [null, "No number line: not a number has no place among the reals."];
  if (!below || !above || !interval)
    return [null, "No number line: the value has no neighbour on one side."];
  const low = parseFloat(below.exact);
  const span = parseFloat(above.exact) - low;
  if (!(span > 0)) return [null, ""];
  const at = (text) => `${5 + 90 * (parseFloat(text) - low) / span}%`;
  // Placed through the style object: the page's policy refuses style attributes.
  const mark = (className, left, text, width) => {
    const made = makeElement("span", { className, textContent: text || "" });
    made.style.left = left;
    if (width) made.style.width = width;
    return made;
  };
  const line = makeElement("div", { className: "line", attrs: { role: "img", "aria-label":
    `${value.exact} between its neighbours ${below.exact} and ${above.exact}; ` +
    `the reals from ${interval.low} to ${interval.high} round to it` } },
    makeElement("span", { className: "axis" }),
    mark("interval", at(interval.low), "", `calc(${at(interval.high)} - ${at(interval.low)})`),
    mark(interval.lowIncluded ? "end included" : "end excluded", at(interval.low)),
    mark(interval.highIncluded ? "end included" : "end excluded", at(interval.high)),
    mark("tick", at(below.exact)), mark("tick stored", at(value.exact)), mark("tick", at(above.exact)),
    mark("label below", at(below.exact), "below"), mark("label stored", at(value.exact), "stored"),
    mark("label below", at(above.exact), "above"));
  const caption = `below ${below.exact} (${below.bits}); stored ${value.exact} (${value.bits}); ` +
    `above ${above.exact} (${above.bits}). Rounds to it: from ${interval.low} ` +
    `(${interval.lowIncluded ? "included" : "excluded"}) to ${interval.high} ` +
    `(${interval.highIncluded ? "included" : "excluded"}).`;
  return [line, caption];
}

// drawBits: the first value of floatexplain's value document, or nothing.
export function drawBits(json, onBits) {
  const view = viewElement("bits");
  const value = json && json.values && json.values[0];
  view.hidden = !value;
  if (!value) return;
  viewElement("bits-of").textContent = value.input;
  viewElement("bit-toggles").replaceChildren(...bitGroups(value, onBits));
  viewElement("bits-fields").replaceChildren(...fieldList(value));
  const [line, caption] = numberLine(value);
  viewElement("number-line").hidden = !line;
  viewElement("number-line-picture").replaceChildren(...(line ? [line] : []));
  viewElement("number-line-caption").textContent = caption;
  if (bitFocused !== null) {
    const toggle = view.querySelector(`[data-bit="${bitFocused}"]`);
    if (toggle) toggle.focus();
  }
  bitFocused = null;
}
