# gdb command `watch-return LABEL`: when the function whose frame is selected
# returns, print "LABEL returns VALUE" and go on. gdb's Python API knows the
# value a function returns, at any optimisation level; the command language
# alone would need `finish`, which cannot be used inside a breakpoint's
# commands.
import gdb


class ReturnWatch(gdb.FinishBreakpoint):
    def __init__(self, label):
        super().__init__(gdb.selected_frame(), internal=True)
        self.label = label

    def stop(self):
        print(f"{self.label} returns {self.return_value}")
        return False  # print only, do not stop


class WatchReturn(gdb.Command):
    """watch-return LABEL: print LABEL and the return value when the selected frame returns.
    LABEL may name the frame's variables, in C syntax: fact(n) prints as fact(4)."""

    def __init__(self):
        super().__init__("watch-return", gdb.COMMAND_BREAKPOINTS)

    def invoke(self, argument, from_tty):
        # fact(n) -> "fact(" + value of n + ")"
        name, _, variable = argument.partition("(")
        variable = variable.rstrip(")")
        label = f"{name}({gdb.parse_and_eval(variable)})" if variable else name
        ReturnWatch(label)


WatchReturn()
