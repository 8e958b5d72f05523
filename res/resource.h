// Resource ids shared by the resource script and the C++ code. The numbers are
// fixed; never renumber. Plain #defines, so windres can read this file too.
#ifndef KLANGRID_RES_RESOURCE_H
#define KLANGRID_RES_RESOURCE_H

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAPPER_DIALOG 102
#define IDD_DEVICE_SELECT 129
#define IDD_SAVE_SCHEME 135
#define IDD_OVERWRITE_CONFIRM 136
#define IDD_DELETE_CONFIRM 137

// Icon, string table
#define IDR_MAINFRAME 128
#define IDS_ABOUTBOX 101

// The map lists' row menu (a string block of their own)
#define IDS_CHOOSE_DEVICE 200   // the default item: opens the device dialog
#define IDS_ROW_GROUP 201       // a family or all percussion with its numbers
#define IDS_ALL_PERCUSSION 202  // the drum list's group

// Schemes in files and the command line (string blocks of their own)
#define IDS_EXPORT_SCHEMES 304    // system menu item
#define IDS_IMPORT_SCHEMES 305    // system menu item
#define IDS_REG_FILTER 306        // the file dialogs' filter, '|' between its parts
#define IDS_EXPORT_FAILED 307
#define IDS_READ_FAILED 308
#define IDS_IMPORT_OVERWRITE 309  // %s: the names, one a line
#define IDS_IMPORT_STOPPED 310    // %s: the scheme; %u, %u: written, in the file
#define IDS_NOTHING_IMPORTED 311
#define IDS_USAGE 312             // the command line's /? message
#define IDS_USAGE_CAPTION 313
#define IDS_FILE_ERROR 320        // + the reader's error number: "Line %u: ..."

// Controls. Dialogs are separate id spaces, so 1007 serves two dialogs.
#define IDC_INSTRUMENT_LIST 1002  // main dialog
#define IDC_DRUM_LIST 1003        // main dialog
#define IDC_DEVICE_COMBO 1004     // device selection
#define IDC_SCHEME_COMBO 1005     // main dialog
#define IDC_SCHEME_LABEL 1006     // main dialog, "Scheme :"
#define IDC_SAVE_AS 1007          // main dialog, button
#define IDC_SAVE_AS_LABEL 1007    // save-as dialog, static above the edit field
#define IDC_DELETE 1008           // main dialog
#define IDC_DEFAULT 1009          // main dialog
#define IDC_SCHEME_NAME 1010      // save-as dialog, edit field
#define IDC_OVERWRITE_QUESTION 1012  // overwrite warning, second line
#define IDC_ALREADY_EXISTS 1013      // overwrite warning, first line

#endif
