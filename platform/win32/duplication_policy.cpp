#include "platform/win32/duplication_policy.h"

namespace hueclip::win32 {

using Answer = DesktopDuplication::Answer;

DuplicationPolicy::~DuplicationPolicy() {
  if (state_ == State::kOpen || state_ == State::kKept) duplication_->Close();
}

void DuplicationPolicy::Close(State next) {
  duplication_->Close();
  state_ = next;
  readsRefused_ = 0;
}

DuplicationPolicy::Result DuplicationPolicy::Read(PixelRect area, std::uint16_t* rgba) {
  if (state_ == State::kRefused) {
    if (readsRefused_++ < kRetryAfter) return Result::kUseGdi;
    state_ = State::kClosed;
  }
  // A duplication lost on the way (a mode change, a desktop switch) is made again and read
  // once more; lost again, the pass gives up and the next one starts over.
  for (int attempt = 0; attempt < 2; ++attempt) {
    Answer answer = Answer::kDone;
    if (state_ == State::kClosed) {
      answer = duplication_->Open();
      if (answer == Answer::kDone) state_ = State::kOpen;
    }
    if (answer == Answer::kDone)
      answer = duplication_->Refresh(state_ == State::kOpen ? kFirstFrameWaitMs : 0);
    if (answer == Answer::kDone) state_ = State::kKept;
    // A still desktop sends no frame: the one kept is still what it shows.
    if (answer == Answer::kNoNewFrame && state_ == State::kKept) answer = Answer::kDone;
    if (answer == Answer::kDone) answer = duplication_->Read(area, rgba);
    switch (answer) {
      case Answer::kDone:
        return Result::kRead;
      case Answer::kNoNewFrame:
        // A new duplication without its first frame yet has nothing of its own to show.
        return Result::kUseGdi;
      case Answer::kLost:
        Close(State::kClosed);
        break;
      case Answer::kDenied:
        Close(State::kClosed);
        return Result::kUnreadable;
      case Answer::kUnavailable:
        Close(State::kRefused);
        return Result::kUseGdi;
    }
  }
  return Result::kUnreadable;
}

}  // namespace hueclip::win32
