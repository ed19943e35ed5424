// The application object: runs the configuration dialog once, modally, and ends the program.
#pragma once

#include "framework/WinApp.h"

class CQuarnEventLogConfigurationApp : public CWinApp {
public:
    CQuarnEventLogConfigurationApp();
    ~CQuarnEventLogConfigurationApp() override;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
