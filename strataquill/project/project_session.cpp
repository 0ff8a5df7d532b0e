#include "strataquill/project/project_session.h"

#include <algorithm>
#include <utility>

#include "strataquill/db/server_address.h"
#include "strataquill/project/project_schema.h"

namespace sq::project {

ProjectSession::~ProjectSession() {
  observer_ = nullptr;
  close();
}

db::Status ProjectSession::open(const std::string& path, const std::string& title) {
  close();
  // A server project has no file to look at: the server says whether it
  // exists and whether this user may write it.
  const bool server = db::isServerAddress(path);
  const ProjectFileState state = server ? ProjectFileState::kProject : ProbeProjectFile(path);
  if (state == ProjectFileState::kMissing)
    return db::Status::error(db::ErrorCode::kFileNotFound, ProjectFileRefusal(state, path));
  if (state == ProjectFileState::kNotAProject)
    return db::Status::error(db::ErrorCode::kNotADatabase, ProjectFileRefusal(state, path));
  auto opened = db::Database::open(path);
  if (!opened.ok()) return opened.status();
  readOnly_ = state == ProjectFileState::kReadOnly || opened->readOnly();
  // A file that cannot be written is shown as it is, not repaired.
  if (!readOnly_) CheckFileFormat(opened.value());
  // Other users' changes arrive from now on; a reader hears of them too.
  if (server) opened->listenForChanges();
  database_.emplace(std::move(opened.value()));
  path_ = database_->path();
  title_ = title;
  auto names = ReadBoringList(*database_);
  borings_ = names.ok() ? std::move(names.value()) : std::vector<std::string>();
  current_ = borings_.empty() ? std::string() : borings_.front();
  database_->markInUse(current_);
  if (observer_) observer_->onOpened();
  return {};
}

void ProjectSession::close() {
  if (!database_) return;
  // Released at once, not whenever the server notices the connection ended:
  // someone may be waiting to remove the boring.
  database_->markInUse("");
  database_.reset();
  path_.clear();
  title_.clear();
  readOnly_ = false;
  borings_.clear();
  current_.clear();
  changedByOthers_.clear();
  rejoined_ = false;
  if (observer_) observer_->onClosed();
}

void ProjectSession::setCurrent(const std::string& name) {
  if (name == current_) return;
  current_ = name;
  markCurrent();
  if (observer_) observer_->onCurrentBoringChanged();
}

void ProjectSession::markCurrent() {
  // The windows read the current boring afresh: what others changed
  // before is in what they read.
  changedByOthers_.erase(current_);
  if (database_) database_->markInUse(current_);
}

db::Status ProjectSession::select(const std::string& name) {
  if (!database_ || std::find(borings_.begin(), borings_.end(), name) == borings_.end())
    return db::Status::error(db::ErrorCode::kItemNotFound, "No boring is named " + name + ".");
  setCurrent(name);
  return {};
}

db::Status ProjectSession::reloadBoringList(const std::optional<std::string>& current) {
  if (!database_) return db::Status::error(db::ErrorCode::kGeneric, "No project is open.");
  auto names = ReadBoringList(*database_);
  if (!names.ok()) return names.status();
  borings_ = std::move(names.value());
  auto listed = [&](const std::string& n) {
    return std::find(borings_.begin(), borings_.end(), n) != borings_.end();
  };
  std::string next = current && listed(*current) ? *current
                     : listed(current_)          ? current_
                     : borings_.empty()          ? std::string()
                                                 : borings_.front();
  const bool changed = next != current_;
  current_ = std::move(next);
  if (changed) markCurrent();
  if (observer_) {
    observer_->onBoringListChanged();
    if (changed) observer_->onCurrentBoringChanged();
  }
  return {};
}

BoringChange ProjectSession::refuseWrite() const {
  if (!database_) return {BoringChange::Outcome::kNoProject, {}};
  return {BoringChange::Outcome::kReadOnly, {}};
}

void ProjectSession::readListOfOthers() {
  // Others may have taken the name since the list was read.
  if (isServer()) reloadBoringList();
}

BoringChange ProjectSession::addBoring(const std::string& name) {
  if (!database_ || readOnly_) return refuseWrite();
  if (db::Status s = reconnectIfLost(); !s.ok()) return {BoringChange::Outcome::kFailed, s};
  if (!IsUsableBoringName(name)) return {BoringChange::Outcome::kIgnored, {}};
  readListOfOthers();
  if (boringExists(name)) return {BoringChange::Outcome::kExists, {}};
  if (db::Status s = CreateBoringRow(*database_, name); !s.ok())
    return {BoringChange::Outcome::kFailed, s};
  reloadBoringList(name);
  return {};
}

BoringChange ProjectSession::copyBoring(const std::string& source, const std::string& target,
                                        const CopyWhat& what) {
  if (!database_ || readOnly_) return refuseWrite();
  if (db::Status s = reconnectIfLost(); !s.ok()) return {BoringChange::Outcome::kFailed, s};
  readListOfOthers();
  if (boringExists(target)) return {BoringChange::Outcome::kExists, {}};
  if (db::Status s = CopyBoringTables(*database_, source, target, what); !s.ok())
    return {BoringChange::Outcome::kFailed, s};
  reloadBoringList(target);
  return {};
}

BoringChange ProjectSession::removeBoring(const std::string& name) {
  if (!database_ || readOnly_) return refuseWrite();
  if (db::Status s = reconnectIfLost(); !s.ok()) return {BoringChange::Outcome::kFailed, s};
  if (std::find(borings_.begin(), borings_.end(), name) == borings_.end())
    return {BoringChange::Outcome::kNoProject, {}};
  std::vector<std::string> users;
  if (db::Status s = DeleteBoringRows(*database_, name, &users); !s.ok())
    return {users.empty() ? BoringChange::Outcome::kFailed : BoringChange::Outcome::kInUse, s,
            users};
  // The first remaining boring, not the one that happened to be current.
  current_.clear();
  reloadBoringList();
  return {};
}

db::Result<db::Recordset> ProjectSession::boringRows(const std::string& boring,
                                                     int whichTable) const {
  if (!database_) return db::Status::error(db::ErrorCode::kGeneric, "No project is open.");
  return database_->openRecordset(GetSQL(boring, whichTable));
}

db::Result<db::Recordset> ProjectSession::projectRows() const {
  if (!database_) return db::Status::error(db::ErrorCode::kGeneric, "No project is open.");
  return database_->openRecordset("Project Information");
}

SampleLabels ProjectSession::sampleHeadings() const {
  if (database_) return SampleHeadings(*database_);
  SampleLabels undefined;
  undefined.fill(kUndefinedLabel);
  return undefined;
}

std::optional<SampleLabels> ProjectSession::projectLabels() const {
  return database_ ? ReadProjectLabels(*database_) : std::nullopt;
}

db::Status ProjectSession::writeProjectLabels(const SampleLabels& labels) {
  if (!database_ || readOnly_)
    return db::Status::error(db::ErrorCode::kReadOnly, "The project cannot be written.");
  if (db::Status s = reconnectIfLost(); !s.ok()) return s;
  if (!WriteProjectLabels(*database_, labels))
    return db::Status::error(db::ErrorCode::kGeneric, "The labels could not be written.");
  return {};
}

std::vector<std::string> ProjectSession::othersUsing(const std::string& name) const {
  if (!database_) return {};
  auto users = database_->usersOf(name);
  return users.ok() ? std::move(users.value()) : std::vector<std::string>();
}

int ProjectSession::changeSocket() const {
  return database_ ? database_->changeSocket() : -1;
}

ProjectSession::OthersChanges ProjectSession::takeOthersChanges() {
  OthersChanges changes;
  if (!database_) return changes;
  if (std::exchange(rejoined_, false)) {
    changes.boringList = true;
    changes.currentMayGo = true;
  }
  for (const db::TableChange& c : database_->takeChanges()) {
    if (c.keysChanged && c.table == "Boring Information") {
      changes.boringList = true;
      changes.currentMayGo = changes.currentMayGo || c.key == current_;
    }
    changes.borings.insert(c.key);
  }
  return changes;
}

void ProjectSession::applyOthersChanges(const OthersChanges& changes) {
  if (!database_ || changes.empty()) return;
  changedByOthers_.insert(changes.borings.begin(), changes.borings.end());
  if (changes.boringList) reloadBoringList(current_);
  if (!changes.borings.empty() && observer_) observer_->onChangedByOthers();
}

db::Status ProjectSession::reconnectIfLost() {
  if (!database_ || !database_->connectionLost()) return {};
  db::Status s = database_->reconnect();
  if (!s.ok()) return s;
  readOnly_ = database_->readOnly();
  rejoined_ = true;
  // The boring may have become current while the server was away.
  return database_->markInUse(current_);
}

}  // namespace sq::project
