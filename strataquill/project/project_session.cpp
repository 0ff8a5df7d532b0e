#include "strataquill/project/project_session.h"

#include <algorithm>

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
  database_.emplace(std::move(opened.value()));
  path_ = path;
  title_ = title;
  auto names = ReadBoringList(*database_);
  borings_ = names.ok() ? std::move(names.value()) : std::vector<std::string>();
  current_ = borings_.empty() ? std::string() : borings_.front();
  if (observer_) observer_->onOpened();
  return {};
}

void ProjectSession::close() {
  if (!database_) return;
  database_.reset();
  path_.clear();
  title_.clear();
  readOnly_ = false;
  borings_.clear();
  current_.clear();
  if (observer_) observer_->onClosed();
}

void ProjectSession::setCurrent(const std::string& name) {
  if (name == current_) return;
  current_ = name;
  if (observer_) observer_->onCurrentBoringChanged();
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

BoringChange ProjectSession::addBoring(const std::string& name) {
  if (!database_ || readOnly_) return refuseWrite();
  if (!IsUsableBoringName(name)) return {BoringChange::Outcome::kIgnored, {}};
  if (boringExists(name)) return {BoringChange::Outcome::kExists, {}};
  if (db::Status s = CreateBoringRow(*database_, name); !s.ok())
    return {BoringChange::Outcome::kFailed, s};
  reloadBoringList(name);
  return {};
}

BoringChange ProjectSession::copyBoring(const std::string& source, const std::string& target,
                                        const CopyWhat& what) {
  if (!database_ || readOnly_) return refuseWrite();
  if (boringExists(target)) return {BoringChange::Outcome::kExists, {}};
  if (db::Status s = CopyBoringTables(*database_, source, target, what); !s.ok())
    return {BoringChange::Outcome::kFailed, s};
  reloadBoringList(target);
  return {};
}

BoringChange ProjectSession::removeBoring(const std::string& name) {
  if (!database_ || readOnly_) return refuseWrite();
  if (std::find(borings_.begin(), borings_.end(), name) == borings_.end())
    return {BoringChange::Outcome::kNoProject, {}};
  if (db::Status s = DeleteBoringRows(*database_, name); !s.ok())
    return {BoringChange::Outcome::kFailed, s};
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
  if (!WriteProjectLabels(*database_, labels))
    return db::Status::error(db::ErrorCode::kGeneric, "The labels could not be written.");
  return {};
}

}  // namespace sq::project
