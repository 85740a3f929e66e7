// Identifiers of the installer's own resources, shared by the resource scripts and the code.
// Plain defines only: the resource compiler reads this file too.
#pragma once

// Icon groups; the first is also the program file's icon.
#define IDI_WIZARD 101
#define IDI_PAGE 102

// Page templates.
#define IDD_AGREEMENT 113
#define IDD_WELCOME 116

// The agreement text, an archive resource stored plain.
#define IDR_LICENSE 120

// The property sheet's own buttons, which the pages and the tests press and read.
#define IDC_SHEET_BACK 0x3023
#define IDC_SHEET_NEXT 0x3024
#define IDC_SHEET_FINISH 0x3025
#define IDC_SHEET_CANCEL IDCANCEL

// Controls of the pages.
#define IDC_LICENSE_TEXT 1010
#define IDC_WELCOME_TEXT 1020
#define IDC_ACCEPT 1021
#define IDC_REJECT 1022
