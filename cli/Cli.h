#pragma once
// The command-line front end as a library, so tests can run its commands in-process.

#include <iosfwd>

/// Runs quorvant-cli with its arguments; returns the exit status.
int RunCli(int argc, const char* const argv[], std::istream& in, std::ostream& out,
           std::ostream& err);
