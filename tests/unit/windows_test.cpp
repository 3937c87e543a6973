#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/twips.h"
#include "tests/fake/fake_platform.h"
#include "ui/about_window.h"
#include "ui/main_window.h"

namespace hueclip {
namespace {

const ControlDesc& Desc(std::size_t id) { return kFrmHueclip.controls[id]; }

TEST(Twips, PixelsAtCommonDpis) {
  EXPECT_EQ(TwipsToPixels(1695, 96), 113);
  EXPECT_EQ(TwipsToPixels(3375, 96), 225);
  EXPECT_EQ(TwipsToPixels(-180, 96), -12);
  EXPECT_EQ(TwipsToPixels(195, 144), 20);  // 150 %: 10 twips a pixel
  EXPECT_EQ(TwipsToPixels(45, 192), 6);    // 200 %: 7.5 twips a pixel
  EXPECT_EQ(TwipsToPixels(-180, 192), -24);
  const PixelRect cell = TwipsToPixels(Desc(main_ids::pix0 + 12).rect, 96);
  EXPECT_EQ(cell.left, 51);
  EXPECT_EQ(cell.top, 42);
  EXPECT_EQ(cell.width, 16);
  EXPECT_EQ(cell.height, 16);
  // At 120 dpi (12 twips a pixel) sizes follow the rounded edges: the gaps stay positive.
  for (int i = 0; i + 1 < 5; ++i) {
    const PixelRect a = TwipsToPixels(Desc(main_ids::pix0 + i).rect, 120);
    const PixelRect b = TwipsToPixels(Desc(main_ids::pix0 + i + 1).rect, 120);
    EXPECT_GT(b.left, a.left + a.width);
  }
}

TEST(MainWindowLayout, LabelsButtonAndLinkAsDesigned) {
  EXPECT_EQ(kFrmHueclip.clientWidth, 1695);
  EXPECT_EQ(kFrmHueclip.clientHeight, 3375);
  EXPECT_STREQ(kFrmHueclip.title, "Hueclip");
  // Caption labels all end at 420, in a column left of the value labels.
  for (std::size_t id : {main_ids::Label4, main_ids::Label5, main_ids::Label6, main_ids::Label7}) {
    EXPECT_EQ(Desc(id).rect.left + Desc(id).rect.width, 420) << Desc(id).name;
    EXPECT_EQ(Desc(id).align, id == main_ids::Label7 ? Align::Left : Align::Right);
  }
  // Each value label shares its caption label's top and is 45 twips taller.
  const std::pair<std::size_t, std::size_t> rows[] = {{main_ids::Label7, main_ids::lblPos},
                                                      {main_ids::Label4, main_ids::lblHex},
                                                      {main_ids::Label5, main_ids::lblRGB},
                                                      {main_ids::Label6, main_ids::lblLong}};
  for (auto [caption, value] : rows) {
    EXPECT_EQ(Desc(caption).rect.top, Desc(value).rect.top);
    EXPECT_EQ(Desc(value).rect.height, Desc(caption).rect.height + 45);
    EXPECT_STREQ(Desc(value).caption, "lblPos");
    EXPECT_TRUE(Desc(value).bordered);
    EXPECT_EQ(Desc(value).back, kSysWindowBackground);
  }
  EXPECT_EQ(Desc(main_ids::lblVisitQL).fore, 0xFF0000);
  EXPECT_EQ(Desc(main_ids::lblVisitQL).pointer, Pointer::Hand);
  EXPECT_STREQ(Desc(main_ids::Command1).caption, "Help/About");
  // Tab order runs 0 to 9 over the labels, button and link; nothing else is in it.
  std::vector<int> tabs;
  for (const ControlDesc& c : kFrmHueclip.controls)
    if (c.tabIndex >= 0) tabs.push_back(c.tabIndex);
  std::sort(tabs.begin(), tabs.end());
  EXPECT_EQ(tabs, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
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
  EXPECT_EQ(kFrmAbout.frame, Frame::FixedDialog);
  EXPECT_FALSE(kFrmAbout.taskbarButton);
}

class MainWindowClicks : public ::testing::Test {
 protected:
  MainWindowClicks() { main.form().Show(); }
  fake::FakePlatform p;
  MainWindow main{p.services};
};

TEST_F(MainWindowClicks, EachValueLabelCopiesItsCaptionUnchanged) {
  main.form().Clicked(main_ids::lblPos);  // before the first refresh
  EXPECT_EQ(p.clipboard.text, "lblPos");
  p.screen.pixel = [](std::int32_t, std::int32_t) { return Colour{0x00563412}; };
  p.screen.cursor = {3, 77};
  p.screen.width = 1000;
  main.form().TimerFired(main_ids::Timer1);
  const std::pair<std::size_t, const char*> labels[] = {{main_ids::lblPos, "3, 77"},
                                                        {main_ids::lblHex, "#123456"},
                                                        {main_ids::lblRGB, "18 52 86"},
                                                        {main_ids::lblLong, "5649426"}};
  for (auto [id, want] : labels) {
    main.form().Clicked(id);
    EXPECT_EQ(p.clipboard.text, want);
  }
}

TEST_F(MainWindowClicks, CaptionLabelsCellsAndBackgroundDoNothing) {
  for (std::size_t id : {main_ids::Label4, main_ids::Label7, main_ids::pix0, main_ids::pix0 + 12,
                         main_ids::kCount}) {
    main.form().Clicked(id);
  }
  EXPECT_EQ(p.clipboard.attempts, 0);
  EXPECT_TRUE(p.shell.calls.empty());
  EXPECT_EQ(main.frmAbout(), nullptr);
}

TEST_F(MainWindowClicks, LinkOpensTheMakersPageOncePerClick) {
  main.form().Clicked(main_ids::lblVisitQL);
  main.form().Clicked(main_ids::lblVisitQL);
  ASSERT_EQ(p.shell.calls.size(), 2u);
  EXPECT_EQ(p.shell.calls[0].owner, main.form().hWnd());
  EXPECT_NE(p.shell.calls[0].owner, 0u);
  EXPECT_EQ(p.shell.calls[0].operation, "open");
  EXPECT_EQ(p.shell.calls[0].file, "https://www.quorvanelabs.com/");
}

TEST_F(MainWindowClicks, AboutIsMadeOnceAndShownModallyEachTime) {
  std::vector<std::string> seen;
  p.toolkit.whileModal = [&](Window& w) {
    seen.push_back(w.Caption() + "|" + w.control(about_ids::Text1).Caption());
  };
  main.Command1_Click();
  AboutWindow* first = main.frmAbout();
  ASSERT_NE(first, nullptr);
  main.form().Clicked(main_ids::Command1);
  EXPECT_EQ(main.frmAbout(), first);
  EXPECT_EQ(p.toolkit.Built("frmAbout"), 2);  // closing unloads; the next show builds again
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(seen[0], std::string("About Hueclip|") + kHelpText);
  EXPECT_FALSE(first->form().Loaded());
  // The picker is untouched by it.
  EXPECT_EQ(main.picker().SelIndex, 12);
  EXPECT_EQ(p.clipboard.attempts, 0);
}

}  // namespace
}  // namespace hueclip
