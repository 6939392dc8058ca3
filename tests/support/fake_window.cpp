#include "support/fake_window.h"

namespace snapnook::testing {
namespace {

const char* ButtonName(Button b) {
  switch (b) {
    case Button::kLoad:
      return "Load";
    case Button::kCancel:
      return "Cancel";
    case Button::kHelpAbout:
      return "HelpAbout";
  }
  return "?";
}

const char* BoxName(CheckBox b) {
  switch (b) {
    case CheckBox::kCreateJpg:
      return "CreateJPG";
    case CheckBox::kCreate640:
      return "640";
    case CheckBox::kCreateHtml:
      return "CreateHTML";
  }
  return "?";
}

}  // namespace

void FakeWindow::Uncheck(CheckBox box) {
  checked[box] = false;
  events.push_back(std::string("uncheck ") + BoxName(box));
}

void FakeWindow::SetButtonEnabled(Button button, bool on) {
  enabled[button] = on;
  events.push_back(std::string("enable ") + ButtonName(button) + (on ? " 1" : " 0"));
}

void FakeWindow::SetStatusText(const std::string& text) {
  status_text = text;
  status_history.push_back(text);
}

void FakeWindow::SetProgressVisible(bool visible) {
  progress_visible = visible;
  progress_ever_shown = progress_ever_shown || visible;
  events.push_back(visible ? "progress shown" : "progress hidden");
}

void FakeWindow::SetProgressMax(float max) {
  progress_max = max;
  events.push_back("progress max " + std::to_string(static_cast<int>(max)));
}

void FakeWindow::SetProgressValue(float value) {
  progress_value = value;
  events.push_back("progress " + std::to_string(static_cast<int>(value)));
}

int FakeWindow::ShowMessage(const std::string& prompt, const std::string& title, int code) {
  messages.push_back({prompt, title, code});
  events.push_back("message " + title + ": " + prompt);
  return answer_for ? answer_for(messages.back()) : default_answer;
}

void FakeWindow::DoEvents() {
  ++do_events_calls;
  if (on_do_events) on_do_events(*this);
}

void FakeWindow::SetBusyPointer(bool on) {
  busy = on;
  events.push_back(on ? "busy" : "not busy");
}

void FakeWindow::EndProgram() {
  ended = true;
  events.push_back("end");
}

void FakeWindow::ShowPictures(std::span<const unsigned char> full_size,
                              std::span<const unsigned char> saved) {
  if (!full_size.empty() || !saved.empty()) ++pictures_shown;
}

std::vector<std::string> FakeWindow::UnexpectedErrors() const {
  std::vector<std::string> prompts;
  for (const ShownMessage& m : messages) {
    if (m.title == "Unexpected Error") prompts.push_back(m.prompt);
  }
  return prompts;
}

}  // namespace snapnook::testing
