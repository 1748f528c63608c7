# Where the -O2 loop of fact keeps its multiplier and its product on x86-64,
# with g++ and clang alike (see fact-opt/fact.s in the asm listings):
#   imul %edi, %eax
define fact-loop-registers
  set $multiplier = $edi
  set $product = $eax
end
