#include "cli/DscMessages.h"

#include <nlohmann/json.hpp>

DWORD CDscMessages::WriteText(const std::string& strUtf8) {
    return WriteMessage(EMessageKind::kProgress, strUtf8);
}

DWORD CDscMessages::WriteDocument(const std::string& strUtf8) {
    return WriteMessage(EMessageKind::kProgress, strUtf8);
}

DWORD CDscMessages::WriteMessage(EMessageKind kind, const std::string& strUtf8) {
    const char* pszLevel = kind == EMessageKind::kFailure ? "error"
                           : kind == EMessageKind::kNote  ? "warn"
                                                          : "info";
    const nlohmann::json line = {{pszLevel, strUtf8.substr(0, strUtf8.find_last_not_of('\n') + 1)}};
    // A text that is not UTF-8 (a name from a document in another encoding) is sent with
    // replacement characters rather than not at all.
    return m_output.WriteDocument(
        line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}
