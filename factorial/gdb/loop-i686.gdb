# Where the -O2 loop of fact keeps its multiplier and its product on 32-bit
# x86 (see fact-opt/fact.s in the asm listings of the i686 build):
#   imul %eax, %edx
define fact-loop-registers
  set $multiplier = $eax
  set $product = $edx
end
