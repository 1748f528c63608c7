// The page's worker: runs one program at a time, away from the page, so that
// a long run never freezes it. The page builds this worker from text (a Blob)
// holding host.js, one program's module and this file; a worker loaded from a
// file:// address would be refused.
"use strict";

// Output goes back in chunks, not byte by byte, yet often enough that a long
// run's lines appear as they are written.
var flushBytes = 1 << 16;
var flushMilliseconds = 50;

// collect(fd): a callback that gathers a stream's bytes for the page.
function collect(fd, pending) {
  return function (bytes) {
    pending.push({ fd: fd, bytes: Uint8Array.from(bytes) });
    pending.size += bytes.length;
    if (pending.size >= flushBytes || performance.now() - pending.sent >= flushMilliseconds)
      flush(pending);
  };
}

// flush: sends what was gathered, a stream's consecutive chunks joined.
function flush(pending) {
  var chunks = [];
  pending.forEach(function (chunk) {
    var last = chunks[chunks.length - 1];
    if (last && last.fd === chunk.fd) last.parts.push(chunk.bytes);
    else chunks.push({ fd: chunk.fd, parts: [chunk.bytes] });
  });
  chunks.forEach(function (chunk) {
    var bytes = join(chunk.parts);
    self.postMessage({ fd: chunk.fd, bytes: bytes }, [bytes.buffer]);
  });
  pending.length = 0;
  pending.size = 0;
  pending.sent = performance.now();
}

function join(parts) {
  var length = parts.reduce(function (sum, part) { return sum + part.length; }, 0);
  var bytes = new Uint8Array(length);
  var at = 0;
  parts.forEach(function (part) { bytes.set(part, at); at += part.length; });
  return bytes;
}

// A message {name, args, stdin} runs the program once, a fresh instance as a
// new process would start; the answer is its output in chunks {fd, bytes},
// then {status, milliseconds}.
self.onmessage = function (event) {
  var run = event.data;
  var pending = [];
  pending.size = 0;
  pending.sent = performance.now();
  var start = performance.now();
  var status = programHost.run(createProgram, {
    programName: run.name,
    arguments: run.args,
    stdin: run.stdin,
    stdout: collect(1, pending),
    stderr: collect(2, pending),
  });
  flush(pending);
  self.postMessage({ status: status, milliseconds: performance.now() - start });
};
