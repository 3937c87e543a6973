#include "platform/portal/session.h"

#include <fcntl.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include "platform/portal/log.h"
#include "platform/portal/monitor_layout.h"

namespace hueclip::portal {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

constexpr uint kSourceMonitor = 1;
constexpr uint kCursorMetadata = 4;
constexpr uint kPersistUntilRevoked = 2;
constexpr uint kResponseCancelled = 1;

// Handle tokens name the session and request objects on the portal: unique in this process, so
// that a new session never meets what is left of an earlier one.
QString NextToken() {
  static int counter = 0;
  return QStringLiteral("hueclip%1").arg(++counter);
}

// The portal names a request object after the caller's unique bus name and the handle token,
// so its Response can be listened for before the call that creates it is even sent.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
  QString sender = bus.baseService().mid(1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

// A position or a size, (ii); false when there is none, or it lies beyond any desktop's (a
// buggy or hostile portal): the stream then counts as not placed, or not sized.
bool ReadPair(const QVariant& value, int& first, int& second) {
  if (!value.canConvert<QDBusArgument>()) return false;
  const QDBusArgument arg = value.value<QDBusArgument>();
  int a = 0, b = 0;
  arg.beginStructure();
  arg >> a >> b;
  arg.endStructure();
  if (!WithinDesktop(a) || !WithinDesktop(b)) return false;
  first = a;
  second = b;
  return true;
}

// The "streams" result of Start: a(ua{sv}), the node id and the properties of each.
QList<PortalStream> ReadStreams(const QVariant& value) {
  QList<PortalStream> streams;
  if (!value.canConvert<QDBusArgument>()) return streams;
  const QDBusArgument arg = value.value<QDBusArgument>();
  arg.beginArray();
  while (!arg.atEnd()) {
    PortalStream stream;
    QVariantMap properties;
    arg.beginStructure();
    arg >> stream.nodeId >> properties;
    arg.endStructure();
    stream.positioned = ReadPair(properties.value(QStringLiteral("position")), stream.x, stream.y);
    ReadPair(properties.value(QStringLiteral("size")), stream.width, stream.height);
    streams.append(stream);
  }
  arg.endArray();
  return streams;
}

QDBusMessage CloseCall(const QString& sessionPath) {
  return QDBusMessage::createMethodCall(kService, sessionPath, kSession, QStringLiteral("Close"));
}

// Options and results as logged: the restore token, which grants the screen without asking,
// stays out of the log.
QVariantMap Logged(QVariantMap map) {
  const QString token = QStringLiteral("restore_token");
  if (map.contains(token)) map.insert(token, QStringLiteral("(not logged)"));
  return map;
}

}  // namespace

PortalSession::PortalSession(QString restoreToken, QObject* parent)
    : QObject(parent), restoreToken_(std::move(restoreToken)) {}

PortalSession::~PortalSession() {
  StopListening();
  Close();
}

void PortalSession::Start() {
  if (step_ != Step::kIdle) return;
  if (!QDBusConnection::sessionBus().isConnected()) return GiveUp();
  Probe();
}

void PortalSession::Probe() {
  step_ = Step::kProbing;
  QDBusMessage get = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
  get << kScreenCast;
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
  connect(
      watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        if (step_ != Step::kProbing) return;
        const QDBusPendingReply<QVariantMap> reply = *finished;
        // Our own wait ran out, not the portal's start (the bus says when that fails): the
        // portal may be slow to start, so it is asked again.
        const QDBusError::ErrorType error = reply.error().type();
        if (reply.isError())
          qCInfo(lcPortal) << "no ScreenCast portal answers:" << reply.error().name()
                           << reply.error().message();
        if (error == QDBusError::NoReply || error == QDBusError::Timeout) return Probe();
        const QVariantMap properties = reply.isError() ? QVariantMap() : reply.value();
        qCDebug(lcPortal) << "ScreenCast portal:" << properties;
        const bool metadata = properties.value(QStringLiteral("version")).toUInt() >= 4 &&
                              (properties.value(QStringLiteral("AvailableCursorModes")).toUInt() &
                               kCursorMetadata) != 0;
        if (!metadata) return GiveUp();
        Create();
      });
}

void PortalSession::Create() {
  const QVariantMap options{{QStringLiteral("session_handle_token"), NextToken()}};
  Ask(Step::kCreating, QStringLiteral("CreateSession"), {options});
}

void PortalSession::Ask(Step step, const QString& method, QList<QVariant> args) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString token = NextToken();
  QVariantMap options = args.takeLast().toMap();
  options.insert(QStringLiteral("handle_token"), token);
  args.append(options);

  StopListening();
  requestPath_ = RequestPath(bus, token);
  bus.connect(kService, requestPath_, kRequest, QStringLiteral("Response"), this,
              SLOT(OnResponse(uint, QVariantMap)));
  step_ = step;

  qCDebug(lcPortal) << "asking" << method << Logged(options);
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, method);
  call.setArguments(args);
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, step, method](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            // The call itself only returns the request's path; an error means no answer comes.
            if (finished->isError() && step_ == step) {
              qCInfo(lcPortal) << method << "failed:" << finished->error().name()
                               << finished->error().message();
              Fail(Loss::kFailed);
            }
          });
}

void PortalSession::OnResponse(uint response, const QVariantMap& results) {
  const Step step = step_;
  StopListening();
  // 0: granted; 1: the user cancelled; 2: the portal or its backend failed (its reasons go to
  // its own log).
  qCInfo(lcPortal) << "the portal answered" << response << Logged(results);
  if (response != 0) {
    return Fail(response == kResponseCancelled ? Loss::kRefused : Loss::kFailed);
  }
  switch (step) {
    case Step::kCreating:
      return AfterCreate(results);
    case Step::kSelecting:
      return AfterSelect();
    case Step::kStarting:
      return AfterStart(results);
    default:
      return;
  }
}

void PortalSession::AfterCreate(const QVariantMap& results) {
  const QVariant handle = results.value(QStringLiteral("session_handle"));
  sessionPath_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                      : handle.toString();
  if (sessionPath_.isEmpty()) return Fail(Loss::kFailed);
  QDBusConnection::sessionBus().connect(kService, sessionPath_, kSession, QStringLiteral("Closed"),
                                        this, SLOT(OnSessionClosed(QVariantMap)));
  QVariantMap options{{QStringLiteral("types"), QVariant::fromValue(kSourceMonitor)},
                      {QStringLiteral("multiple"), true},
                      {QStringLiteral("cursor_mode"), QVariant::fromValue(kCursorMetadata)},
                      {QStringLiteral("persist_mode"), QVariant::fromValue(kPersistUntilRevoked)}};
  if (!restoreToken_.isEmpty()) options.insert(QStringLiteral("restore_token"), restoreToken_);
  Ask(Step::kSelecting, QStringLiteral("SelectSources"),
      {QVariant::fromValue(QDBusObjectPath(sessionPath_)), options});
}

void PortalSession::AfterSelect() {
  emit Choosing();
  Ask(Step::kStarting, QStringLiteral("Start"),
      {QVariant::fromValue(QDBusObjectPath(sessionPath_)), QString(), QVariantMap()});
}

void PortalSession::AfterStart(const QVariantMap& results) {
  streams_ = ReadStreams(results.value(QStringLiteral("streams")));
  restoreToken_ = results.value(QStringLiteral("restore_token")).toString();
  for (const PortalStream& s : streams_) {
    qCDebug(lcPortal).nospace() << "stream: node " << s.nodeId << ", position "
                                << (s.positioned ? QString::number(s.x) + QLatin1Char(',') +
                                                       QString::number(s.y)
                                                 : QStringLiteral("not given"))
                                << ", size " << s.width << "x" << s.height;
  }
  qCDebug(lcPortal) << "started:" << streams_.size() << "streams,"
                    << (restoreToken_.isEmpty() ? "no restore token" : "a restore token");
  if (streams_.isEmpty()) return Fail(Loss::kFailed);
  OpenRemote();
}

void PortalSession::OpenRemote() {
  step_ = Step::kOpening;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast,
                                                     QStringLiteral("OpenPipeWireRemote"));
  call.setArguments({QVariant::fromValue(QDBusObjectPath(sessionPath_)), QVariantMap()});
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            if (step_ != Step::kOpening) return;
            const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
            // The descriptor object closes its own copy when it goes.
            const int fd = reply.isError() || !reply.value().isValid()
                               ? -1
                               : fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
            if (fd < 0) {
              qCInfo(lcPortal) << "OpenPipeWireRemote failed:" << reply.error().name()
                               << reply.error().message();
              return Fail(Loss::kFailed);
            }
            step_ = Step::kRunning;
            emit Started(fd, streams_, restoreToken_);
          });
}

void PortalSession::OnSessionClosed(const QVariantMap& details) {
  qCInfo(lcPortal) << "the session was closed by the desktop" << details;
  Fail(Loss::kStopped);
}

void PortalSession::Fail(Loss loss) {
  if (step_ == Step::kOver) return;
  if (loss == Loss::kFailed && step_ == Step::kSelecting && !restoreToken_.isEmpty()) {
    // The request carried the token (xdg-desktop-portal refuses a token that is not a UUID):
    // without it, the user is asked.
    qCInfo(lcPortal) << "the request with the restore token failed: asking without it";
    restoreToken_.clear();
    StopListening();
    Close();
    emit TokenRefused();
    return Create();
  }
  step_ = Step::kOver;
  StopListening();
  emit Failed(loss);
}

void PortalSession::GiveUp() {
  if (step_ == Step::kOver) return;
  step_ = Step::kOver;
  StopListening();
  emit Unavailable();
}

void PortalSession::End() {
  StopListening();
  if (sessionPath_.isEmpty()) {
    emit Ended();
    return;
  }
  auto* watcher = new QDBusPendingCallWatcher(
      QDBusConnection::sessionBus().asyncCall(CloseCall(sessionPath_)), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            StopHearingClosed();
            emit Ended();
          });
}

void PortalSession::Close() {
  if (sessionPath_.isEmpty()) return;
  QDBusConnection::sessionBus().call(CloseCall(sessionPath_), QDBus::NoBlock);
  StopHearingClosed();
}

void PortalSession::StopHearingClosed() {
  QDBusConnection::sessionBus().disconnect(kService, sessionPath_, kSession,
                                           QStringLiteral("Closed"), this,
                                           SLOT(OnSessionClosed(QVariantMap)));
  sessionPath_.clear();
}

void PortalSession::StopListening() {
  if (requestPath_.isEmpty()) return;
  QDBusConnection::sessionBus().disconnect(kService, requestPath_, kRequest,
                                           QStringLiteral("Response"), this,
                                           SLOT(OnResponse(uint, QVariantMap)));
  requestPath_.clear();
}

}  // namespace hueclip::portal
