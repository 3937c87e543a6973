// One buffer as a compositor hands it to a monitor's stream, for the unit tests and the
// benchmark: the header and cursor metadata, and one block of memory holding the picture or, in
// a cursor-only buffer, nothing (an empty chunk, as mutter sends).
#pragma once

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>

#include <cstdint>

namespace hueclip::portal {

struct Cursor {
  bool valid = true;
  std::int32_t x = 0, y = 0;
};

class RecordedBuffer {
 public:
  // A picture of `size` bytes at `pixels` (0: cursor-only), rows `stride` apart, with `cursor`.
  RecordedBuffer(void* pixels, std::uint32_t size, std::int32_t stride, Cursor cursor,
                 bool corrupted = false) {
    header_.flags = corrupted ? SPA_META_HEADER_FLAG_CORRUPTED : 0;
    cursor_.id = cursor.valid ? 1 : 0;
    cursor_.position = {cursor.x, cursor.y};
    metas_[0] = {SPA_META_Header, sizeof header_, &header_};
    metas_[1] = {SPA_META_Cursor, sizeof cursor_, &cursor_};
    chunk_ = {0, size, stride, 0};
    data_.type = SPA_DATA_MemPtr;
    data_.maxsize = size;
    data_.data = pixels;
    data_.chunk = &chunk_;
    buffer_ = {2, 1, metas_, &data_};
  }
  RecordedBuffer(const RecordedBuffer&) = delete;
  RecordedBuffer& operator=(const RecordedBuffer&) = delete;
  const spa_buffer& operator*() const { return buffer_; }

 private:
  spa_meta_header header_{};
  spa_meta_cursor cursor_{};
  spa_meta metas_[2]{};
  spa_chunk chunk_{};
  spa_data data_{};
  spa_buffer buffer_{};
};

}  // namespace hueclip::portal
