// Timing a running KepSil! from outside, as a user's other programs see it: capture latency, how
// long the clipboard is refused to others, start-up with many stored items, and an idle loop that
// serves as the yardstick for the program's idle cost.
#pragma once

// Runs one bench action (argv[1] is the action); 2 when the action is unknown or its arguments are
// wrong. Results are printed on stdout, one line per figure.
int RunBenchAction(int argc, char** argv);
