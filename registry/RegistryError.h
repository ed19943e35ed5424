// The system's message text for a registry error code, for telling the user why the
// configuration could not be opened or saved.
#pragma once

#include "framework/CString.h"

#include <windows.h>

CString RegistryErrorText(LONG lError);
