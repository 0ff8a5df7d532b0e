// Follows folders with inotify and reports the files in them that were written, created,
// renamed into place or replaced (as a signing replaces a file), so that their badges can be
// brought up to date. Folders made or moved in later are followed as well.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vexamor::dxsign {

class FolderWatch {
 public:
  FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  ~FolderWatch();

  // Follows `folder` and every folder below it. False (and *error) when inotify refuses.
  bool addTree(const std::string& folder, std::string* error);
  // Follows only the named file of its folder.
  bool addFile(const std::string& file, std::string* error);

  // Blocks until something changed, then gathers changes until the folders have been quiet
  // for a moment and returns the files (regular files that still exist), sorted. Returns
  // false when SIGINT or SIGTERM arrived; those two signals must be blocked in every thread
  // (see blockStopSignals) so that they reach this call.
  bool next(std::vector<std::string>* changed);

  // Blocks SIGINT and SIGTERM in the calling thread and in the threads it starts later.
  static void blockStopSignals();

 private:
  struct Watched {
    std::string folder;
    bool tree;
    std::set<std::string> names;  // the files followed; empty for every file
  };
  bool addFolder(const std::string& folder, bool tree, const std::string& name,
                 std::string* error);
  // Reads the waiting events; new folders are followed and their files reported.
  void drain(std::set<std::string>* changed);

  int inotify_ = -1;
  int signals_ = -1;
  std::map<int, Watched> watched_;
};

}  // namespace vexamor::dxsign
