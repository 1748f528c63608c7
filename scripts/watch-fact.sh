#!/bin/sh
# Runs the gdb sessions of factorial/gdb on prodquiet (plain build) and
# prodquiet-opt (optimised build).
#   watch-fact.sh                           the programs found on PATH (x86-64)
#   watch-fact.sh <bin directory>           this machine's programs there
#   watch-fact.sh <bin directory> i686      an i686 build, under qemu-i386's
#                                           gdb stub, with gdb-multiarch
bin=${1:-$(dirname "$(command -v prodquiet)")}
target=${2:-native}
if [ ! -x "$bin/prodquiet" ]; then
    echo "usage: watch-fact.sh [<bin directory> [i686]] (prodquiet not found)" >&2
    exit 2
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
gdb_dir=$source_dir/factorial/gdb

# The sessions stop at source lines, found here so that editing the
# sources does not break them.
line_of() {
    grep -n "$2" "$source_dir/factorial/$1" | head -n 1 | cut -d: -f1
}
multiply_line=$(line_of fact.cpp 'return wrapMul')
result_line=$(line_of prodquiet.cpp 'return 0')

case $target in
    native) gdb=gdb; architecture=x86-64 ;;
    i686) gdb=gdb-multiarch; architecture=i686 ;;
    *) echo "watch-fact.sh: no session for '$target'" >&2; exit 2 ;;
esac

# gdb's notes on each breakpoint it sets, on the thread library it loads
# and on the program's exit ("[Inferior 1 (process N) exited normally]",
# whose process number changes from run to run) are left out; all else is
# shown. Frames name source files without their directory, and without the
# code addresses that differ from build to build. Natively gdb starts the program;
# under emulation qemu-user starts it, and waits for gdb on a port of its
# gdb stub.
session() {
    if [ "$target" = native ]; then
        echo run > "$scratch"
    else
        port=$((20000 + $$ % 20000))
        qemu-i386 -g "$port" "$bin/$2" &
        sleep 1
        printf 'target remote :%s\ncontinue\n' "$port" > "$scratch"
    fi
    $gdb -nx -batch -ex 'set filename-display basename' -ex 'set print address off' \
        -ex "set \$multiplyLine = $multiply_line" -ex "set \$resultLine = $result_line" \
        -x "$gdb_dir/fact-returns.py" -x "$gdb_dir/loop-$architecture.gdb" -x "$gdb_dir/$1" \
        -x "$scratch" "$bin/$2" 2>&1 |
        sed -e '/^Breakpoint [0-9]* at /d' -e '/^Breakpoint [0-9]*: file /d' \
            -e '/libthread_db/d' -e '/^\[Inferior 1 /d'
    wait
}

scratch=$(mktemp)
trap 'rm -f "$scratch"' EXIT
echo "== prodquiet: fact recurses (-O0)"
session fact-plain.gdb prodquiet
echo
echo "== prodquiet-opt: the recursion is a loop (-O2)"
session fact-opt.gdb prodquiet-opt
