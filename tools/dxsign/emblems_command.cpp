// dxsign emblems: asks the overlay handler about each file, exactly as a shell does, and
// keeps the file's metadata::emblems in step with the answer so that file managers draw the
// signed badge.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/utf.h"
#include "signicon/dxsign_icon.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/commands.h"
#include "tools/dxsign/emblem_store.h"
#include "tools/dxsign/folder_watch.h"
#include "tools/dxsign/parallel.h"
#include "tools/dxsign/printable.h"

namespace vexamor::dxsign {
namespace {

namespace fs = std::filesystem;
using com::ComPtr;

struct Options {
  std::vector<std::string> paths;
  bool watch = false;
};

struct Tally {
  size_t files = 0, badged = 0, added = 0, removed = 0, failed = 0;
};

// The files named, with the folders walked. Symbolic links are never followed: a link named
// or met on the walk is passed over, so that nothing outside the folders given is checked or
// badged, and a loop cannot hold the walk. Unreadable paths are reported and counted as
// failures.
std::vector<std::string> collectFiles(const std::vector<std::string>& paths, Tally* tally) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !fs::exists(status)) {
      std::cerr << "dxsign: " << printable(path) << ": No such file or directory\n";
      ++tally->failed;
      continue;
    }
    if (fs::is_symlink(status)) {
      std::cerr << "dxsign: " << printable(path) << ": a symbolic link, passed over\n";
      continue;
    }
    if (!fs::is_directory(status)) {
      if (fs::is_regular_file(status)) files.push_back(path);
      continue;
    }
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied,
                                             ec),
         end;
         it != end; it.increment(ec)) {
      if (ec) break;
      if (it->is_symlink(ec)) continue;
      if (it->is_regular_file(ec)) files.push_back(it->path().string());
    }
    if (ec) {
      std::cerr << "dxsign: " << printable(path) << ": " << ec.message() << '\n';
      ++tally->failed;
    }
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());
  return files;
}

// What tells that a path names another file, or a changed one, than before.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  bool operator==(const Identity& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

// The identity of the regular file at `path`, not following a link; nothing for anything else.
std::optional<Identity> identityOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

// Brings the badges of `files` up to date on all cores; prints "+ FILE" for a badge put on
// and "- FILE" for one taken off, in the order of `files`.
void refresh(IShellIconOverlayIdentifier* overlay, const std::vector<std::string>& files,
             Tally* tally) {
  struct Outcome {
    bool member = false;
    EmblemChange change = EmblemChange::kNone;
    std::string error;
    bool changedMeanwhile = false;  // not a failure: the next run (or event) sees it again
  };
  std::vector<Outcome> outcomes(files.size());
  // The badges as they stand, a folder at a time; a file that the listing misses is read on
  // its own.
  std::map<std::string, std::map<std::string, std::vector<std::string>>> known;
  for (const std::string& file : files) {
    const std::string folder = fs::path(file).parent_path().string();
    if (known.count(folder) == 0)
      known.emplace(folder, folderEmblems(folder.empty() ? "." : folder));
  }
  auto knownEmblems = [&](const std::string& file) -> const std::vector<std::string>* {
    const fs::path path(file);
    const auto& inFolder = known.at(path.parent_path().string());
    const auto found = inFolder.find(path.filename().string());
    return found != inFolder.end() ? &found->second : nullptr;
  };
  forEachParallel(files.size(), [&](size_t i) {
    Outcome& o = outcomes[i];
    std::error_code ec;
    const fs::path absolute = fs::absolute(files[i], ec);
    const std::u16string wide = text::utf8ToUtf16(ec ? files[i] : absolute.string());
    // The badge says what was verified: it is written only when the path still names the
    // file, unchanged, that the overlay handler looked at.
    const std::optional<Identity> before = identityOf(files[i]);
    if (!before) return;  // gone since, or a link: nothing of ours to badge
    o.member = overlay->IsMemberOf(wide.c_str(), 0) == S_OK;
    if (identityOf(files[i]) != before) {
      o.change = EmblemChange::kFailed;
      o.error = "changed while it was checked; its badge is left as it was";
      o.changedMeanwhile = true;
      return;
    }
    o.change = setEmblem(files[i], kSignedEmblemName, o.member, &o.error, knownEmblems(files[i]));
  });
  for (size_t i = 0; i < files.size(); ++i) {
    const Outcome& o = outcomes[i];
    ++tally->files;
    if (o.member) ++tally->badged;
    switch (o.change) {
      case EmblemChange::kAdded:
        ++tally->added;
        std::cout << "+ " << printable(files[i]) << '\n';
        break;
      case EmblemChange::kRemoved:
        ++tally->removed;
        std::cout << "- " << printable(files[i]) << '\n';
        break;
      case EmblemChange::kFailed:
        if (!o.changedMeanwhile) ++tally->failed;
        std::cerr << "dxsign: " << printable(files[i]) << ": " << o.error << '\n';
        break;
      case EmblemChange::kNone:
        break;
    }
  }
  std::cout.flush();
}

int watch(IShellIconOverlayIdentifier* overlay, const Options& options) {
  FolderWatch folders;
  for (const std::string& path : options.paths) {
    std::error_code ec;
    if (!fs::exists(path, ec)) continue;  // already reported
    std::string error;
    const bool ok =
        fs::is_directory(path, ec) ? folders.addTree(path, &error) : folders.addFile(path, &error);
    if (!ok) {
      std::cerr << "dxsign: cannot watch " << error << '\n';
      return kFailure;
    }
  }
  std::cout << "dxsign: watching; Ctrl+C stops\n" << std::flush;
  std::vector<std::string> changed;
  while (folders.next(&changed)) {
    Tally ignored;
    refresh(overlay, changed, &ignored);
  }
  return kSuccess;
}

bool parse(const std::vector<std::string>& args, Options* options) {
  bool onlyPaths = false;
  for (const std::string& a : args) {
    if (!onlyPaths && a == "--watch") {
      options->watch = true;
    } else if (!onlyPaths && a == "--") {
      onlyPaths = true;
    } else if (!onlyPaths && a.size() > 1 && a[0] == '-') {
      return false;
    } else {
      options->paths.push_back(a);
    }
  }
  return !options->paths.empty();
}

}  // namespace

int runEmblemsCommand(const std::vector<std::string>& args) {
  Options options;
  if (!parse(args, &options)) {
    printUsage(true);
    return kUsage;
  }
  // Before any thread exists (GIO starts its own), so that the stop signals reach the watch.
  if (options.watch) FolderWatch::blockStopSignals();

  Tally tally;
  const std::vector<std::string> files = collectFiles(options.paths, &tally);
  std::string why;
  if (!files.empty() && !metadataWritable(files.front(), &why)) {
    std::cerr << "dxsign: the badges cannot be stored: " << why << '\n';
    return kFailure;
  }
  ComPtr<IShellIconOverlayIdentifier> overlay;
  const HRESULT hr =
      com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay, &overlay);
  if (FAILED(hr)) {
    std::cerr << "dxsign: " << describeFailure("creating VexaSignIconOverlay", hr) << '\n';
    return kFailure;
  }
  refresh(overlay.get(), files, &tally);
  std::cout << tally.files << (tally.files == 1 ? " file, " : " files, ") << tally.badged
            << " signed; badges: " << tally.added << " added, " << tally.removed << " removed\n"
            << std::flush;
  const int status = tally.failed == 0 ? kSuccess : kFailure;
  if (!options.watch) return status;
  const int watched = watch(overlay.get(), options);
  return watched != kSuccess ? watched : status;
}

}  // namespace vexamor::dxsign
