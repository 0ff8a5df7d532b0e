#include "strataquill/forms/session_adapter.h"

namespace sq::forms {

using project::BoringChange;

SessionAdapter::SessionAdapter(project::ProjectSession& session, QObject* parent)
    : QObject(parent), session_(session) {
  session_.setObserver(this);
}

SessionAdapter::~SessionAdapter() {
  session_.setObserver(nullptr);
}

bool SessionAdapter::guardPasses() {
  return !leaveGuard_ || leaveGuard_();
}

bool SessionAdapter::select(const std::string& name) {
  if (name == session_.currentBoring()) return true;
  if (!guardPasses() || !session_.select(name).ok()) {
    emit currentBoringChanged();
    return false;
  }
  return true;
}

// What the session refuses it refuses without writing, so the guard (which
// saves) runs only for a command that will go ahead.
BoringChange SessionAdapter::addBoring(const std::string& name) {
  const bool refused = !session_.isOpen() || session_.readOnly() ||
                       !project::IsUsableBoringName(name) || session_.boringExists(name);
  if (!refused && !guardPasses()) return {BoringChange::Outcome::kIgnored, {}};
  return session_.addBoring(name);
}

BoringChange SessionAdapter::copyBoring(const std::string& source, const std::string& target,
                                        const project::CopyWhat& what) {
  const bool refused = !session_.isOpen() || session_.readOnly() || session_.boringExists(target);
  if (!refused && !guardPasses()) return {BoringChange::Outcome::kIgnored, {}};
  return session_.copyBoring(source, target, what);
}

BoringChange SessionAdapter::removeBoring(const std::string& name) {
  return session_.removeBoring(name);
}

}  // namespace sq::forms
