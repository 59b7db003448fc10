#pragma once
// A dialog from a template, run modally by its own message loop so that
// each queued message passes PreTranslateMessage before it is dispatched.
// Messages reach named virtual handlers; child controls get owner-draw,
// control-colour and scroll messages reflected to them first.
#include <windows.h>

#include "framework/Window.h"

namespace fw {

class Dialog : public Window {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog and runs it until EndDialog; returns EndDialog's result,
    // or -1 when the dialog could not be created.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog window without running it (DoModal does this first);
    // tests use it to look at a dialog while they pump its messages.
    bool Create(HWND parent = nullptr);
    void EndDialog(INT_PTR result);

protected:
    virtual bool OnInitDialog() { return true; }
    // Sees every queued message for the dialog and its controls before it is
    // dispatched; true consumes it. The default gives the standard dialog
    // keyboard interface (Tab, arrows, Enter, Esc).
    virtual bool PreTranslateMessage(MSG& msg);
    // Any message; return true when handled, with its result in result.
    virtual bool OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    // WM_COMMAND from menus, accelerators and controls; true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnTimer(UINT_PTR id) { (void)id; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    INT_PTR Dispatch(UINT msg, WPARAM w, LPARAM l);
    bool Reflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result);

    int templateId_;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

}  // namespace fw
