#pragma once

// The program's entry: builds the command for the word on the command line,
// checks its arguments and runs it; returns the process exit status.
int varkitMain(int argc, char** argv);
