// calcexplain's runs in WebAssembly (spawn_wasm.cpp): a fresh instance of
// calcexplain, made by web/host.js from the same factory, runs one copy of a
// grammar on the line, as a forked process does natively. Its standard
// output goes into this instance's output file, and its result and model,
// files of its own, are copied into this instance's files when it ends.
mergeInto(LibraryManager.library, {
    calcexplainSpawn__deps: ["$FS"],
    calcexplainSpawn: function (grammar, traced, input, output, result, model, events, ruleTree) {
        if (!Module["runCopy"])
            abort("calcexplain runs its grammars in copies of itself: run it through web/host.js");
        const inputStream = FS.getStream(input);
        const line = new Uint8Array(inputStream.node.usedBytes);
        FS.read(inputStream, line, 0, line.length, 0);
        const into = fd => bytes => FS.write(FS.getStream(fd), bytes, 0, bytes.length);
        const files = { result: result, model: model };
        let copy = null;
        const status = Module["runCopy"]({
            programName: thisProgram,
            stdin: new Uint8Array(0),
            stdout: into(output),
            stderr: into(2),
            entry: instance => {
                copy = instance;
                instance["FS"].writeFile("/tmp/input", line);
                instance["_calcexplainRunGrammar"](grammar, traced, model >= 0 ? 1 : 0, events, ruleTree);
                return 0;
            },
        });
        if (copy) {
            for (const name in files) {
                const path = "/tmp/" + name;
                if (files[name] >= 0 && copy["FS"].analyzePath(path).exists)
                    into(files[name])(copy["FS"].readFile(path));
            }
        }
        // A crash is reported as a shell reports a signal: 128 and its number.
        return status > 128 ? 128 - status : status;
    },
});
