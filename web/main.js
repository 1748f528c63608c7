// The page's entry: the bundle (page.bundle.js, made by esbuild at build
// time) starts here. Each part is imported and started in the order the
// page needs: the address a link opened is read before the page writes its
// controls' state into it (the listing view keeps its part of it), and the
// lessons hear Back and Forward first.
import { startViews } from "./views.js";
import { listenLessons, startLessons, lessonAddress } from "./lessons.js";
import { startPage } from "./page.js";
import { startListingPanel } from "./listing-panel.js";

const addressAtOpen = location.hash;
startViews();
startListingPanel(addressAtOpen);
listenLessons();
startPage(lessonAddress);
startLessons(addressAtOpen);
