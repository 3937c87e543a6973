#include "platform/portal/stream_intake.h"

#include <spa/buffer/meta.h>

#include <algorithm>

namespace hueclip::portal {
namespace {

// Buffers that carry only the cursor have no picture: their chunk is empty (mutter) or marked
// corrupted.
bool HoldsPicture(const spa_buffer& b) {
  const auto* header = static_cast<const spa_meta_header*>(
      spa_buffer_find_meta_data(&b, SPA_META_Header, sizeof(spa_meta_header)));
  if (header != nullptr && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED) != 0) return false;
  if (b.n_datas < 1) return false;
  const spa_chunk* chunk = b.datas[0].chunk;
  return chunk->size > 0 && (chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0;
}

}  // namespace

void StreamIntake::SetFormat(int width, int height, PixelOrder order) {
  Forget();
  width_ = width;
  height_ = height;
  order_ = order;
}

void StreamIntake::Forget() {
  frame_ = {};
  std::vector<std::uint8_t>().swap(copy_);
}

void StreamIntake::Take(const spa_buffer& buffer) {
  ReadCursor(buffer);
  if (!HoldsPicture(buffer)) return;
  const spa_data& data = buffer.datas[0];
  const FrameView view =
      MakeFrameView(data.data, data.maxsize, data.chunk->offset, data.chunk->size,
                    data.chunk->stride, width_, height_, order_);
  if (!view.Empty()) frame_ = CopyFrame(view, copy_);
}

void StreamIntake::ReadCursor(const spa_buffer& buffer) {
  const auto* cursor = static_cast<const spa_meta_cursor*>(
      spa_buffer_find_meta_data(&buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
  if (cursor == nullptr) return;
  // An invalid cursor: the pointer is not on this monitor, or hidden. mutter and KWin also mark
  // it valid on every monitor that the cursor's image touches, with a position outside that
  // monitor's frame: the pointer is on a neighbour then.
  const std::int32_t x = cursor->position.x, y = cursor->position.y;
  PointerReport report;
  if (spa_meta_cursor_is_valid(cursor) && width_ > 0 && height_ > 0 && x >= 0 && y >= 0 &&
      x <= width_ && y <= height_) {
    report = {
        x == width_ || y == height_ ? PointerReport::Where::kOnFarEdge : PointerReport::Where::kOn,
        std::min(x, width_ - 1), std::min(y, height_ - 1)};
  }
  onPointer_(report);
}

}  // namespace hueclip::portal
