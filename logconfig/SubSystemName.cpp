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

bool SubSystemDisplayOrderLess(const CString& strLeft, const CString& strRight) {
    return ::lstrcmpiA(strLeft, strRight) < 0;
}
