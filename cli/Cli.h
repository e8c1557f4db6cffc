#pragma once

#include <ostream>

// The headless front end: runs "design" (the crossover Calc), "report" (the Calc, then what its
// filters achieve) or "estimate" (the Kaiser length estimate) on fields given as options and prints
// the result captions or the report, or with --json the whole outcome. Returns the exit status: 0 done, 1 the command showed a message (printed on err), 2 a
// usage error (printed on err with the usage summary).
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);
