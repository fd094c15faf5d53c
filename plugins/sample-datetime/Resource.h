#pragma once
#define IDD_FORMATS 100
#define IDC_DATE_FORMAT 101
#define IDC_TIME_FORMAT 102
#define IDC_PREVIEW 103
