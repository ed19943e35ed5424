#include "registry/RegistryError.h"

CString RegistryErrorText(LONG lError) {
    char buffer[1024] = {};
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, "QuarnEventLogConfig",
        static_cast<DWORD>(lError), 0, buffer, sizeof buffer, nullptr);
    CString text(buffer, static_cast<int>(length));
    // System texts end with a line break, which a message box does not need.
    while (!text.IsEmpty() &&
           (text.GetAt(text.GetLength() - 1) == '\n' || text.GetAt(text.GetLength() - 1) == '\r'))
        text = CString(text, text.GetLength() - 1);
    if (text.IsEmpty())
        text.Format("Error %ld.", static_cast<long>(lError));
    return text;
}
