#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "platform/portal/loss.h"

namespace hueclip::portal {

// One monitor as the portal hands it out: its PipeWire node and its place in the desktop's
// layout (size 0, and positioned false, when the portal does not say, or says what no desktop
// has).
struct PortalStream {
  quint32 nodeId = 0;
  int x = 0, y = 0;
  int width = 0, height = 0;
  bool positioned = false;
};

// The conversation with the desktop's screen-cast portal (org.freedesktop.portal.ScreenCast on
// the session bus) for one screen-cast session of every monitor, with the pointer's position
// as metadata and permission that persists until it is revoked. Each step is an asynchronous
// call whose answer comes as the Response signal of a request object; nothing here waits.
// The first step asks whether the portal can give the pointer's position at all (cursor mode
// "metadata", ScreenCast version 4 or later, for the restore token too); a portal that the
// session bus still has to start is waited for, however long that takes.
class PortalSession : public QObject {
  Q_OBJECT

 public:
  // A session that asks with `restoreToken` (empty: the user is asked) once Start is called.
  // Should the portal refuse the request that carries the token, the session tells so
  // (TokenRefused) and asks once more without it.
  explicit PortalSession(QString restoreToken, QObject* parent = nullptr);
  // Closes the session with the portal, which ends its streams.
  ~PortalSession() override;

  // Needs the Qt application.
  void Start();
  // Closes the session with the portal and tells when the portal has answered (Ended). A Closed
  // signal that the portal sent before, the desktop's own end of the session, still comes first,
  // as Failed(kStopped): the portal's messages come in the order it sends them.
  void End();

 signals:
  // The monitors are shared: the PipeWire remote's socket (now the receiver's to close) and
  // one stream a monitor. `restoreToken` grants the next session without asking; empty when
  // the portal gave none.
  void Started(int pipewireFd, const QList<hueclip::portal::PortalStream>& streams,
               const QString& restoreToken);
  // No portal could be started, or it cannot give the pointer's position: another way of
  // reading the screen must serve.
  void Unavailable();
  // The session failed (kRefused, kFailed), or ended after it had started (kStopped: sharing
  // stopped from the desktop). Of Unavailable and Failed, one comes at most, once; nothing more
  // happens afterwards.
  void Failed(hueclip::portal::Loss loss);
  // The portal refused the request that carried the restore token: the token is no good.
  void TokenRefused();
  // End's close is done.
  void Ended();
  // The desktop is asked to start the sharing: it shows its dialog and waits for the user, unless
  // the restore token lets it skip that (and even with one, when it cannot honour it, such as
  // after a shared monitor was unplugged).
  void Choosing();

 private slots:
  void OnResponse(uint response, const QVariantMap& results);
  void OnSessionClosed(const QVariantMap& details);

 private:
  enum class Step { kIdle, kProbing, kCreating, kSelecting, kStarting, kOpening, kRunning, kOver };

  void Probe();
  void Create();
  // Calls `method` of the ScreenCast interface with `args`, whose last one is the options
  // map: a fresh handle token is added to it and the answer awaited at the request's path.
  void Ask(Step step, const QString& method, QList<QVariant> args);
  void AfterCreate(const QVariantMap& results);
  void AfterSelect();
  void AfterStart(const QVariantMap& results);
  void OpenRemote();
  void Fail(Loss loss);
  void GiveUp();
  void StopListening();
  void StopHearingClosed();
  void Close();

  QString restoreToken_;
  Step step_ = Step::kIdle;
  QString sessionPath_;
  QString requestPath_;
  QList<PortalStream> streams_;
};

}  // namespace hueclip::portal
