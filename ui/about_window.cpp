#include "ui/about_window.h"

#include <array>

#include "resources/product.h"

namespace hueclip {
namespace {

// clang-format off
#define HUECLIP_CRLF "\r\n"
// The first four labels are padded to 12 characters so their values line up in a fixed-pitch
// font; the long sentences are broken by hand, each break after a space.
constexpr char kHelp[] =
    "VERSION:    1.1" HUECLIP_CRLF
    "WRITTEN BY: " HUECLIP_AUTHOR HUECLIP_CRLF
    "WEBSITE:    " HUECLIP_MAKER_HOST HUECLIP_CRLF
    "DATE:       10/11/2003" HUECLIP_CRLF
    HUECLIP_CRLF
    "Press \"F\" to freeze" HUECLIP_CRLF
    "Press \"W\" to move pixel selection up" HUECLIP_CRLF
    "Press \"S\" to move pixel selection down" HUECLIP_CRLF
    "Press \"A\" to move pixel selection left" HUECLIP_CRLF
    "Press \"D\" to move pixel selection right" HUECLIP_CRLF
    HUECLIP_CRLF
    "Pixel selection is shown by the pink " HUECLIP_CRLF
    "border." HUECLIP_CRLF
    HUECLIP_CRLF
    "Fields can be copied to the clipboard by " HUECLIP_CRLF
    "clicking on them (you might want to freeze " HUECLIP_CRLF
    "it first). All data can be copied to " HUECLIP_CRLF
    "clipboard by pressing \"C\"." HUECLIP_CRLF;
#undef HUECLIP_CRLF
// clang-format on

constexpr FontDesc kCourierNew{"Courier New", 8.25, 400};

constexpr std::array<ControlDesc, 1> kControls{{
    {.kind = ControlKind::TextBox,
     .name = "Text1",
     .rect = {45, 45, 4560, 4065},
     .caption = kHelp,
     .back = kSysWindowBackground,
     .fore = kSysWindowText,
     .bordered = true,
     .tabIndex = 0,
     .font = &kCourierNew},
}};

}  // namespace

const char* const kHelpText = kHelp;

const WindowDesc kFrmAbout{
    .name = "frmAbout",
    .title = "About Hueclip",
    .clientWidth = 4680,
    .clientHeight = 4215,
    .frame = Frame::FixedDialog,
    .taskbarButton = false,
    .back = kSysButtonFace,
    .controls = kControls,
};

}  // namespace hueclip
