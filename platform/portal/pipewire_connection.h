#pragma once

#include <pipewire/pipewire.h>

#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace hueclip::portal {

// A connection to the PipeWire remote that the screen-cast portal opened for us. Its loop runs
// on Qt's event loop: whenever the loop's descriptor has something, it is iterated once without
// waiting, on the user-interface thread, so no thread of its own is needed.
class PipeWireConnection {
 public:
  // Connects over `fd`, which it owns from now on. Called from the loop: `onLost` when the
  // connection breaks, `onNodeGone` with the id of each node that goes away (a stream whose
  // node went away is not told so itself: it just stops). Check Connected() afterwards.
  PipeWireConnection(int fd, std::function<void()> onLost,
                     std::function<void(std::uint32_t)> onNodeGone);
  // Destroy every stream on core() first.
  ~PipeWireConnection();
  PipeWireConnection(const PipeWireConnection&) = delete;
  PipeWireConnection& operator=(const PipeWireConnection&) = delete;

  bool Connected() const { return core_ != nullptr; }
  // Whether the connection broke (onLost was called): PipeWire went away.
  bool Broken() const { return broken_; }
  // Runs whatever the loop has pending at once, without waiting: a connection that broke is
  // told (onLost) before this returns.
  void Dispatch();
  pw_core* core() const { return core_; }

 private:
  static void OnCoreError(void* self, std::uint32_t id, int seq, int res, const char* message);
  static void OnGlobalRemove(void* self, std::uint32_t id);

  std::function<void()> onLost_;
  std::function<void(std::uint32_t)> onNodeGone_;
  pw_loop* loop_ = nullptr;
  pw_context* context_ = nullptr;
  pw_core* core_ = nullptr;
  spa_hook coreListener_{};
  pw_core_events coreEvents_{};
  pw_registry* registry_ = nullptr;
  spa_hook registryListener_{};
  pw_registry_events registryEvents_{};
  std::unique_ptr<QSocketNotifier> notifier_;
  bool broken_ = false;
};

}  // namespace hueclip::portal
