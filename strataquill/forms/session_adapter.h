#pragma once

#include <QObject>

class QSocketNotifier;
class QTimer;

#include <functional>
#include <string>

#include "strataquill/project/project_session.h"

namespace sq::forms {

// The windows' view of the project session: the session's changes as Qt
// signals, and the session's boring commands with one addition that the
// windows need, a guard that runs before the current boring changes at the
// user's request (the data entry window saves there, and may keep the
// boring when the user wants to correct something first). It holds no
// state of the project itself.
class SessionAdapter : public QObject, private project::ProjectSession::Observer {
  Q_OBJECT

 public:
  explicit SessionAdapter(project::ProjectSession& session, QObject* parent = nullptr);
  ~SessionAdapter() override;

  project::ProjectSession& session() { return session_; }
  const project::ProjectSession& session() const { return session_; }

  // Runs before a user's command moves away from the current boring; false
  // keeps it. Empty: nothing to do.
  void setLeaveGuard(std::function<bool()> guard) { leaveGuard_ = std::move(guard); }
  // While `busy` says so (a command is saving or switching), other users'
  // changes wait; they are taken in at the next look.
  void setBusyTest(std::function<bool()> busy) { busy_ = std::move(busy); }

  // On a server project: takes in what other users changed. It runs by
  // itself when the server's notices arrive (and every few seconds, for
  // notices read along with other answers); tests call it too.
  void takeInOthersChanges();
  // How often takeInOthersChanges runs without a notice, in milliseconds.
  static constexpr int kLookIntervalMs = 2000;

  // Makes `name` current, after the guard. False when the guard kept the
  // boring or the name is not listed; currentBoringChanged is then emitted
  // all the same, so a selector that showed the name goes back.
  bool select(const std::string& name);
  // The session's commands, after the guard (add and copy move to the new
  // boring). Remove drops the current boring without the guard: its
  // unsaved edits go with it, once the delete succeeded.
  project::BoringChange addBoring(const std::string& name);
  project::BoringChange copyBoring(const std::string& source, const std::string& target,
                                   const project::CopyWhat& what);
  project::BoringChange removeBoring(const std::string& name);

 signals:
  void projectOpened();
  void projectClosed();
  void boringListChanged();
  void currentBoringChanged();
  // Other users changed rows of borings (ProjectSession::changedByOthers).
  void changedByOthers();

 private:
  bool guardPasses();
  void onOpened() override;
  void onClosed() override;
  void onBoringListChanged() override { emit boringListChanged(); }
  void onCurrentBoringChanged() override { emit currentBoringChanged(); }
  void onChangedByOthers() override { emit changedByOthers(); }
  // Listens on the session's socket: a new one after a reconnection, none
  // while the connection is lost.
  void followSocket();

  project::ProjectSession& session_;
  std::function<bool()> leaveGuard_;
  std::function<bool()> busy_;
  QSocketNotifier* notifier_ = nullptr;
  QTimer* look_ = nullptr;
  bool takingIn_ = false;
};

}  // namespace sq::forms
