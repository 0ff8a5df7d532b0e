#include "strataquill/forms/session_adapter.h"

#include <QSocketNotifier>
#include <QTimer>

namespace sq::forms {

using project::BoringChange;

SessionAdapter::SessionAdapter(project::ProjectSession& session, QObject* parent)
    : QObject(parent), session_(session) {
  session_.setObserver(this);
  look_ = new QTimer(this);
  look_->setInterval(kLookIntervalMs);
  connect(look_, &QTimer::timeout, this, &SessionAdapter::takeInOthersChanges);
}

SessionAdapter::~SessionAdapter() {
  session_.setObserver(nullptr);
}

void SessionAdapter::onOpened() {
  if (session_.isServer()) {
    followSocket();
    look_->start();
  }
  emit projectOpened();
}

void SessionAdapter::onClosed() {
  look_->stop();
  delete notifier_;
  notifier_ = nullptr;
  emit projectClosed();
}

void SessionAdapter::followSocket() {
  const int socket = session_.isServer() ? session_.changeSocket() : -1;
  if (notifier_ && notifier_->socket() == socket) return;
  delete notifier_;
  notifier_ = nullptr;
  if (socket < 0) return;
  notifier_ = new QSocketNotifier(socket, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SessionAdapter::takeInOthersChanges);
}

void SessionAdapter::takeInOthersChanges() {
  if (!session_.isServer() || takingIn_ || (busy_ && busy_())) return;
  takingIn_ = true;
  const project::ProjectSession::OthersChanges changes = session_.takeOthersChanges();
  // The current boring may be gone once the list is read again: what the
  // user typed into it is saved first, not dropped with it.
  if (changes.currentMayGo) guardPasses();
  session_.applyOthersChanges(changes);
  followSocket();
  takingIn_ = false;
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
