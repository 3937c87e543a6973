#pragma once

#include <spa/pod/builder.h>

#include <cstdint>
#include <optional>

#include "platform/portal/frame_pixels.h"

namespace hueclip::portal {

// The formats offered to the compositor for a monitor's stream: every 4-byte RGB order a
// compositor sends screens in, any size up to 16384 pixels a side, at most `maxFramesPerSecond`
// (fewer when nothing changes). No DMA-BUF modifiers are offered, so the buffers come in CPU
// memory.
const spa_pod* OfferFormats(spa_pod_builder* builder, int maxFramesPerSecond);

// The raw-video format that the compositor chose, its values as it sent them.
struct VideoFormat {
  std::uint32_t format = 0;  // a spa_video_format, or whatever number was sent
  std::uint32_t width = 0, height = 0;
  // The byte order of its pixels when it is one of the formats offered, at a size offered;
  // nothing otherwise: then no picture of it can be read.
  std::optional<PixelOrder> order;
};

// The format in a SPA_PARAM_Format object; nothing when it is not raw video.
std::optional<VideoFormat> ReadVideoFormat(const spa_pod* param);

}  // namespace hueclip::portal
