#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/project_probe.h"
#include "strataquill/project/sample_labels.h"

namespace sq::project {

// What became of a boring command (add, copy, remove).
struct BoringChange {
  enum class Outcome {
    kDone,
    kIgnored,    // a name too short to use: nothing to say, nothing done
    kExists,     // the new name is taken
    kReadOnly,   // the project cannot be written
    kNoProject,  // no project is open, or no such boring
    kInUse,      // other users have the boring open; `users` names them
    kFailed,     // the database refused; `status` says why
  };
  BoringChange(Outcome outcome = Outcome::kDone, db::Status status = {},
               std::vector<std::string> users = {})
      : outcome(outcome), status(std::move(status)), users(std::move(users)) {}
  Outcome outcome;
  db::Status status;
  std::vector<std::string> users;
  bool done() const { return outcome == Outcome::kDone; }
};

// The open project: its one database connection, its boring list and the
// current boring, and every operation on borings. It never prompts; callers
// turn its results into messages. Writes happen only when an operation asks
// for them (and once, on opening, when the file's structure needs repair),
// so opening and closing a project leaves its file as it was.
//
// One observer (the windows' adapter) hears of every change.
class ProjectSession {
 public:
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void onOpened() = 0;
    virtual void onClosed() = 0;
    // The list changed; the current boring may have changed with it.
    virtual void onBoringListChanged() = 0;
    virtual void onCurrentBoringChanged() = 0;
    // Other users changed the rows of borings (see changedByOthers).
    virtual void onChangedByOthers() {}
  };

  // What other users changed on a server project.
  struct OthersChanges {
    bool boringList = false;  // borings were added, renamed or removed
    // The boring list's change may concern the current boring: it may be
    // gone once the list is read again.
    bool currentMayGo = false;
    std::set<std::string> borings;  // borings whose rows changed
    bool empty() const { return !boringList && borings.empty(); }
  };

  ProjectSession() = default;
  ~ProjectSession();
  ProjectSession(const ProjectSession&) = delete;
  ProjectSession& operator=(const ProjectSession&) = delete;

  void setObserver(Observer* observer) { observer_ = observer; }

  // Opens `path` (closing the project that was open) and selects its first
  // boring. A missing file fails with kFileNotFound and a file that is no
  // project with kNotADatabase; nothing of either is written. A file that
  // cannot be written opens read-only and is not repaired.
  //
  // `path` may be a server address instead (server_address.h): the server
  // says whether the project exists and whether this user may change it.
  // The session then hears of other users' changes (takeOthersChanges) and
  // marks its current boring as in use, so that no one removes it meanwhile.
  db::Status open(const std::string& path, const std::string& title);
  void close();

  bool isOpen() const { return database_.has_value(); }
  bool isServer() const { return database_ && database_->isServer(); }
  // The file's path, or the server address without any password.
  const std::string& path() const { return path_; }
  const std::string& title() const { return title_; }
  bool readOnly() const { return readOnly_; }
  // The connection every reader and writer of the open project uses; null
  // when no project is open.
  db::Database* database() { return database_ ? &*database_ : nullptr; }
  const db::Database* database() const { return database_ ? &*database_ : nullptr; }

  // Boring names in the selector's order; "" when there is none.
  const std::vector<std::string>& borings() const { return borings_; }
  const std::string& currentBoring() const { return current_; }
  bool boringExists(std::string_view name) const { return BoringExists(borings_, name); }

  // Makes a listed boring current; kItemNotFound for any other name.
  db::Status select(const std::string& name);
  // Reads the list again; `current` becomes current when it is listed,
  // else the boring that was current stays, else the first one.
  db::Status reloadBoringList(const std::optional<std::string>& current = std::nullopt);

  // A new boring of `name`, made current. Names that are not usable are
  // ignored; a name in use is refused, since removing one of two equal
  // names would remove the other's data as well.
  BoringChange addBoring(const std::string& name);
  // Copies the ticked parts of `source` to `target`, which must be a new
  // name; `target` becomes current when it is listed (when the boring
  // information was copied).
  BoringChange copyBoring(const std::string& source, const std::string& target,
                          const CopyWhat& what);
  // Deletes every row of `name`; the first remaining boring becomes current.
  // A boring that other users have open is refused (kInUse).
  BoringChange removeBoring(const std::string& name);
  // The other users who have `name` open (server projects only).
  std::vector<std::string> othersUsing(const std::string& name) const;

  // --- Other users of a server project ---

  // The socket on which other users' changes arrive; -1 for a file, and
  // while the connection is lost.
  int changeSocket() const;
  // What other users changed since the last call; never blocks.
  OthersChanges takeOthersChanges();
  // Takes `changes` in: the boring list is read again when it changed (the
  // current boring stays current while it is listed, else the first one
  // is), and the borings whose rows changed are remembered.
  void applyOthersChanges(const OthersChanges& changes);
  // Whether another user changed the rows of `boring` since it became
  // current or since the change was forgotten.
  bool changedByOthers(const std::string& boring) const {
    return changedByOthers_.count(boring) != 0;
  }
  void forgetOthersChange(const std::string& boring) { changedByOthers_.erase(boring); }
  // Connects again after the connection to the server was lost (the
  // commands above do so first); nothing to do otherwise. The project's
  // read-only state is asked again, and the next takeOthersChanges asks
  // for the boring list to be read again.
  db::Status reconnectIfLost();

  // The rows of `whichTable` (kLithologyTable ...) for `boring`, in the
  // order the grids show them. The boring table's query holds the boring's
  // one row.
  db::Result<db::Recordset> boringRows(const std::string& boring, int whichTable) const;
  // The project's description: the first row of "Project Information"
  // (none yet in a new project; saving the first edit adds it).
  db::Result<db::Recordset> projectRows() const;
  // Headings of the samples grid's user columns.
  SampleLabels sampleHeadings() const;
  std::optional<SampleLabels> projectLabels() const;
  db::Status writeProjectLabels(const SampleLabels& labels);

 private:
  BoringChange refuseWrite() const;
  void setCurrent(const std::string& name);
  void markCurrent();
  void readListOfOthers();

  Observer* observer_ = nullptr;
  std::optional<db::Database> database_;
  std::string path_;
  std::string title_;
  bool readOnly_ = false;
  std::vector<std::string> borings_;
  std::string current_;
  std::set<std::string> changedByOthers_;
  // Connected again: what others announced meanwhile went unheard, so the
  // boring list is read again at the next look.
  bool rejoined_ = false;
};

}  // namespace sq::project
