#include <gtest/gtest.h>
#include <spa/param/video/format.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/portal/frame_pixels.h"
#include "platform/portal/stream_intake.h"
#include "platform/portal/video_format.h"
#include "recorded_buffer.h"

namespace hueclip::portal {
namespace {

// A 3 x 2 frame, rows 16 bytes apart (4 bytes of padding each), its pixels numbered so that
// every byte differs: pixel n holds bytes 0xn1 0xn2 0xn3 0xn4.
std::vector<std::uint8_t> NumberedFrame() {
  std::vector<std::uint8_t> bytes(2 * 16, 0xEE);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(y * 16 + x * 4 + i)] =
            static_cast<std::uint8_t>(((y * 3 + x) << 4) | (i + 1));
  return bytes;
}

// In the frame, and in a copy of it that holds the same pixels without the padding once the
// buffer has gone back to the compositor and been written over.
TEST(PortalFramePixels, EachByteOrderGivesRedInTheLowByte) {
  std::vector<std::uint8_t> bytes = NumberedFrame();
  const FrameView bgrx =
      MakeFrameView(bytes.data(), bytes.size(), 0, bytes.size(), 16, 3, 2, PixelOrder::kBgrx);
  const FrameView rgbx =
      MakeFrameView(bytes.data(), bytes.size(), 0, bytes.size(), 16, 3, 2, PixelOrder::kRgbx);
  // Pixel 5 (x 2, y 1): bytes 51 52 53 54. BGRx: blue 51, green 52, red 53.
  EXPECT_EQ(bgrx.PixelAt(2, 1), 0x515253);
  EXPECT_EQ(rgbx.PixelAt(2, 1), 0x535251);
  // The first pixel of the second row starts one stride in, past the padding.
  EXPECT_EQ(bgrx.PixelAt(0, 1), 0x313233);
  EXPECT_EQ(bgrx.PixelAt(0, 0), 0x010203);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {1 << 30, 1 << 30}})
    EXPECT_EQ(bgrx.PixelAt(x, y), -1) << x << "," << y;
  EXPECT_EQ(FrameView{}.PixelAt(0, 0), -1);

  std::vector<std::uint8_t> storage;
  const FrameView copy = CopyFrame(rgbx, storage);
  std::fill(bytes.begin(), bytes.end(), 0);
  EXPECT_EQ(storage.size(), 24u);
  for (int n = 0; n < 6; ++n)
    EXPECT_EQ(copy.PixelAt(n % 3, n / 3), (n << 4 | 1) | (n << 4 | 2) << 8 | (n << 4 | 3) << 16);
  EXPECT_TRUE(CopyFrame(FrameView{}, storage).Empty());
}

// Only the rows that lie in the buffer are in the view; a buffer that cannot hold one gives none.
TEST(PortalFramePixels, OnlyRowsInsideTheBufferAreRead) {
  const std::vector<std::uint8_t> bytes = NumberedFrame();
  const struct {
    std::size_t capacity, offset, size;
    std::int64_t stride;
    int width, rows;
    std::int32_t last;  // the first pixel of the view's last row
  } cases[] = {
      {32, 16, 16, 16, 3, 1, 0x313233},  // the chunk starts at the frame's second row
      // A chunk that claims more than the buffer holds is cut to the buffer; the last row needs
      // only its pixels (12 bytes), not the whole stride.
      {28, 0, 1000, 16, 3, 2, 0x313233},
      {27, 0, 1000, 16, 3, 1, 0x010203},
      {32, 0, 32, 0, 4, 2, 0x313233},  // stride 0 means packed rows
      {32, 0, 32, 8, 3, 0, -1},        // stride shorter than a row of 3 pixels
      {32, 0, 32, -16, 3, 0, -1},      // bottom-up rows are not sent by compositors
      {32, 0, 11, 16, 3, 0, -1},       // not even one row
      {32, 40, 32, 16, 3, 0, -1},      // offset beyond the buffer
      {32, 24, 32, 16, 3, 0, -1},      // 8 bytes left after the offset
  };
  for (const auto& c : cases) {
    const FrameView view = MakeFrameView(bytes.data(), c.capacity, c.offset, c.size, c.stride,
                                         c.width, 2, PixelOrder::kBgrx);
    SCOPED_TRACE(::testing::Message()
                 << c.capacity << " " << c.offset << " " << c.size << " " << c.stride);
    EXPECT_EQ(view.Empty() ? 0 : view.height, c.rows);
    EXPECT_EQ(view.PixelAt(0, c.rows - 1), c.last);
    EXPECT_EQ(view.PixelAt(0, c.rows), -1);
  }
  EXPECT_TRUE(MakeFrameView(nullptr, 32, 0, 32, 16, 3, 2, PixelOrder::kBgrx).Empty());
}

// The format a compositor chose gives pixels only when it is one offered, at a size offered,
// whatever number it sends.
TEST(PortalVideoFormat, OnlyTheFormatsAndSizesOfferedAreRead) {
  const auto chosen = [](std::uint32_t media, std::uint32_t format, spa_rectangle size) {
    static std::uint8_t storage[256];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    return ReadVideoFormat(static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_Format, SPA_FORMAT_mediaType, SPA_POD_Id(media),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_Id(format), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size))));
  };
  const struct {
    std::uint32_t format;
    spa_rectangle size;
    int order;  // -1: no picture
  } cases[] = {
      {SPA_VIDEO_FORMAT_BGRx, {1920, 1080}, int(PixelOrder::kBgrx)},
      {SPA_VIDEO_FORMAT_BGRA, {1, 1}, int(PixelOrder::kBgrx)},
      {SPA_VIDEO_FORMAT_RGBx, {16384, 16384}, int(PixelOrder::kRgbx)},
      {SPA_VIDEO_FORMAT_RGBA, {640, 480}, int(PixelOrder::kRgbx)},
      {SPA_VIDEO_FORMAT_xRGB, {640, 480}, -1},
      {SPA_VIDEO_FORMAT_YUY2, {640, 480}, -1},
      {0x7FFFFFFF, {640, 480}, -1},  // no spa_video_format at all
      {SPA_VIDEO_FORMAT_BGRx, {0, 480}, -1},
      {SPA_VIDEO_FORMAT_BGRx, {16385, 480}, -1},
      {SPA_VIDEO_FORMAT_BGRx, {640, 0x80000000}, -1},
  };
  for (const auto& c : cases) {
    const std::optional<VideoFormat> format = chosen(SPA_MEDIA_TYPE_video, c.format, c.size);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->order ? int(*format->order) : -1, c.order)
        << c.format << " " << c.size.width << "x" << c.size.height;
  }
  EXPECT_FALSE(chosen(SPA_MEDIA_TYPE_audio, SPA_VIDEO_FORMAT_BGRx, {640, 480}));
}

// A 4 x 3 monitor's stream fed as mutter feeds it: pictures, and between them buffers that carry
// only the pointer (where the pointer is: PortalPointerTracker). Each buffer goes back to the
// compositor once read, which writes its next picture into it.
TEST(PortalStreamIntake, PicturesAreKeptAndEveryBufferGoesBackAtOnce) {
  int told = 0;
  StreamIntake intake([&](const PointerReport&) { ++told; });
  intake.SetFormat(4, 3, PixelOrder::kBgrx);
  std::vector<std::uint8_t> memory(4 * 3 * 4);
  const struct {
    std::uint8_t fill;  // the picture's bytes; 0: a cursor-only buffer
    bool corrupted;
    std::int32_t pixel;  // the kept picture at (3, 2)
  } steps[] = {
      {0x10, false, 0x101010},  // a picture
      {0, false, 0x101010},     // the pointer moves over it
      {0x20, true, 0x101010},   // a damaged picture is not kept
      {0x30, false, 0x303030},  // a new one is
      {0, false, 0x303030},
  };
  const std::uint8_t* kept = nullptr;
  for (const auto& s : steps) {
    std::fill(memory.begin(), memory.end(), s.fill);
    const RecordedBuffer buffer(memory.data(), s.fill ? 48 : 0, 16, {true, 1, 1}, s.corrupted);
    intake.Take(*buffer);
    std::fill(memory.begin(), memory.end(), 0xEE);  // back with the compositor
    EXPECT_EQ(told, &s - steps + 1) << "the pointer's position not passed on";
    EXPECT_EQ(intake.Frame().PixelAt(3, 2), s.pixel) << int{s.fill};
    // One picture's memory, reused by the next one of its size.
    if (kept == nullptr) kept = intake.Frame().data;
    EXPECT_EQ(intake.Frame().data, kept);
  }
  intake.SetFormat(8, 6, PixelOrder::kRgbx);  // a new format: no picture yet
  EXPECT_TRUE(intake.Frame().Empty());
}

}  // namespace
}  // namespace hueclip::portal
