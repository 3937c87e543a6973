#include "platform/portal/pipewire_stream.h"

#include <spa/buffer/type-info.h>
#include <spa/debug/types.h>
#include <spa/param/video/type-info.h>
#include <spa/pod/builder.h>

#include "platform/portal/log.h"
#include "platform/portal/video_format.h"

namespace hueclip::portal {
namespace {

constexpr int kMaxFramesPerSecond = 10;

// Cursor metadata with room for a width x height bitmap of 4-byte pixels. mutter sends the
// pointer's position only to a client that takes its whole cursor bitmap, 384 x 384 on
// mutter 43, so the range goes well beyond that.
constexpr int CursorMetaSize(int width, int height) {
  return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + width * height * 4;
}

const spa_pod* ObjectParam(spa_pod_builder* b, std::uint32_t type, std::uint32_t id,
                           const std::function<void()>& add) {
  spa_pod_frame frame{};
  spa_pod_builder_push_object(b, &frame, type, id);
  add();
  return static_cast<const spa_pod*>(spa_pod_builder_pop(b, &frame));
}

}  // namespace

MonitorStream::MonitorStream(pw_core* core, std::uint32_t nodeId,
                             std::function<void(const PointerReport&)> onPointer,
                             std::function<void()> onFailure)
    : nodeId_(nodeId), onFailure_(std::move(onFailure)), intake_(std::move(onPointer)) {
  events_.version = PW_VERSION_STREAM_EVENTS;
  events_.state_changed = &MonitorStream::OnStateChanged;
  events_.param_changed = &MonitorStream::OnParamChanged;
  events_.process = &MonitorStream::OnProcess;
  events_.add_buffer =
      [](void* self, pw_buffer* buffer) {
        const spa_buffer* b = buffer->buffer;
        if (b->n_datas < 1) return;
        qCDebug(lcPipeWire).nospace()
            << "node " << static_cast<MonitorStream*>(self)->nodeId_ << ": buffer of type "
            << spa_debug_type_find_short_name(spa_type_data_type, b->datas[0].type) << ", "
            << b->datas[0].maxsize << " bytes, " << b->n_metas << " metadata";
      };
  stream_ = pw_stream_new(core, "Hueclip",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                            "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
  if (stream_ == nullptr) return;
  pw_stream_add_listener(stream_, &listener_, &events_, this);
  if (!Connect()) {
    spa_hook_remove(&listener_);
    pw_stream_destroy(stream_);
    stream_ = nullptr;
  }
}

MonitorStream::~MonitorStream() {
  if (stream_ == nullptr) return;
  spa_hook_remove(&listener_);
  pw_stream_destroy(stream_);
}

bool MonitorStream::Connect() {
  std::uint8_t storage[1024];
  spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
  const spa_pod* params[] = {OfferFormats(&b, kMaxFramesPerSecond)};
  return pw_stream_connect(
             stream_, PW_DIRECTION_INPUT, nodeId_,
             static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
             params, 1) == 0;
}

void MonitorStream::Pause() {
  if (stream_ == nullptr || paused_) return;
  paused_ = true;
  intake_.Forget();
  pw_stream_set_active(stream_, false);
}

void MonitorStream::Resume() {
  if (stream_ == nullptr || !paused_) return;
  paused_ = false;
  // Whatever is still queued was sent around the pause and may be out of date; the compositor
  // sends a whole new frame once the stream is active again.
  while (pw_buffer* stale = pw_stream_dequeue_buffer(stream_))
    pw_stream_queue_buffer(stream_, stale);
  pw_stream_set_active(stream_, true);
}

void MonitorStream::OnStateChanged(void* self, pw_stream_state old, pw_stream_state state,
                                   const char* error) {
  const auto* stream = static_cast<MonitorStream*>(self);
  const QString change = QStringLiteral("node %1: %2 -> %3")
                             .arg(stream->nodeId_)
                             .arg(QLatin1String(pw_stream_state_as_string(old)),
                                  QLatin1String(pw_stream_state_as_string(state)));
  if (error != nullptr)
    qCInfo(lcPipeWire).noquote() << change + QStringLiteral(": ") + QString::fromUtf8(error);
  else
    qCDebug(lcPipeWire).noquote() << change;
  // A pause keeps the stream connected, so losing the connection always comes from outside:
  // the compositor's node went away.
  if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED)
    static_cast<MonitorStream*>(self)->onFailure_();
}

void MonitorStream::OnParamChanged(void* self, std::uint32_t id, const spa_pod* param) {
  auto* s = static_cast<MonitorStream*>(self);
  if (id != SPA_PARAM_Format || param == nullptr) return;
  const std::optional<VideoFormat> format = ReadVideoFormat(param);
  if (!format) {
    qCInfo(lcPipeWire) << "node" << s->nodeId_ << ": a format that is not raw video";
    return;
  }
  const char* name = spa_debug_type_find_short_name(spa_type_video_format, format->format);
  qCDebug(lcPipeWire).nospace() << "node " << s->nodeId_ << ": format "
                                << (name != nullptr ? name : "unknown") << " (" << format->format
                                << "), " << format->width << "x" << format->height;
  if (!format->order) {
    qCInfo(lcPipeWire) << "node" << s->nodeId_ << ": a format or size not offered: no picture";
    s->intake_.SetFormat(0, 0, PixelOrder::kBgrx);
    return;
  }
  s->intake_.SetFormat(static_cast<int>(format->width), static_cast<int>(format->height),
                       *format->order);

  // Few buffers (mutter would allocate 16), plain memory, and the metadata we read.
  std::uint8_t storage[1024];
  spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
  const spa_pod* params[] = {
      ObjectParam(&b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers,
                  [&] {
                    spa_pod_builder_add(
                        &b, SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(3, 2, 4),
                        SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1), SPA_PARAM_BUFFERS_dataType,
                        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr)),
                        0);
                  }),
      ObjectParam(&b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta,
                  [&] {
                    spa_pod_builder_add(&b, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
                                        SPA_PARAM_META_size,
                                        SPA_POD_Int(static_cast<int>(sizeof(spa_meta_header))), 0);
                  }),
      ObjectParam(&b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta,
                  [&] {
                    spa_pod_builder_add(
                        &b, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size,
                        SPA_POD_CHOICE_RANGE_Int(CursorMetaSize(64, 64), CursorMetaSize(1, 1),
                                                 CursorMetaSize(1024, 1024)),
                        0);
                  }),
  };
  pw_stream_update_params(s->stream_, params, 3);
}

void MonitorStream::OnProcess(void* self) {
  auto* s = static_cast<MonitorStream*>(self);
  // Everything that queued up since the last call, oldest first; what was sent around a pause
  // is out of date.
  while (pw_buffer* buffer = pw_stream_dequeue_buffer(s->stream_)) {
    if (!s->paused_) s->intake_.Take(*buffer->buffer);
    pw_stream_queue_buffer(s->stream_, buffer);
  }
}

}  // namespace hueclip::portal
