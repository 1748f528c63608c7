#!/bin/sh
# Runs the gdb sessions of factorial/gdb on prodquiet (plain build) and
# prodquiet-opt (optimised build). Argument: the bin directory.
bin=${1:?usage: watch-fact.sh <bin directory>}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
gdb_dir=$source_dir/factorial/gdb

# The sessions stop at source lines, found here so that editing the
# sources does not break them.
line_of() {
    grep -n "$2" "$source_dir/factorial/$1" | head -n 1 | cut -d: -f1
}
multiply_line=$(line_of fact.cpp 'return wrapMul')
result_line=$(line_of prodquiet.cpp 'return 0')

# gdb's notes on each breakpoint it sets and on the thread library it
# loads are left out; all else is shown.
session() {
    gdb -nx -batch -ex "set \$multiplyLine = $multiply_line" -ex "set \$resultLine = $result_line" \
        -x "$gdb_dir/fact-returns.py" -x "$gdb_dir/$1" -ex run "$bin/$2" 2>&1 | sed -e '/^Breakpoint [0-9]* at /d' -e '/libthread_db/d'
}

echo "== prodquiet: fact recurses (-O0)"
session fact-plain.gdb prodquiet
echo
echo "== prodquiet-opt: the recursion is a loop (-O2)"
session fact-opt.gdb prodquiet-opt
