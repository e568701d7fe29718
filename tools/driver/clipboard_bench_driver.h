// Benchmarks of what capture costs other programs: how long the program holds the clipboard per
// screenshot against a bare reader of the same formats, and how long its window takes to answer
// while a program renders a format slowly.
#pragma once

// Runs one of these actions (argv[1]); 2 when it is none of them or its arguments are wrong.
int RunClipboardBenchAction(int argc, char** argv);
