#pragma once

// floatexplain's commands. Each takes the arguments after its name.

int sumCommand(int argc, char** argv);
int tenthsCommand(int argc, char** argv);
int distributiveCommand(int argc, char** argv);
int valueCommand(int argc, char** argv);
int opCommand(int argc, char** argv);

// The options, shared by the commands' parsers.
[[noreturn]] void usageError(const char* what, const char* argument);
// The value of an option that takes one (`--every 5` or `--every=5`), as an
// integer from low to high; `index` moves past it.
int numberOption(int argc, char** argv, int& index, const char* name, long low, long high);
// Whether argv[index] is the option `name`, alone or as `name=VALUE`.
bool isOption(const char* argument, const char* name);
