// The page's worker: runs one program at a time, away from the page, so that
// a long run never freezes it. The page builds this worker from text (a Blob)
// holding host.js, one program's module and this file; a worker loaded from a
// file:// address would be refused.
"use strict";

// Output goes back in chunks, not byte by byte, yet often enough that a
// short run's lines appear as they are written.
var flushBytes = 1 << 16;
var flushMilliseconds = 50;
// A run may print hundreds of megabytes, more than a page can show or keep:
// the page gets the first headBytes as they come, then only how much there
// is and, now and then, the last tailBytes. Standard output is kept whole
// for saving up to keepBytes; past that only the first and last part.
var headBytes = 1 << 20;
var tailBytes = 1 << 18;
var keepBytes = 128 << 20;
var tailMilliseconds = 1000;
var blobBytes = 8 << 20;  // kept parts become a Blob this often

// A run's output as the worker holds it.
function newOutput() {
  return {
    staged: [], stagedSize: 0, flushed: performance.now(),
    sent: 0,          // bytes sent as the head
    total: 0,         // bytes written, both streams
    tail: [], tailSize: 0, tailSent: performance.now(),
    kept: [], keptSize: 0, blob: new Blob([]), stdoutSize: 0, keepingAll: true,
  };
}

// write: one write of fd's bytes. A program may write a line at a time:
// the writes are only gathered here, and dealt with in chunks.
function write(out, fd, bytes) {
  out.staged.push({ fd: fd, bytes: bytes });
  out.stagedSize += bytes.length;
  if (out.stagedSize >= flushBytes || performance.now() - out.flushed >= flushMilliseconds)
    flush(out);
}

// flush: the writes gathered, a stream's consecutive ones joined, into the
// head sent ({fd, bytes}), the tail and what is kept; and now and then the
// tail and how much there is ({total, tail}).
function flush(out, last) {
  joined(out.staged).forEach(function (chunk) {
    out.total += chunk.bytes.length;
    var head = Math.max(0, Math.min(chunk.bytes.length, headBytes - out.sent));
    if (head > 0) {
      var bytes = chunk.bytes.slice(0, head);
      self.postMessage({ fd: chunk.fd, bytes: bytes }, [bytes.buffer]);
      out.sent += head;
    }
    if (head < chunk.bytes.length)
      remember(out, { fd: chunk.fd, bytes: chunk.bytes.subarray(head) });
    if (chunk.fd === 1)
      keep(out, chunk.bytes);
  });
  out.staged = [];
  out.stagedSize = 0;
  var now = performance.now();
  out.flushed = now;
  if (!last && out.total > out.sent && now - out.tailSent >= tailMilliseconds) {
    out.tailSent = now;
    self.postMessage({ total: out.total, tail: joined(out.tail) });
  }
}

// remember: the latest chunks past the head, at least tailBytes of them.
function remember(out, chunk) {
  out.tail.push(chunk);
  out.tailSize += chunk.bytes.length;
  while (out.tailSize - out.tail[0].bytes.length >= tailBytes) {
    out.tailSize -= out.tail[0].bytes.length;
    out.tail.shift();
  }
}

// keep: standard output for saving, as a Blob that grows in steps; past
// keepBytes it is given up, and the page saves the head and the tail.
function keep(out, bytes) {
  out.stdoutSize += bytes.length;
  if (!out.keepingAll)
    return;
  if (out.stdoutSize > keepBytes) {
    out.keepingAll = false;
    out.kept = [];
    out.blob = null;
    return;
  }
  out.kept.push(bytes);
  out.keptSize += bytes.length;
  if (out.keptSize >= blobBytes)
    fold(out);
}

function fold(out) {
  out.blob = new Blob([out.blob].concat(out.kept));
  out.kept = [];
  out.keptSize = 0;
}

// joined: [{fd, bytes}] with each stream's consecutive chunks as one.
function joined(chunks) {
  var runs = [];
  chunks.forEach(function (chunk) {
    var last = runs[runs.length - 1];
    if (last && last.fd === chunk.fd) last.parts.push(chunk.bytes);
    else runs.push({ fd: chunk.fd, parts: [chunk.bytes] });
  });
  return runs.map(function (run) { return { fd: run.fd, bytes: join(run.parts) }; });
}

function join(parts) {
  if (parts.length === 1)
    return parts[0];
  var length = parts.reduce(function (sum, part) { return sum + part.length; }, 0);
  var bytes = new Uint8Array(length);
  var at = 0;
  parts.forEach(function (part) { bytes.set(part, at); at += part.length; });
  return bytes;
}

// A message {name, args, stdin} runs the program once, a fresh instance as a
// new process would start; the answer is its output's head in chunks
// {fd, bytes}, now and then {total, tail}, then {status, milliseconds,
// total, tail, saved, whole, stdoutSize}: saved is a Blob of all standard
// output if whole, else null (the page saves the head and tail it has).
self.onmessage = function (event) {
  var run = event.data;
  var out = newOutput();
  var start = performance.now();
  var status = programHost.run(createProgram, {
    programName: run.name,
    arguments: run.args,
    stdin: run.stdin,
    stdout: function (bytes) { write(out, 1, bytes); },
    stderr: function (bytes) { write(out, 2, bytes); },
  });
  var milliseconds = performance.now() - start;
  flush(out, true);
  if (out.keepingAll)
    fold(out);
  self.postMessage({ status: status, milliseconds: milliseconds, total: out.total,
                     tail: joined(out.tail), saved: out.keepingAll ? out.blob : null,
                     whole: out.keepingAll, stdoutSize: out.stdoutSize });
};
