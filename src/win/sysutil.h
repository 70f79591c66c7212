// Message boxes centred in the work area, the message pump of the waiting
// loops, and (re-exported) the lenient integer conversion.
//
// The module variables are set by the program body and the main dialog before
// the boxes they affect; none of them is reset during the run.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "core/sysutilGeometry.h"
#include "core/sysutilNumbers.h"

// Caption of every box while it is not empty; empty until the body sets it.
extern std::string ApplicationTitle;

// Style flags OR-ed into every box (0 until the body sets MB_SETFOREGROUND).
extern UINT ExtraBoxStyle;

// The box's owner is this window's last active pop-up; NULL gives no owner.
extern HWND BoxOwnerWindow;

// Shows an error box (OK button, hand icon), captioned ApplicationTitle or
// "Error", centred in the work area; returns when the user closes it.
void ShowError(const std::string& text);

// Shows a question box (Yes and No, question icon), captioned ApplicationTitle
// or "Question"; returns IDYES (6), IDNO (7), or 0 when the box cannot be shown.
int AskQuestion(const std::string& text);

// MessageBoxW(owner, text, caption, ExtraBoxStyle | MB_TASKMODAL | style) with a
// hook on the calling thread that centres the box when it is first activated.
// The hook never outlives the call. Returns the MessageBoxW result, or 0 when
// the box cannot be shown.
int ShowCentredMessageBox(HWND owner, const std::string& caption, const std::string& text,
                          UINT style);

// Moves the top-level window, without resizing it or changing its Z order, to
// the centre of the primary work area, then keeps it on the screen. Does
// nothing when the window's rectangle cannot be read.
void CentreInWorkArea(HWND window);

// Shifts rect, keeping its size, into the primary screen (see the TRect form).
void KeepOnScreen(RECT& rect);

// Dispatches the calling thread's waiting messages; returns at once, with the
// message consumed, on WM_QUIT, and after sleeping 1 ms when the queue is empty.
void ProcessMessages();

// The messages of the calling thread that a wait carries out while it waits.
enum class TWaitMessages {
    Sent,  // only those other threads send to its windows; posted ones stay queued
    All,   // every message, dispatched as ProcessMessages does
};

// Waits until one of the objects is signalled or timeoutMs has passed,
// meanwhile carrying out the thread's messages as `messages` says: so that a
// thread which sends to its windows before it ends cannot deadlock the wait
// and (All) a box or dialog the thread owns stays responsive.
// WAIT_OBJECT_0 + the index of a signalled object, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitProcessingMessages(std::initializer_list<HANDLE> objects, TWaitMessages messages,
                             DWORD timeoutMs = INFINITE);

// WaitProcessingMessages on one object with TWaitMessages::Sent.
DWORD WaitHandlingSentMessages(HANDLE object, DWORD timeoutMs = INFINITE);
