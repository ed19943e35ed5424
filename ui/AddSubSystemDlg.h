// Asks for the name of a subsystem to add.
#pragma once

#include "framework/CString.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "logconfig/SubSystemName.h"

class CAddSubSystemDlg : public CDialog {
public:
    explicit CAddSubSystemDlg(CWnd* pParent = nullptr);
    ~CAddSubSystemDlg() override;

    BOOL OnInitDialog() override;

    // After IDOK: the accepted name, 1 to kMaxNameLength bytes, exactly as typed.
    CString m_strSubSystemName;

    static constexpr int kMaxNameLength = kMaxSubSystemNameLength;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    CFont m_fontDialog;

    DECLARE_MESSAGE_MAP()
};
