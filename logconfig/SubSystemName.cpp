#include "logconfig/SubSystemName.h"

ESubSystemNameRule CheckSubSystemName(const CString& strName) {
    if (strName.GetLength() > kMaxSubSystemNameLength)
        return SUBSYSTEM_NAME_TOO_LONG;
    if (strName.IsEmpty())
        return SUBSYSTEM_NAME_EMPTY;
    if (strName.Find('\\') >= 0)
        return SUBSYSTEM_NAME_BACKSLASH;
    return SUBSYSTEM_NAME_OK;
}

CString SubSystemNameKey(const CString& strName) {
    CString strKey(strName);
    if (!strKey.IsEmpty()) {
        char* pszKey = strKey.GetBuffer(strKey.GetLength());
        ::CharUpperBuffA(pszKey, static_cast<DWORD>(strKey.GetLength()));
        strKey.ReleaseBuffer(strName.GetLength());
    }
    return strKey;
}

bool SubSystemDisplayOrderLess(const CString& strLeft, const CString& strRight) {
    return ::lstrcmpiA(strLeft, strRight) < 0;
}
