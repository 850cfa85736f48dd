// What a screen reader learns about a window beyond what the system's own accessible object tells it: things
// drawn on the face (the close and minimise marks) as children of their own, a role, name or description of
// our choosing, a default action. Everything else is the standard object's (CreateStdAccessibleObject).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace korimo::ui {

// Something drawn on the face that acts like a control: a simple child of the window's client object.
struct AccessibleElement {
    std::wstring name;
    long role;
    std::wstring action;          // the name of its default action ("按下")
    std::wstring shortcut;        // the key that does the same ("Esc")
    std::function<RECT()> where;  // in client pixels, as it is drawn now
    std::function<void()> press;  // its default action; runs after the reader's call has returned
};

struct AccessibleSpec {
    long role = 0;                            // 0: the standard object's
    std::function<std::wstring()> name;        // empty: the standard object's
    std::function<std::wstring()> description; // empty: the standard object's
    std::wstring action;                       // the object's own default action, with `press`
    std::wstring shortcut;
    std::function<void()> press;
    std::vector<AccessibleElement> elements;
};

// A default action asked for by a screen reader runs from the message loop, after the reader's call has
// returned (a reader must not wait while the program closes or hides under it): WM_KORIMO_ASKED_ACTION is posted
// to the root window of the object, whose router runs the actions asked so far.
void RunAskedActions();

// The answer to WM_GETOBJECT: the client object of `window` as `spec` changes it; any other object id goes to
// the system (a return of 0 from here means: let DefWindowProc answer).
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleSpec& spec);

// The same for a control of a window: the control answers WM_GETOBJECT with `spec` from now until it is
// destroyed. Used to give a control a name (the label beside it) or the role of a link.
void DescribeControl(HWND control, AccessibleSpec spec);

// A spec that only names the object.
AccessibleSpec NamedAs(std::wstring name);

// Tells screen readers that `window` has come up as an alert (EVENT_SYSTEM_ALERT on its client object).
void AnnounceAlert(HWND window);

} // namespace korimo::ui
