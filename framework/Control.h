#pragma once
// A C++ object bound to a child control of a dialog template by subclassing.
// The binding is undone when the object dies or the window is destroyed,
// whichever comes first. The parent dialog reflects owner-draw, control
// colour and scroll messages back to the control object (OnReflected).
#include <windows.h>

#include "framework/Window.h"

namespace fw {

class Control : public Window {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Binds to the dialog's control with this id; false when there is none.
    bool Attach(HWND dialog, int id);
    void Detach();
    int Id() const { return ::GetDlgCtrlID(hwnd_); }

    // The control object bound to a window, or null.
    static Control* FromHandle(HWND hwnd);

    // Registers an application-local copy of the system or common control
    // class `name`, under the same name, whose windows each keep a device
    // context of their own (CS_OWNDC). Windows this module creates with that
    // name get the copy; other modules' windows keep the system class. Under
    // Wine every GetDC of a window without one asks the server for its
    // visible region and sets up the X drawable again; an own device context
    // keeps both until the window moves. True when the class is registered,
    // now or before.
    static bool RegisterOwnDcClass(const char* name);

    // A message the parent received about this control. Returns true when handled.
    virtual bool OnReflected(UINT msg, WPARAM w, LPARAM l, LRESULT& result);

protected:
    // The control's own messages; the default passes them on.
    virtual LRESULT WndProc(UINT msg, WPARAM w, LPARAM l);
    LRESULT Default(UINT msg, WPARAM w, LPARAM l);
    virtual void OnAttached() {}

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);
};

}  // namespace fw
