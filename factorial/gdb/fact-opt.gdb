# Watch fact(4) in prodquiet-opt, where -O2 has turned the recursion into a
# loop:
#   gdb -batch -ex 'set $multiplyLine = N' -ex 'set $resultLine = M' \
#       -x fact-returns.py -x loop-x86-64.gdb -x fact-opt.gdb -ex run prodquiet-opt
# where N is the line of fact.cpp that multiplies and M the line of
# prodquiet.cpp that returns from main (scripts/watch-fact.sh finds them).
set pagination off

# fact is called once, however deep the recursion would have gone.
break fact
commands
  silent
  printf "fact(%d) called\n", n
  watch-return fact(n)
  continue
end

# Each turn of the loop stops at the multiply. The loop's multiplier and the
# product so far have no name in the debug information, only registers:
# fact-loop-registers, from loop-<architecture>.gdb, says which. n is at
# best the argument of the one call, 4; clang's debug information drops it.
break fact.cpp:$multiplyLine
commands
  silent
  fact-loop-registers
  printf "turn: multiplier = %d, product = %d, n = ", $multiplier, $product
  output n
  echo \n
  if $multiplier == 1
    backtrace
  end
  continue
end

# main does not keep f: nothing reads it, so -O2 keeps no value for it.
break prodquiet.cpp:$resultLine
commands
  silent
  printf "main keeps f = "
  output f
  echo \n
  continue
end
