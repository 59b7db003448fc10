// The application: one modal board dialog, then the program ends.
#include <windows.h>

#include "app/BoardDlg.h"
#include "framework/App.h"
#include "framework/Trace.h"

class CBoardApp {
public:
    int Run() {
        fw::App::InitCommonControls();
        CBoardDlg dialog(fw::App::CommandLineArguments());
        dialog.DoModal();
        return 0;
    }
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    fw::trace::Start();
    CBoardApp app;
    return app.Run();
}
