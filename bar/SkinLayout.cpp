#include "bar/SkinLayout.h"

#include <cwchar>

#include "afx/Afx.h"
#include "bar/ButtonSet.h"
#include "bar/Hardware.h"
#include "bar/NewVanteloDlg.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace {

constexpr int kWideScreen = 1024;

// Asked anew at every use: the screen may have changed since.
int FullScreenWidth() {
    return GetSystemMetrics(SM_CXFULLSCREEN);
}

void LoadVanteloWhenChosen() {
    if (g_nVanteloSkin == 1)
        LoadSkinPack(SkinPackagePath(false, FullScreenWidth()));
}

// The Pemro package replaces a Vantelo one; without either answer the Vantelo family is worn.
void LoadPemroOrDefault() {
    if (g_nPemroSkin == 1)
        LoadSkinPack(SkinPackagePath(true, FullScreenWidth()));
    else if (g_nVanteloSkin != 1)
        LoadSkinPack(SkinPackagePath(false, FullScreenWidth()));
}

void LoadChosenSkin() {
    LoadVanteloWhenChosen();
    Sleep(kControllerPause);
    LoadPemroOrDefault();
}

void LoadButtonImage(BaseButton& button, const WCHAR* stem) {
    WCHAR up[64];
    WCHAR down[64];
    swprintf(up, 64, L"img\\%ls_UP.PNG", stem);
    swprintf(down, 64, L"img\\%ls_DOWN.PNG", stem);
    LoadSkinBitmap(up, button.m_image[0]);
    LoadSkinBitmap(down, button.m_image[1]);
    LoadSkinBitmap(down, button.m_image[2]);
    button.PreSubclassWindow();
}

}  // namespace

const WCHAR* SkinPackagePath(bool pemro, int screenWidth) {
    const bool wide = screenWidth >= kWideScreen;
    if (pemro)
        return wide ? L"img\\Pemro_Vantelo64.SKN" : L"img\\Pemro_Vantelo50.SKN";
    return wide ? L"img\\Vantelo64.SKN" : L"img\\Vantelo50.SKN";
}

POINT BarOrigin(int barWidth, int barHeight, int screenWidth, int screenHeight, bool atBottom) {
    const int x = screenWidth / 2 - barWidth / 2;
    const int y = atBottom ? screenHeight - barHeight + 20 : screenHeight / 2 - barHeight / 2;
    return {x, y};
}

POINT SlotOrigin(int slot, int cellWidth, int cellHeight, int buttonSize) {
    return {slot * cellWidth + (cellWidth - buttonSize) / 2, (3 * (cellHeight - buttonSize)) / 4};
}

std::vector<ButtonPlacement> PlanButtonSlots(const int* supportBytes, int buttonTotal, bool crtInDetect) {
    std::vector<ButtonPlacement> plan;
    int slot = 0;
    auto placeOrHide = [&](int button, bool shown) {
        plan.push_back({ButtonControl(button), shown ? slot++ : kHidden});
    };
    for (int k = 1; k <= kFunctionButtons; ++k) {
        // Buttons beyond the report are hidden too: the template shows every button.
        const bool supported = k <= buttonTotal && supportBytes[k - 1] > 0;
        if (k == 5) {
            // The CRT-in-detect button keeps its place before button 5's, also when the
            // machine lacks button 5.
            if (crtInDetect)
                placeOrHide(kCrtInDetectButton, true);
            placeOrHide(k, supported);
        } else if (k == kCrtInDetectButton) {
            if (!crtInDetect)
                placeOrHide(k, false);
        } else {
            placeOrHide(k, supported);
        }
    }
    placeOrHide(kHideButton, true);
    return plan;
}

void ChooseSkin() {
    g_nVanteloSkin = static_cast<int>(g_pTamsilWMI->GetLong32(0x1900, 0));
    LoadVanteloWhenChosen();
    Sleep(kControllerPause);
    g_nPemroSkin = static_cast<int>(g_pTamsilWMI->GetLong32(0x2000, 0));
    LoadPemroOrDefault();
}

bool LoadBackgroundPieces() {
    LoadSkinBitmap(L"img\\LeftBg.PNG", g_bmpLeftBg);
    LoadSkinBitmap(L"img\\MiddleBg.PNG", g_bmpMiddleBg);
    LoadSkinBitmap(L"img\\RightBg.PNG", g_bmpRightBg);
    LoadSkinBitmap(L"img\\SingleBg.PNG", g_bmpSingleBg);
    return g_bmpLeftBg.width != 0;
}

void LoadButtonImages(CNewVanteloDlg& dialog) {
    for (int k = 1; k <= ReportedButtons(); ++k) {
        WCHAR stem[16];
        swprintf(stem, 16, L"BTN%d", k);
        LoadButtonImage(dialog.m_btn[k], stem);
    }
    LoadButtonImage(dialog.m_btn[kHideButton], L"EXIT");
}

void SizeAndPlaceBar(CNewVanteloDlg& dialog, UINT showFlag) {
    g_nBarWidth = (g_nButtonVisible + 1) * g_bmpLeftBg.width;
    g_nBarHeight = g_bmpLeftBg.height;
    g_bmpSurface.Create32(g_nBarWidth, g_nBarHeight);
    const POINT origin = BarOrigin(g_nBarWidth, g_nBarHeight, GetSystemMetrics(SM_CXFULLSCREEN),
                                   GetSystemMetrics(SM_CYFULLSCREEN), g_nPemroSkin == 1);
    dialog.SetWindowPos(nullptr, origin.x, origin.y, g_nBarWidth, g_nBarHeight, showFlag);
}

void LayOutButtons(CNewVanteloDlg& dialog) {
    const int cellWidth = g_bmpLeftBg.width;
    const int cellHeight = g_bmpLeftBg.height;
    // Every button is as large as the last reported one's up image.
    const int last = ReportedButtons();
    const int buttonSize = last > 0 ? dialog.m_btn[last].m_image[0].height : 0;
    for (const ButtonPlacement& p : PlanButtonSlots(g_supportBytes, g_nButtonTotal, g_bCrtInDetect)) {
        CWnd* control = dialog.GetDlgItem(p.control);
        if (!control)
            continue;
        if (p.slot == kHidden) {
            control->ShowWindow(SW_HIDE);
        } else {
            const POINT at = SlotOrigin(p.slot, cellWidth, cellHeight, buttonSize);
            control->SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        }
    }
}

void ReloadSkinAndLayout(CNewVanteloDlg* dialog) {
    LoadChosenSkin();
    dialog->ApplyCrtInDetectRule();
    if (!LoadBackgroundPieces())
        AfxMessageBox(L"Image load error !", MB_OK);
    LoadButtonImages(*dialog);
    SizeAndPlaceBar(*dialog, SWP_HIDEWINDOW);
    LayOutButtons(*dialog);
    ReleaseSkinPack();
    dialog->InvalidateRect(nullptr, TRUE);
}
