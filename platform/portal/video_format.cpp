#include "platform/portal/video_format.h"

#include <spa/param/format-utils.h>
#include <spa/param/video/format.h>
#include <spa/pod/parser.h>

namespace hueclip::portal {
namespace {

constexpr std::uint32_t kMaxSide = 16384;

struct Offered {
  std::uint32_t format;
  PixelOrder order;
};
constexpr Offered kOffered[] = {{SPA_VIDEO_FORMAT_BGRx, PixelOrder::kBgrx},
                                {SPA_VIDEO_FORMAT_BGRA, PixelOrder::kBgrx},
                                {SPA_VIDEO_FORMAT_RGBx, PixelOrder::kRgbx},
                                {SPA_VIDEO_FORMAT_RGBA, PixelOrder::kRgbx}};

}  // namespace

const spa_pod* OfferFormats(spa_pod_builder* b, int maxFramesPerSecond) {
  spa_rectangle size{640, 480}, minSize{1, 1}, maxSize{kMaxSide, kMaxSide};
  spa_fraction anyRate{0, 1}, maxRate{static_cast<std::uint32_t>(maxFramesPerSecond), 1},
      minRate{1, 1};
  spa_pod_frame frame{};
  spa_pod_builder_push_object(b, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
  spa_pod_builder_add(b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                      SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
  // The first choice is the preferred one, then every choice.
  spa_pod_frame choice{};
  spa_pod_builder_prop(b, SPA_FORMAT_VIDEO_format, 0);
  spa_pod_builder_push_choice(b, &choice, SPA_CHOICE_Enum, 0);
  spa_pod_builder_id(b, kOffered[0].format);
  for (const Offered& offered : kOffered) spa_pod_builder_id(b, offered.format);
  spa_pod_builder_pop(b, &choice);
  spa_pod_builder_add(
      b, SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize),
      SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&anyRate), SPA_FORMAT_VIDEO_maxFramerate,
      SPA_POD_CHOICE_RANGE_Fraction(&maxRate, &minRate, &maxRate), 0);
  return static_cast<const spa_pod*>(spa_pod_builder_pop(b, &frame));
}

std::optional<VideoFormat> ReadVideoFormat(const spa_pod* param) {
  std::uint32_t mediaType = 0, mediaSubtype = 0;
  if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
      mediaSubtype != SPA_MEDIA_SUBTYPE_raw)
    return std::nullopt;
  // The format is read as the number it is: a value outside the enum is no spa_video_format.
  VideoFormat format;
  spa_rectangle size{};
  if (spa_pod_parse_object(param, SPA_TYPE_OBJECT_Format, nullptr, SPA_FORMAT_VIDEO_format,
                           SPA_POD_Id(&format.format), SPA_FORMAT_VIDEO_size,
                           SPA_POD_Rectangle(&size)) < 0)
    return format;
  format.width = size.width;
  format.height = size.height;
  if (size.width < 1 || size.height < 1 || size.width > kMaxSide || size.height > kMaxSide)
    return format;
  for (const Offered& offered : kOffered)
    if (offered.format == format.format) format.order = offered.order;
  return format;
}

}  // namespace hueclip::portal
