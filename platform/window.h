#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"
#include "platform/window_desc.h"

namespace hueclip {

class Window;

// Shift state bits passed with a key press.
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

// What a window's owner hears from it. Every handler runs to completion on the UI thread
// before the next event is delivered.
class WindowEvents {
 public:
  virtual void Form_Load() {}
  // keyCode is the Windows virtual-key code (a letter by its upper-case code).
  virtual void Form_KeyDown(std::int16_t /*keyCode*/, std::int16_t /*shift*/) {}
  virtual void Click(std::size_t /*control*/) {}
  virtual void Tick(std::size_t /*timer*/) {}

 protected:
  ~WindowEvents() = default;
};

// A control of a window: its description and the properties that change at run time, stored
// exactly as set. The window's native peer is told of every change and redraws from here.
class Control {
 public:
  Control(Window& owner, std::size_t id, const ControlDesc& desc);

  const ControlDesc& desc() const { return *desc_; }
  std::size_t id() const { return id_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string text);
  Colour FillColor() const { return fill_; }
  void SetFillColor(Colour colour);
  Colour BorderColor() const { return border_; }
  void SetBorderColor(Colour colour);
  int Interval() const { return interval_; }
  void SetInterval(int milliseconds);

 private:
  friend class Window;
  void Changed();
  void Reset();

  Window* owner_;
  std::size_t id_;
  const ControlDesc* desc_;
  std::string caption_;
  Colour fill_;
  Colour border_;
  int interval_ = 0;
};

// A backend's native window for one Window, built from its description and controls.
class WindowPeer {
 public:
  virtual ~WindowPeer() = default;
  virtual WindowHandle Handle() const = 0;
  virtual void CaptionChanged() = 0;
  virtual void ControlChanged(std::size_t control) = 0;
  virtual void Show() = 0;
  // Shows the window modally: the program's other windows take no input until the user closes
  // it, and only then does this return.
  virtual void ShowModal() = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual std::unique_ptr<WindowPeer> CreatePeer(Window& window) = 0;
  // A modal message box, titled with the program's name, over `owner`.
  virtual void MessageBox(Window& owner, std::string_view text) = 0;
  // Shows `main` and runs the event loop until the user closes it; returns the exit code.
  virtual int Run(Window& main) = 0;
};

// A window of the program: built from its description when first shown, its native window
// made by the toolkit. Backends deliver input through KeyDown, Clicked and TimerFired.
class Window {
 public:
  Window(Toolkit& toolkit, const WindowDesc& desc, WindowEvents& events);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const WindowDesc& desc() const { return *desc_; }
  std::size_t ControlCount() const { return controls_.size(); }
  Control& control(std::size_t id) { return controls_[id]; }
  const Control& control(std::size_t id) const { return controls_[id]; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string title);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool on) { keyPreview_ = on; }
  // 0 while the window is not loaded.
  WindowHandle hWnd() const;
  bool Loaded() const { return peer_ != nullptr; }

  // Loads the window if needed (native window, then Form_Load) and shows it.
  void Show();
  // As Show, modally; returns when the user has closed the window, which then unloads: the
  // next show builds it again from its description.
  void ShowModal();
  // Loads without showing, for a toolkit whose event loop shows the window itself.
  void Load();

  // Input from the backend. A key reaches Form_KeyDown only while key preview is on.
  void KeyDown(std::int16_t keyCode, std::int16_t shift);
  void Clicked(std::size_t control);
  void TimerFired(std::size_t timer);

 private:
  friend class Control;
  void ControlChanged(std::size_t id);
  void Reset();

  Toolkit* toolkit_;
  const WindowDesc* desc_;
  WindowEvents* events_;
  std::vector<Control> controls_;
  std::string caption_;
  bool keyPreview_ = false;
  std::unique_ptr<WindowPeer> peer_;
};

}  // namespace hueclip
