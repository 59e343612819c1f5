#include "data/io_error.h"

#include <cerrno>

namespace vextal {

namespace {

struct CodeText {
    int First;
    int Last;
    const char* Text;
};

constexpr CodeText CodeTexts[] = {
    {1, 2, "File not found."},
    {3, 3, "Path not found."},
    {4, 4, "Too many open files."},
    {5, 5, "File access denied."},
    {83, 83, "Drive not ready."},
    {100, 100, "Disk read error."},
    {101, 101, "The disk is full."},
    {102, 102, "File not assigned."},
    {103, 105, "File not open."},
    {106, 106, "Invalid numeric format."},
    {150, 150, "Disk is write-protected."},
    {151, 151, "Unknown disk unit"},
    {152, 152, "Drive is not ready"},
    {153, 153, "Unknown command"},
    {154, 154, "Data error"},
    {155, 155, "Bad request structure length"},
    {156, 156, "Seek error"},
    {157, 157, "Unknown media type"},
    {158, 158, "Disk sector not found"},
    {159, 159, "Printer is out of paper"},
    {160, 160, "Device write error"},
    {161, 161, "Device read error"},
    {162, 162, "ecHardwareFailure"},
};

} // namespace

std::string IoErrorText(int code) {
    for (const CodeText& entry : CodeTexts)
        if (code >= entry.First && code <= entry.Last)
            return entry.Text;
    return "";
}

std::string IoErrorMessage(int code) {
    const std::string text = IoErrorText(code);
    if (text.empty())
        return "";
    return "Error: #" + std::to_string(code) + "  " + text;
}

void ReportIoError(int code, const MessageSink& sink) {
    const std::string message = IoErrorMessage(code);
    if (message.empty() || !sink)
        return;
    sink("", message);
}

int IoCodeFromErrno(int error, bool writing) {
    switch (error) {
    case ENOENT:
        return writing ? IoPathNotFound : IoFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return IoPathNotFound;
    case EMFILE:
    case ENFILE:
        return IoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
    case EBUSY:
        return IoAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return IoDiskFull;
    case EROFS:
        return IoWriteProtected;
    case EIO:
        return writing ? IoDeviceWriteError : IoDiskReadError;
    default:
        return writing ? IoAccessDenied : IoDiskReadError;
    }
}

} // namespace vextal
