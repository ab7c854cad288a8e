#pragma once

// The commands of ravelin-cli that work on two channel lists: diff and reorder.

#include "cli/CliSupport.h"

// diff A B: one line per difference of A from B, then "N only in A, M only in B, K changed, J
// moved"; with --json one JSON document instead. EXIT_OK when the lists are the same, EXIT_PROBLEMS
// when they differ, EXIT_FAILED when a load failed, EXIT_USAGE for a wrong command line.
int RunDiff(const Args& args, CliContext& ctx);

// reorder INPUT REFERENCE OUTPUT: INPUT ordered like REFERENCE (with --names, --flags,
// --add-missing), written to OUTPUT; prints the summary lines of the order. EXIT_OK, EXIT_FAILED
// when a load or the save failed, EXIT_USAGE for a wrong command line.
int RunReorder(const Args& args, CliContext& ctx);
