// Codes of failed file operations, their messages, and how they reach the
// user. Messages go through a MessageSink that the caller supplies (the
// program shows them in a modal box; tests and the command line collect or
// print them), so nothing here depends on a window.
#pragma once

#include <functional>
#include <string>

namespace vextal {

/// Shows one message to the user: the caption of its box and its text.
using MessageSink = std::function<void(const std::string& caption, const std::string& text)>;

/// The caption of the program's ordinary message boxes.
inline constexpr const char* ProgramCaption = "Corvanta Vextal";

// I/O result codes used by the document files.
inline constexpr int IoFileNotFound = 2;
inline constexpr int IoPathNotFound = 3;
inline constexpr int IoTooManyOpenFiles = 4;
inline constexpr int IoAccessDenied = 5;
inline constexpr int IoDiskReadError = 100;
inline constexpr int IoDiskFull = 101;
inline constexpr int IoWriteProtected = 150;
inline constexpr int IoDeviceWriteError = 160;

/// The text of an I/O code ("File not found." for 2), or "" for a code
/// without one (0 included).
std::string IoErrorText(int code);

/// "Error: #" + code + two blanks + text, or "" when the code has no text.
std::string IoErrorMessage(int code);

/// Shows IoErrorMessage(code) through `sink` in a box with an empty caption.
/// Codes without a text, and an empty sink, show nothing.
void ReportIoError(int code, const MessageSink& sink);

/// The I/O code of a failed system call's errno. `writing` chooses between
/// the codes of a failed save and of a failed read: a missing folder is
/// "Path not found." when a file is created in it, "File not found." when a
/// file is opened for reading.
int IoCodeFromErrno(int error, bool writing);

} // namespace vextal
