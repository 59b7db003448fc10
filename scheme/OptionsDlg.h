#pragma once
// Tools > Options: the twelve favourite schemes and what starting a sound
// does to the others.
#include <array>
#include <string>

#include "framework/Dialog.h"

class COptionsDlg : public fw::Dialog {
public:
    static constexpr int kFavouriteCount = 12;

    COptionsDlg();

    // The caller fills both before showing the dialog and reads them after
    // OK; Cancel leaves them as they were given, whatever was browsed.
    std::array<std::string, kFavouriteCount> m_favourites;
    int m_onPlayMode = -1;  // index into the drop-down list; -1 for none

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowMembers();
    void TakeControls();
    void BrowseFavourite(int index);

    std::array<std::string, kFavouriteCount> m_givenFavourites;
    int m_givenMode = -1;
};
