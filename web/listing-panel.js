// The listing view's place in the page: a section of its own, opened by the
// controls' button or by an address that holds "listing=", closed by the
// button again. Its listings are loaded when it opens, never at start.
import { readListing, withListing } from "./address.js";
import { showListings } from "./views-listing.js";

const element = (id) => document.getElementById(id);
let shown = null;  // while open, what it shows: { compare } or { sides }

// The listing the view opens on for the program picked, by its own choice.
const firstListing = {
  prodshow: ["fact", "plain"], prodquiet: ["fact", "plain"],
  "prodshow-opt": ["fact", "optimised"], "prodquiet-opt": ["fact", "optimised"], factexplain: ["fact", "optimised"],
  precision3: ["harmonic", "optimised"], precision2: ["harmonic", "optimised"], precisionx: ["harmonic", "optimised"],
  floatexplain: ["harmonic", "optimised"],
  calcloop: ["calcloop", "optimised"], calcminusrec: ["calcminusrec", "optimised"], calcrec: ["calcrec", "optimised"],
  calcexplain: ["calcloop", "optimised"],
};

// listingState: the view's state for the page's address, null when closed.
export const listingState = () => shown;

function writeAddress() {
  history.replaceState(history.state, "", "#" + withListing(location.hash, shown));
}

function open(view, focus) {
  shown = view;
  element("listings").hidden = false;
  element("show-listings").setAttribute("aria-expanded", "true");
  const options = { base: "listings/", headingLevel: 3, onChange: (now) => { shown = now; writeAddress(); } };
  if (view.sides) options.sides = view.sides.map((side) => ({ ...side }));
  else if (view.compare) options.compare = view.compare;
  else {
    const [program, build] = firstListing[element("program").value] || ["fact", "optimised"];
    options.sides = [{ program, build, target: "" }];
  }
  if (focus) element("listings-title").focus();
  return showListings(element("listings-view"), options);
}

function close() {
  shown = null;
  element("listings").hidden = true;
  element("show-listings").setAttribute("aria-expanded", "false");
  element("listings-view").replaceChildren();
}

// follow: what an address says: the view opened as it holds, or closed.
// A lesson's step follows its run's address so when it is revealed.
export function follow(hash) {
  const view = readListing(hash);
  if (!view) {
    if (shown) close();
  } else if (JSON.stringify(view) !== JSON.stringify(shown)) {
    open(view, false);
  }
}

// startListingPanel: the button wired, and the view as the address the
// page opened at says (read before the page writes its own state there).
export function startListingPanel(addressAtOpen) {
  element("show-listings").addEventListener("click", () => {
    if (shown) close();
    else open({ compare: "" }, true);
    writeAddress();
  });
  window.addEventListener("popstate", () => follow(location.hash));
  follow(addressAtOpen);
}
