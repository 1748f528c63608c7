// Runs a program of the suite in a Web Worker, away from the page: the one
// way the page, its pictures and the lessons run a tool. A worker is made
// from text (a blob: address) holding host.js, the program's module and
// worker.js, since a page opened from a file:// address may load scripts
// but may neither fetch a file nor start a worker from one.
import runnerTexts from "page-data/runner.js";

const loading = {};    // each program's text, a promise, while it loads
const addresses = {};  // each program's blob: address, a promise
const idle = {};       // a worker per program ready for its next run, a promise

// programText: the program's module as text, from the script the build
// wraps it in (programs/NAME.js sets webTexts[NAME]), loaded once.
function programText(name) {
  const texts = () => self.webTexts || {};
  if (texts()[name]) return Promise.resolve(texts()[name]);
  loading[name] = loading[name] || new Promise((resolve, reject) => {
    const script = document.createElement("script");
    script.src = `programs/${name}.js`;
    script.onload = () => (texts()[name] ? resolve(texts()[name]) : reject(new Error(`programs/${name}.js holds no program`)));
    script.onerror = () => {
      script.remove();
      reject(new Error(`cannot load programs/${name}.js`));
    };
    document.head.append(script);
  }).finally(() => { delete loading[name]; });
  return loading[name];
}

function workerAddress(name) {
  addresses[name] = addresses[name] || programText(name).then((text) => URL.createObjectURL(
    new Blob([runnerTexts.host, "\n", text, "\n", runnerTexts.worker], { type: "text/javascript" })));
  addresses[name].catch(() => { delete addresses[name]; });  // a failed load is tried again
  return addresses[name];
}

async function newWorker(name) {
  return new Worker(await workerAddress(name));
}

// prepare: a worker made for the program now (while the student types),
// so that its next run starts at once.
export function prepare(name) {
  if (!idle[name]) {
    idle[name] = newWorker(name);
    idle[name].catch(() => { delete idle[name]; });
  }
}

// startRun: runs name with args and stdin (bytes). onOutput(message) gets
// the worker's messages as the run goes (see worker.js): chunks {fd, bytes}
// of the output's head, then now and then {total, tail}. Returns {finished,
// stop}: finished, a promise of the last message {status, milliseconds,
// total, tail, saved, whole, stdoutSize}, or of null once stop() ended the
// run; it rejects if the worker fails. A worker that failed or was stopped
// is ended, never run again; one that finished waits for the next run.
export function startRun(name, args, { stdin = new Uint8Array(0), onOutput = () => {} } = {}) {
  let worker = null;
  let ended = false;
  let settle;
  const finished = new Promise((resolve, reject) => { settle = { resolve, reject }; });
  const end = (reusable) => {
    ended = true;
    if (!worker) return;
    if (reusable && !idle[name]) idle[name] = Promise.resolve(worker);
    else worker.terminate();
  };
  const start = async () => {
    const ready = idle[name];
    delete idle[name];
    const made = await (ready ? ready.catch(() => newWorker(name)) : newWorker(name));
    worker = made;
    if (ended) return made.terminate();  // stopped while the program loaded
    made.onmessage = ({ data }) => {
      if (ended) return;
      if (data.status === undefined) return onOutput(data);
      end(true);
      settle.resolve(data);
    };
    made.onerror = (error) => {
      error.preventDefault();
      if (ended) return;
      end(false);
      settle.reject(new Error(`${name} could not run: ${error.message}`));
    };
    made.postMessage({ name, args, stdin });
  };
  start().catch((error) => {
    if (ended) return;
    end(false);
    settle.reject(error);
  });
  return {
    finished,
    stop() {
      if (ended) return;
      end(false);
      settle.resolve(null);
    },
  };
}

// runWhole: a run's whole standard output as text, at any size the worker
// keeps: past the head the page is sent, it is read from the Blob the
// worker saved. Returns {finished: a promise of {status, stdout} (null once
// stopped), stop}.
export function runWhole(name, args, stdin) {
  const run = startRun(name, args, { stdin });
  const finished = run.finished.then(async (last) => {
    if (!last) return null;
    if (!last.whole || !(last.saved instanceof Blob))
      throw new Error(`${name} printed ${last.stdoutSize} bytes, too many to keep`);
    return { status: last.status, stdout: await last.saved.text() };
  });
  return { finished, stop: run.stop };
}
