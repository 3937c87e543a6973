#include "platform/portal/pipewire_connection.h"

#include <unistd.h>

#include <cerrno>

#include <spa/utils/result.h>

#include <QSocketNotifier>

#include "platform/portal/log.h"

namespace hueclip::portal {

PipeWireConnection::PipeWireConnection(int fd, std::function<void()> onLost,
                                       std::function<void(std::uint32_t)> onNodeGone)
    : onLost_(std::move(onLost)), onNodeGone_(std::move(onNodeGone)) {
  pw_init(nullptr, nullptr);
  loop_ = pw_loop_new(nullptr);
  if (loop_ == nullptr) {
    close(fd);
    return;
  }
  // The loop belongs to this thread for good: its callbacks run inside pw_loop_iterate here.
  pw_loop_enter(loop_);
  notifier_ = std::make_unique<QSocketNotifier>(pw_loop_get_fd(loop_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                   [this] { pw_loop_iterate(loop_, 0); });
  context_ = pw_context_new(loop_, nullptr, 0);
  if (context_ == nullptr) {
    close(fd);
    return;
  }
  core_ = pw_context_connect_fd(context_, fd, nullptr, 0);  // closes fd when done with it
  if (core_ == nullptr) {
    qCInfo(lcPipeWire) << "cannot connect to PipeWire:" << spa_strerror(-errno);
    return;
  }
  coreEvents_.version = PW_VERSION_CORE_EVENTS;
  coreEvents_.error = &PipeWireConnection::OnCoreError;
  pw_core_add_listener(core_, &coreListener_, &coreEvents_, this);
  registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
  if (registry_ == nullptr) return;
  registryEvents_.version = PW_VERSION_REGISTRY_EVENTS;
  registryEvents_.global_remove = &PipeWireConnection::OnGlobalRemove;
  pw_registry_add_listener(registry_, &registryListener_, &registryEvents_, this);
}

PipeWireConnection::~PipeWireConnection() {
  if (registry_ != nullptr) {
    spa_hook_remove(&registryListener_);
    pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
  }
  if (core_ != nullptr) {
    spa_hook_remove(&coreListener_);
    pw_core_disconnect(core_);
  }
  if (context_ != nullptr) pw_context_destroy(context_);
  notifier_.reset();
  if (loop_ != nullptr) {
    pw_loop_leave(loop_);
    pw_loop_destroy(loop_);
  }
}

void PipeWireConnection::Dispatch() {
  if (loop_ != nullptr) pw_loop_iterate(loop_, 0);
}

void PipeWireConnection::OnGlobalRemove(void* self, std::uint32_t id) {
  static_cast<PipeWireConnection*>(self)->onNodeGone_(id);
}

void PipeWireConnection::OnCoreError(void* self, std::uint32_t id, int seq, int res,
                                     const char* message) {
  qCInfo(lcPipeWire).nospace() << "error on object " << id << " (seq " << seq
                               << "): " << spa_strerror(res) << ": " << message;
  // Errors about single objects reach their streams; a broken pipe on the core itself means
  // PipeWire is gone.
  auto* connection = static_cast<PipeWireConnection*>(self);
  if (id != PW_ID_CORE || res != -EPIPE || connection->broken_) return;
  connection->broken_ = true;
  connection->onLost_();
}

}  // namespace hueclip::portal
