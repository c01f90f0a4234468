#pragma once

// A stand-in for the print program that reports how it was started. In the directory it
// runs in it writes "standin-args.txt": a line "program=<its own file name>", where the
// platform tells it a line "argv0=<its first argument>", and "arg=<argument>" for each
// further argument; then it creates "standin-done.txt". When "standin-sleep.txt" exists
// it first sleeps for a second. The native one (a shell script) also does a job's work:
// it copies the -open file to printed.txt and writes the -logfile ("Info: job of <command
// file>"), the -response file and reslist.txt as the command file asks, unless it holds
// "nolog", "noresponse" or "noreslist"; with "slow" in it, it sleeps a second first.

#include <filesystem>
#include <string>

namespace standin {

// Puts the stand-in into dir under the given file name.
void install(const std::filesystem::path& dir, const std::string& name);
bool reportsArgv0();
// A file that opens for writing but whose writes fail, or empty where there is none.
std::string failingWritePath();
// How many handles (file descriptors) this process holds open.
int openHandles();

} // namespace standin
