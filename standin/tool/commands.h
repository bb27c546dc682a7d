#pragma once
// The standin tool: sets up and inspects a host folder for the suite's end-to-end runs. Kept
// apart from main() so tests run it in-process.

#include <iosfwd>
#include <string>
#include <vector>

namespace vel::standin {

// Runs one command; `args` are the arguments after the program name. Returns the exit code:
// 0 done, 1 failed (a folder that is no host, an unknown contact ...), 2 wrong use.
int runTool(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace vel::standin
