#include <gtest/gtest.h>

#include <string>

#include "platform/twips.h"
#include "ui/about_window.h"
#include "ui/main_window.h"

namespace hueclip {
namespace {

const ControlDesc& Desc(std::size_t id) { return kFrmHueclip.controls[id]; }

// 96 dpi is checked end to end by the acceptance suite (window size, cells, labels).
TEST(Twips, PixelsAtHigherDpis) {
  EXPECT_EQ(TwipsToPixels(195, 144), 20);  // 150 %: 10 twips a pixel
  EXPECT_EQ(TwipsToPixels(45, 192), 6);    // 200 %: 7.5 twips a pixel
  EXPECT_EQ(TwipsToPixels(-180, 192), -24);
  // At 120 dpi (12 twips a pixel) sizes follow the rounded edges: the gaps stay positive.
  for (int i = 0; i + 1 < 5; ++i) {
    const PixelRect a = TwipsToPixels(Desc(main_ids::pix0 + i).rect, 120);
    const PixelRect b = TwipsToPixels(Desc(main_ids::pix0 + i + 1).rect, 120);
    EXPECT_GT(b.left, a.left + a.width);
  }
}

TEST(MainWindowLayout, NoTwoVisibleControlsOverlap) {
  const auto& cs = kFrmHueclip.controls;
  for (std::size_t a = 0; a < cs.size(); ++a) {
    for (std::size_t b = a + 1; b < cs.size(); ++b) {
      if (cs[a].kind == ControlKind::Timer || cs[b].kind == ControlKind::Timer) continue;
      const TwipsRect& r = cs[a].rect;
      const TwipsRect& s = cs[b].rect;
      const bool apart = r.left + r.width <= s.left || s.left + s.width <= r.left ||
                         r.top + r.height <= s.top || s.top + s.height <= r.top;
      EXPECT_TRUE(apart) << cs[a].name << cs[a].index << " and " << cs[b].name << cs[b].index;
    }
  }
}

// The acceptance suite checks the words through the clipboard, where Qt hands out LF only; the
// CR LF line breaks, which a Windows text box needs, are checked here.
TEST(AboutWindow, HelpTextHasEighteenCrLfLinesAndEndsInOne) {
  const std::string text = kHelpText;
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at, ++lines)
    EXPECT_EQ(text[at - 1], '\r') << "bare line feed after line " << lines + 1;
  EXPECT_EQ(lines, 18u);
  EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace hueclip
