// Runs one job per file on all cores and prints each file's line in the order the files were
// given, as soon as it and all before it are done. On a terminal a progress line on standard
// error shows how many files are done.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vexamor::dxsign {

struct FileOutcome {
  int status = 0;    // the command's exit status for this file
  std::string line;  // printed to standard output
};

// Makes a job for one worker thread (each worker keeps its own COM objects); the job is then
// called for the files that thread takes. Every worker runs between CoInitializeEx and
// CoUninitialize.
using FileJob = std::function<FileOutcome(const std::string& path)>;
using FileJobMaker = std::function<FileJob()>;

// The outcomes in file order.
std::vector<FileOutcome> runFileJobs(const std::vector<std::string>& files,
                                     const FileJobMaker& makeJob);

}  // namespace vexamor::dxsign
