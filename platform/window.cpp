#include "platform/window.h"

#include <utility>

namespace hueclip {

Control::Control(Window& owner, std::size_t id, const ControlDesc& desc)
    : owner_(&owner),
      id_(id),
      desc_(&desc),
      caption_(desc.caption),
      fill_(desc.fill),
      border_(desc.border) {}

void Control::Reset() {
  caption_ = desc_->caption;
  fill_ = desc_->fill;
  border_ = desc_->border;
  interval_ = 0;
}

// A setter that leaves the value as it was tells the native window nothing, so an unchanged
// readout or cell costs no repaint on a tick.
void Control::SetCaption(std::string text) {
  if (text == caption_) return;
  caption_ = std::move(text);
  Changed();
}

void Control::SetFillColor(Colour colour) {
  if (colour == fill_) return;
  fill_ = colour;
  Changed();
}

void Control::SetBorderColor(Colour colour) {
  if (colour == border_) return;
  border_ = colour;
  Changed();
}

void Control::SetInterval(int milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Changed();
}

void Control::Changed() { owner_->ControlChanged(id_); }

Window::Window(Toolkit& toolkit, const WindowDesc& desc, WindowEvents& events)
    : toolkit_(&toolkit), desc_(&desc), events_(&events), caption_(desc.title) {
  // Built once: controls keep their addresses for the window's whole life.
  controls_.reserve(desc.controls.size());
  for (const ControlDesc& c : desc.controls) controls_.emplace_back(*this, controls_.size(), c);
}

Window::~Window() = default;

void Window::Reset() {
  for (Control& c : controls_) c.Reset();
  caption_ = desc_->title;
  keyPreview_ = false;
}

void Window::SetCaption(std::string title) {
  caption_ = std::move(title);
  if (peer_) peer_->CaptionChanged();
}

WindowHandle Window::hWnd() const { return peer_ ? peer_->Handle() : 0; }

void Window::Load() {
  if (peer_) return;
  peer_ = toolkit_->CreatePeer(*this);
  events_->Form_Load();
}

void Window::Show() {
  Load();
  peer_->Show();
}

void Window::ShowModal() {
  Load();
  peer_->ShowModal();
  peer_.reset();
  Reset();
}

void Window::KeyDown(std::int16_t keyCode, std::int16_t shift) {
  if (keyPreview_) events_->Form_KeyDown(keyCode, shift);
}

void Window::Clicked(std::size_t control) { events_->Click(control); }

void Window::TimerFired(std::size_t timer) { events_->Tick(timer); }

void Window::ControlChanged(std::size_t id) {
  if (peer_) peer_->ControlChanged(id);
}

}  // namespace hueclip
