/* Resource identifiers shared by UnVrel.rc and the program's C++ code.
   Plain #defines only, so the resource compiler's preprocessor reads it too.
   Control ids are unique within their dialog only: both dialogs use 101. */
#ifndef TAMSK_RES_RESOURCE_H
#define TAMSK_RES_RESOURCE_H

/* Named resources: loaded by these names, never by number. */
#define RES_DLG_UNINSTALL "DLG_UNINSTALL"
#define RES_DLG_DELSHARED "DLG_DELSHARED"
#define RES_DLG_PREVIEW "DLG_PREVIEW"
#define RES_BANNER_BITMAP "VRELBMP"
#define RES_MAIN_ICON "MAINICON"

/* DLG_UNINSTALL: the main dialog. Its Close button is IDOK (1). */
#define IDC_BANNER 100
#define IDC_STATUS 101
#define IDC_PROGRESS 102
#define IDC_ETCH_TOP 150
#define IDC_ETCH_BOTTOM 151
#define IDC_PROGRAM_ICON 153 /* not IDC_ICON: <winuser.h> owns that name */
#define IDC_CLOSE 1

/* DLG_DELSHARED: asks whether a shared file no longer in use may go. */
#define IDC_SHARED_TEXT 101
#define IDC_SHARED_NAME_LABEL 103
#define IDC_SHARED_NAME 104
#define IDC_SHARED_DIR_LABEL 105
#define IDC_SHARED_DIR 106
#define IDC_SHARED_YES 107
#define IDC_SHARED_YES_ALL 108
#define IDC_SHARED_NO 109
#define IDC_SHARED_NO_ALL 110

/* DLG_PREVIEW: what a run would do, read-only. Its Close button is IDOK (1). */
#define IDC_PREVIEW_LIST 101
#define IDC_PREVIEW_HEAD 103
#define IDC_PREVIEW_SUMMARY 104

/* String table: the default message texts, numbered as the installation
   log's "Strings" section numbers its replacements. */
#define IDS_BANNER_TITLE 1
#define IDS_NO_LOG_GIVEN 2
#define IDS_LOG_NOT_FOUND 3
#define IDS_CONFIRM_REMOVE 4
#define IDS_DONE 5
#define IDS_REMOVE_FILES 6
#define IDS_REMOVE_REG_VALUES 7
#define IDS_REMOVE_REG_KEYS 8
#define IDS_REMOVE_INI 9
#define IDS_REMOVE_SHORTCUTS 10
#define IDS_REMOVE_DIRS 11
#define IDS_REMOVE_SERVERS 12
#define IDS_REMOVE_FONTS 13
#define IDS_CHECK_SHARED 14
#define IDS_SHARED_CAPTION 15
#define IDS_SHARED_TEXT 16
#define IDS_SHARED_NAME_LABEL 17
#define IDS_SHARED_DIR_LABEL 18
#define IDS_YES 19
#define IDS_YES_ALL 20
#define IDS_NO 21
#define IDS_NO_ALL 22
#define IDS_CLOSE 23
#define IDS_NOT_REMOVED 24
#define IDS_RESTART_NEEDED 25

/* The preview (/PREVIEW): its window's fixed texts, then one text per
   forecast in the order of TForecast (core/UnVrelPreviewText.h), so that
   forecast f is IDS_FORECAST_FIRST + f. */
#define IDS_PREVIEW_HEAD 26
#define IDS_PREVIEW_LOG_LABEL 27
#define IDS_PREVIEW_SECTION_COLUMN 28
#define IDS_PREVIEW_FORECAST_COLUMN 29
#define IDS_PREVIEW_ITEM_COLUMN 30
#define IDS_FORECAST_FIRST 31
#define IDS_FORECAST_REMOVE 31
#define IDS_FORECAST_NOTHING 32
#define IDS_FORECAST_RESTART 33
#define IDS_FORECAST_KEEP 34
#define IDS_FORECAST_ASK 35
#define IDS_FORECAST_REFUSE 36
#define IDS_FORECAST_FAIL 37
#define IDS_FORECAST_RUN 38
#define IDS_FORECAST_SKIP 39
#define IDS_FORECAST_DONE 40
#define IDS_FORECAST_LAST IDS_FORECAST_DONE
/* The error box of a /LOG= report that names the log; "%s" is the option. */
#define IDS_REPORT_IS_LOG 41
/* The same for a report that names the log's journal. */
#define IDS_REPORT_IS_JOURNAL 42

#define IDS_FIRST IDS_BANNER_TITLE
#define IDS_LAST IDS_REPORT_IS_JOURNAL

#endif
