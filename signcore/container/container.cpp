#include "container.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "container_core.h"
#include "format.h"

namespace vexamor::container {
namespace {

bool validDisposition(Disposition d) {
  const auto value = static_cast<uint32_t>(d);
  return value >= static_cast<uint32_t>(Disposition::kCreateNew) &&
         value <= static_cast<uint32_t>(Disposition::kTruncateExisting);
}

bool identifierTaken(const SectionTable& table, uint32_t identifier) {
  for (const auto& s : table.sections) {
    if (s->present && s->identifier == identifier) return true;
  }
  return false;
}

// The identifier after `identifier`; 0 is never handed out, so it wraps to 1.
uint32_t following(uint32_t identifier) {
  return identifier == UINT32_MAX ? kFirstIdentifier : identifier + 1;
}

// The next identifier a named stream may take, past those in use; nothing
// when every identifier is taken.
std::optional<uint32_t> freeIdentifier(const SectionTable& table) {
  uint32_t candidate = table.nextIdentifier == 0 ? kFirstIdentifier : table.nextIdentifier;
  for (size_t tried = 0; tried <= table.sections.size(); ++tried) {
    if (!identifierTaken(table, candidate)) return candidate;
    candidate = following(candidate);
  }
  return std::nullopt;
}

}  // namespace

Container::Container() : core_(std::make_shared<ContainerCore>()) {}

Container::~Container() {
  std::lock_guard lock(core_->mutex);
  core_->closeFile();
}

std::unique_ptr<Container> Container::create() {
  try {
    return std::unique_ptr<Container>(new Container());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<Container> Container::create(FileOpener opener) {
  std::unique_ptr<Container> container = create();
  if (container != nullptr) container->core_->opener = std::move(opener);
  return container;
}

Win32Code Container::setHeaderOffset(uint64_t offset) {
  std::lock_guard lock(core_->mutex);
  if (core_->isOpen || offset % header::kOffsetStep != 0 || offset > header::kLastOffset) {
    return kErrorInvalidParameter;
  }
  core_->headerOffset = offset;
  return kErrorSuccess;
}

Win32Code Container::open(const std::string& path, uint32_t access, uint32_t /*share*/,
                          Disposition disposition, uint32_t /*attributes*/) {
  std::lock_guard lock(core_->mutex);
  const Win32Code rc = guarded([&] { return core_->open(path, access, disposition); });
  if (rc != kErrorSuccess && core_->file != nullptr && !core_->isOpen) core_->closeFile();
  return rc;
}

Expected<ContainerInfo> Container::info() const {
  std::lock_guard lock(core_->mutex);
  if (!core_->isOpen) return Failure{kErrorInvalidHandle};
  const SectionTable& t = core_->table;
  return ContainerInfo{static_cast<uint32_t>(t.sections.size()), t.defaultCompression,
                       t.defaultPageSize, t.nextIdentifier};
}

Expected<StreamInfo> Container::streamInfo(uint32_t index) const {
  std::lock_guard lock(core_->mutex);
  return guarded([&]() -> Expected<StreamInfo> {
    if (!core_->isOpen) return Failure{kErrorInvalidHandle};
    if (index >= core_->table.sections.size()) return Failure{kErrorInvalidParameter};
    const Section& s = *core_->table.sections[index];
    return StreamInfo{s.name, s.identifier, s.size, s.present};
  });
}

Expected<Stream> Container::openStream(std::string_view name, uint32_t identifier, uint32_t access,
                                       Disposition disposition, const StreamOptions& options) {
  const uint32_t compression = options.compression.value_or(kCompressionStored);
  if (access == 0 || (access & ~(kAccessRead | kAccessWrite)) != 0 ||
      !validDisposition(disposition) || compression > kHighestCompressionType ||
      options.level < -1 || options.level > 9 || name.size() >= sectioninfo::kNameSize ||
      (name.empty() && identifier == 0)) {
    return Failure{kErrorInvalidParameter};
  }
  std::lock_guard lock(core_->mutex);
  return guarded([&] { return openLocked(name, identifier, access, disposition, options); });
}

Expected<Stream> Container::openLocked(std::string_view name, uint32_t identifier, uint32_t access,
                                       Disposition disposition, const StreamOptions& options) {
  ContainerCore& core = *core_;
  if (!core.isOpen) return Failure{kErrorInvalidHandle};
  SectionTable& table = core.table;
  Expected<uint32_t> pageSize = choosePageSize(options.pageSize, table.defaultPageSize);
  if (!pageSize.ok()) return Failure{pageSize.error()};
  const bool writeAccess = (access & kAccessWrite) != 0;
  if (writeAccess && !core.writable) return Failure{kErrorAccessDenied};

  std::shared_ptr<Section> section = core.find(name, identifier);
  bool create = false;
  bool truncate = false;
  switch (disposition) {
    case Disposition::kCreateNew:
      if (section) return Failure{kErrorAlreadyExists};
      create = true;
      break;
    case Disposition::kCreateAlways:
      create = !section;
      truncate = !!section;
      break;
    case Disposition::kOpenExisting:
      if (!section) return Failure{kErrorNotFound};
      break;
    case Disposition::kOpenAlways:
      create = !section;
      break;
    case Disposition::kTruncateExisting:
      if (!section) return Failure{kErrorNotFound};
      truncate = true;
      break;
  }
  // Emptying a stream is writing to it.
  if (truncate && !writeAccess) return Failure{kErrorAccessDenied};
  if ((create || truncate) && !core.writable) return Failure{kErrorAccessDenied};

  auto applyOptions = [&](Section& s) {
    s.pageSize = *pageSize;
    s.compression = options.compression.value_or(table.defaultCompression);
    s.level = options.level;
  };
  if (truncate) {
    core.empty(*section);
    applyOptions(*section);
  }
  if (create) {
    auto fresh = std::make_shared<Section>();
    if (!name.empty()) {
      // Identifiers of unnamed streams are the caller's; skip those in use.
      const std::optional<uint32_t> free = freeIdentifier(table);
      if (!free) return Failure{kErrorInvalidParameter};
      fresh->name = name;
      fresh->identifier = *free;
    } else {
      char unnamed[sectioninfo::kNameSize];
      std::snprintf(unnamed, sizeof(unnamed), kUnnamedStreamFormat, identifier);
      fresh->name = unnamed;
      fresh->identifier = identifier;
    }
    if (identifierTaken(table, fresh->identifier) || core.find(fresh->name, 0)) {
      return Failure{kErrorAlreadyExists};
    }
    applyOptions(*fresh);
    table.sections.push_back(fresh);
    if (!name.empty()) {
      table.nextIdentifier = following(fresh->identifier);
    } else if (table.nextIdentifier != 0 && identifier >= table.nextIdentifier) {
      table.nextIdentifier = following(identifier);
    }
    core.dirty = true;
    section = std::move(fresh);
  }
  return Stream(core_, section, access);
}

Win32Code Container::removeStream(std::string_view name, uint32_t identifier) {
  if (name.empty() && identifier == 0) return kErrorInvalidParameter;
  std::lock_guard lock(core_->mutex);
  ContainerCore& core = *core_;
  if (!core.isOpen) return kErrorInvalidHandle;
  std::shared_ptr<Section> section = core.find(name, identifier);
  if (!section) return kErrorNotFound;
  if (!core.writable) return kErrorAccessDenied;
  core.empty(*section);
  section->present = false;
  // Handles still open on it keep its block until the last one closes.
  if (section->handles == 0) section->cache.reset();
  return kErrorSuccess;
}

Win32Code Container::commit() {
  std::lock_guard lock(core_->mutex);
  return commitLocked();
}

Win32Code Container::commitLocked() {
  return guardedChange(*core_, [&] { return core_->commit(); });
}

Win32Code Container::close() {
  std::lock_guard lock(core_->mutex);
  if (!core_->isOpen) return kErrorInvalidHandle;
  const Win32Code rc = commitLocked();
  core_->closeFile();
  return rc;
}

}  // namespace vexamor::container
