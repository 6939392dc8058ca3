#include "album/page_files.h"

#include "core/page_text.h"

namespace snapnook {

void PageFiles::Open(PageFile which, const std::string& path) {
  Slot& slot = SlotOf(which);
  slot = Slot{};
  slot.open = true;
  slot.path = path;
  try {
    slot.file = files_.CreateFile(path, Origin::Of(Origin::Role::kPage));
  } catch (...) {
    slot.failure = CurrentFailure(path);
    throw;
  }
}

bool PageFiles::IsOpen(PageFile which) const {
  return SlotOf(which).open;
}

bool PageFiles::HasFailed(PageFile which) const {
  return SlotOf(which).failure.has_value();
}

void PageFiles::WriteLine(PageFile which, std::string_view line) {
  Slot& slot = SlotOf(which);
  if (slot.failure) throw *slot.failure;
  if (!slot.file) {
    throw SnapError(kErrPathFileAccess, "Path/File access error: page file " +
                                            std::to_string(static_cast<int>(which)) +
                                            " is not open");
  }
  try {
    slot.file->Write(PageText(line) + "\r\n");
  } catch (...) {
    slot.failure = CurrentFailure(slot.path);
    slot.file.reset();  // removes the temporary file
    throw;
  }
}

void PageFiles::Close(PageFile which) {
  Slot slot = std::move(SlotOf(which));
  SlotOf(which) = Slot{};
  if (slot.file) slot.file->Commit();  // a broken page has no file left
}

void PageFiles::DropAll() {
  for (Slot& slot : slots_) slot = Slot{};
}

}  // namespace snapnook
