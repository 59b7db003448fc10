#pragma once
// The window classes of the controls a tick redraws, as the dialog template
// names them; registered by CBoardDlg before the template is made.
#define CLANGSTER_DISPLAY_CLASS "ClangsterDisplay"
#define CLANGSTER_SLIDER_CLASS "ClangsterSlider"
