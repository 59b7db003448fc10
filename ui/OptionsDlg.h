#pragma once
// Tools > Options: the twelve favourite schemes and what starting a sound
// does to the others.
#include <array>
#include <string>
#include <vector>

#include "audio/SoundOutputs.h"
#include "framework/Dialog.h"
#include "scheme/Choices.h"

class COptionsDlg : public fw::Dialog {
public:
    COptionsDlg();

    // The caller fills both before showing the dialog and reads them after
    // OK; Cancel leaves them as they were given, whatever was browsed.
    scheme::Favourites m_favourites;
    int m_onPlayMode = -1;  // index into the drop-down list; -1 for none
    // The output device's GUID as text, empty for the default. A device that
    // is not present shows the default and stays chosen unless another is picked.
    std::string m_soundOutput;
    // The monitor output the same way, empty for "(none)"; one that is not
    // present shows "(none)" and stays chosen unless another is picked.
    scheme::MonitorChoice m_monitor;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowMembers();
    void TakeControls();
    void BrowseFavourite(int index);

    scheme::Favourites m_givenFavourites;
    int m_givenMode = -1;
    std::vector<audio::SoundOutput> m_outputs;
    int m_shownOutput = 0;
    int m_shownMonitor = 0;  // 0 is "(none)", then the outputs
};
