#pragma once

// Resource identifiers of the control panel and the program.

#define IDI_BLINDFOLD 1
#define IDD_FORM1 100
#define IDD_LOGIN 101
#define IDD_TIP 102
#define IDC_TIP_HEADING 2101
#define IDC_TIP_TEXT 2102
#define IDC_TIP_NEXT 2103
#define IDC_TIP_PICTURE 2104
#define IDC_LOGIN_LABEL 2001
#define IDC_LOGIN_PASSWORD 2002
