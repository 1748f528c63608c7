# Watch fact(4) recurse in prodquiet's plain (-O0) build:
#   gdb -batch -ex 'set $resultLine = N' -x fact-returns.py -x fact-plain.gdb -ex run prodquiet
# where N is the line of prodquiet.cpp that returns from main (the
# watch-fact target and scripts/watch-fact.sh find it for you).
set pagination off

# Every call of fact, on the way down: its n. At the deepest call, n == 0,
# the whole stack: one frame of fact for each call still waiting.
break fact
commands
  silent
  printf "fact(%d) called\n", n
  watch-return fact(n)
  if n == 0
    backtrace
  end
  continue
end

# Back in main: the value it keeps.
break prodquiet.cpp:$resultLine
commands
  silent
  printf "main keeps f = %d\n", f
  continue
end
