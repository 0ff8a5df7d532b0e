#pragma once

#include <optional>
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
    kFailed,     // the database refused; `status` says why
  };
  Outcome outcome = Outcome::kDone;
  db::Status status;
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
  db::Status open(const std::string& path, const std::string& title);
  void close();

  bool isOpen() const { return database_.has_value(); }
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
  BoringChange removeBoring(const std::string& name);

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

  Observer* observer_ = nullptr;
  std::optional<db::Database> database_;
  std::string path_;
  std::string title_;
  bool readOnly_ = false;
  std::vector<std::string> borings_;
  std::string current_;
};

}  // namespace sq::project
