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

// Controls of the pages.
#define IDC_LICENSE_TEXT 1010
#define IDC_WELCOME_TEXT 1020
#define IDC_ACCEPT 1021
#define IDC_REJECT 1022
