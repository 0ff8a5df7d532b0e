#pragma once

#include <QObject>

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

 private:
  bool guardPasses();
  void onOpened() override { emit projectOpened(); }
  void onClosed() override { emit projectClosed(); }
  void onBoringListChanged() override { emit boringListChanged(); }
  void onCurrentBoringChanged() override { emit currentBoringChanged(); }

  project::ProjectSession& session_;
  std::function<bool()> leaveGuard_;
};

}  // namespace sq::forms
