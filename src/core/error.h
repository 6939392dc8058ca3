// Numbered errors: every failure the program reports carries a number and a description.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace snapnook {

/// The error numbers the program raises. The descriptions name the file or folder involved.
enum ErrorNumber : int {
  kErrOverflow = 6,           // "Overflow": a 16-bit counter passed 32767
  kErrOutOfMemory = 7,        // "Out of memory: " + the file being worked on
  kErrInternal = 51,          // "Internal error: " + the file being worked on + what failed
  kErrFileNotFound = 53,      // "File not found: " + path
  kErrFileExists = 58,        // "File already exists: " + path (two pictures, one copy name)
  kErrDiskFull = 61,          // "Disk full: " + path
  kErrPermissionDenied = 70,  // "Permission denied: " + path
  kErrPathFileAccess = 75,    // "Path/File access error: " + path
  kErrPathNotFound = 76,      // "Path not found: " + path
  kErrInvalidPicture = 481,   // "Invalid picture: " + path
};

/// The one exception type of the program: a number and a description.
class SnapError : public std::exception {
 public:
  SnapError(int number, std::string description)
      : number_(number), description_(std::move(description)) {}

  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string description_;
};

/// What an I/O operation was doing when errno was set; decides between 53 and 76 for ENOENT:
/// a file to read is missing (53), a folder to list or to write into (76).
enum class IoAction { kRead, kList, kWrite };

/// Turns an errno value from an operation on `path` into the matching numbered error.
SnapError ErrorFromErrno(int err, IoAction action, const std::string& path);

SnapError OverflowError();
SnapError InvalidPictureError(const std::string& path, const std::string& why = {});
SnapError OutOfMemoryError(const std::string& path);

/// The walk's message text: "Error: " + number + " - " + description.
std::string WalkErrorText(const SnapError& error);

/// Any failure as a numbered error: a SnapError as it is; a failed allocation as 7 "Out of
/// memory: " + `subject`; anything else as 51 "Internal error: " + `subject` + ": " + what
/// failed. `subject` names the file or folder being worked on. Call it inside a catch block;
/// a RunInterrupted being handled is thrown on.
SnapError CurrentFailure(const std::string& subject);

/// Thrown out of a turn of the event loop when the run is to stop at once: the user closed the
/// window, or the program received a signal that ends it (`signal`, 0 for the window). It
/// unwinds the run, which leaves every file whole or unwritten and removes its temporary
/// files. It is no std::exception, and every trap lets it through.
struct RunInterrupted {
  int signal = 0;
};

}  // namespace snapnook
