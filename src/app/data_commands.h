#pragma once

struct CommandLine;

// Answers --copy-catalogue FROM TO, and --list-backups, --restore NAME and
// --export FILE over the data folder, on the terminal and before any window:
// the listing and reports on standard output, failures on standard error. Needs an application
// object (for the data folder), not a display. Returns the exit status.
int runDataCommand(const CommandLine& commandLine);
