#include "batch/terminal_window.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <exception>

#include "core/error.h"
#include "core/interrupts.h"

namespace snapnook {
namespace {

int TerminalColumns(std::FILE* stream) {
  winsize size{};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

TerminalWindow::TerminalWindow(Fields fields, std::FILE* err, bool progress, std::FILE* out)
    : fields_(std::move(fields)), err_(err), out_(out), progress_(progress) {}

void TerminalWindow::Report(const std::string& line) {
  FinishProgress();
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

bool TerminalWindow::IsChecked(CheckBox box) {
  switch (box) {
    case CheckBox::kCreateJpg:
      return fields_.create_jpg;
    case CheckBox::kCreate640:
      return fields_.create_640;
    case CheckBox::kCreateHtml:
      return fields_.create_html;
    case CheckBox::kModern:
      return fields_.modern;
  }
  return false;
}

void TerminalWindow::Uncheck(CheckBox box) {
  switch (box) {
    case CheckBox::kCreateJpg:
      fields_.create_jpg = false;
      break;
    case CheckBox::kCreate640:
      fields_.create_640 = false;
      break;
    case CheckBox::kCreateHtml:
      fields_.create_html = false;
      break;
    case CheckBox::kModern:
      fields_.modern = false;
      break;
  }
}

void TerminalWindow::SetStatusText(const std::string& text) {
  status_ = text;
  Draw(false);
}

void TerminalWindow::SetProgressVisible(bool visible) {
  if (visible_ && !visible && progress_) {
    // The run sets the bar only below its maximum: a run that showed no error ends with the bar
    // full. The bar's last state stays on its line.
    if (!message_shown_) progress_value_ = progress_max_;
    Draw(true);
    std::fputc('\n', err_);
    drawn_ = false;
  }
  if (!visible) FinishProgress();
  visible_ = visible;
  Draw(true);
}

void TerminalWindow::SetProgressMax(float max) {
  progress_max_ = max;
  Draw(true);
}

void TerminalWindow::SetProgressValue(float value) {
  progress_value_ = value;
  Draw(false);
}

int TerminalWindow::ShowMessage(const std::string& prompt, const std::string& title, int code) {
  FinishProgress();
  message_shown_ = true;
  std::fprintf(err_, "%s: %s\n", title.c_str(), prompt.c_str());
  std::fflush(err_);
  return code == kMsgQuestionYesNo ? kMsgAnswerNo : kMsgAnswerOk;
}

void TerminalWindow::DoEvents() {
  // Not while the run unwinds already: a window call from a destructor must not throw.
  if (const int signal = CaughtInterrupt(); signal != 0 && std::uncaught_exceptions() == 0) {
    throw RunInterrupted{signal};
  }
}

void TerminalWindow::FinishProgress() {
  if (!drawn_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  drawn_ = false;
}

void TerminalWindow::Draw(bool force) {
  if (!progress_ || !visible_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - last_draw_ < std::chrono::milliseconds(100)) return;
  last_draw_ = now;

  const int columns = TerminalColumns(err_);
  constexpr int kBarWidth = 30;
  const float fraction =
      progress_max_ > 0 ? std::clamp(progress_value_ / progress_max_, 0.0f, 1.0f) : 0.0f;
  const int filled = static_cast<int>(fraction * kBarWidth + 0.5f);
  std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] " +
                     std::to_string(static_cast<int>(progress_value_)) + "/" +
                     std::to_string(static_cast<int>(progress_max_)) + "  ";
  // The end of the path says most; cut from the front when the line is too long.
  const int room = std::max(0, columns - 1 - static_cast<int>(line.size()));
  if (static_cast<int>(status_.size()) <= room) {
    line += status_;
  } else if (room > 3) {
    line += "..." + status_.substr(status_.size() - (room - 3));
  }
  std::fprintf(err_, "\r\033[K%s", line.c_str());
  std::fflush(err_);
  drawn_ = true;
}

}  // namespace snapnook
