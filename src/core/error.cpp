#include "core/error.h"

#include <cerrno>
#include <new>
#include <typeinfo>

namespace snapnook {

SnapError ErrorFromErrno(int err, IoAction action, const std::string& path) {
  switch (err) {
    case ENOENT:
      // Reading a missing file is "File not found"; listing a missing folder, or writing into
      // one, is "Path not found".
      if (action == IoAction::kRead) return SnapError(kErrFileNotFound, "File not found: " + path);
      return SnapError(kErrPathNotFound, "Path not found: " + path);
    case ENOTDIR:
      return SnapError(kErrPathNotFound, "Path not found: " + path);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return SnapError(kErrDiskFull, "Disk full: " + path);
    case EACCES:
    case EPERM:
    case EROFS:
      return SnapError(kErrPermissionDenied, "Permission denied: " + path);
    default:
      return SnapError(kErrPathFileAccess, "Path/File access error: " + path);
  }
}

SnapError OverflowError() {
  return SnapError(kErrOverflow, "Overflow");
}

SnapError InvalidPictureError(const std::string& path, const std::string& why) {
  std::string text = "Invalid picture: " + path;
  if (!why.empty()) text += " (" + why + ")";
  return SnapError(kErrInvalidPicture, text);
}

SnapError OutOfMemoryError(const std::string& path) {
  return SnapError(kErrOutOfMemory, "Out of memory: " + path);
}

std::string WalkErrorText(const SnapError& error) {
  return "Error: " + std::to_string(error.number()) + " - " + error.description();
}

SnapError CurrentFailure(const std::string& subject) {
  try {
    throw;
  } catch (const RunInterrupted&) {
    throw;  // not a failure: the run is being stopped
  } catch (const SnapError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return OutOfMemoryError(subject);
  } catch (const std::exception& error) {
    return SnapError(kErrInternal, "Internal error: " + subject + ": " + error.what());
  } catch (...) {
    return SnapError(kErrInternal, "Internal error: " + subject + ": an unknown failure");
  }
}

}  // namespace snapnook
