// The bar's button set: which buttons the machine has, from the support-byte report that the
// embedded controller gives once at start, the counts taken from it, and the buttons' labels.
//
// Function button k (1 to 19) is the k-th of the template's function controls and owns table
// entry k - 1; the hide button, number 50, has no entry and is always there.
#pragma once

#include <windows.h>

#include "bar/Globals.h"
#include "res/resource.h"

class CNewVanteloDlg;

constexpr int kFunctionButtons = 19;
constexpr int kCrtInDetectButton = 19;
constexpr int kHideButton = 50;
constexpr int kHideButtonControl = IDC_BTN_HIDE;

constexpr int ButtonControl(int button) {
    return button == kHideButton ? kHideButtonControl : IDC_BTN_BLUETOOTH + button - 1;
}

namespace buttonset_detail {
// The template's function controls in button order, as the resources name them.
constexpr int kFunctionControls[kFunctionButtons] = {IDC_BTN_BLUETOOTH,       IDC_BTN_SLEEP,
                                                     IDC_BTN_POWER_FEATURE,   IDC_BTN_CRT_LCD,
                                                     IDC_BTN_RADIO,           IDC_BTN_3G,
                                                     IDC_BTN_WEBCAM,          IDC_BTN_MUTE,
                                                     IDC_BTN_VOLUME_DOWN,     IDC_BTN_VOLUME_UP,
                                                     IDC_BTN_BRIGHTNESS_DOWN, IDC_BTN_BRIGHTNESS_UP,
                                                     IDC_BTN_CAPS_LOCK,       IDC_BTN_NUM_LOCK,
                                                     IDC_BTN_SCROLL_LOCK,     IDC_BTN_AUTO_ADJUST,
                                                     IDC_BTN_WHITE_BALANCE,   IDC_BTN_PANEL_DEFAULT,
                                                     IDC_BTN_CRT_IN_DETECT};

constexpr bool ComputedControlsMatchResources() {
    for (int button = 1; button <= kFunctionButtons; ++button) {
        if (ButtonControl(button) != kFunctionControls[button - 1])
            return false;
    }
    return true;
}
}  // namespace buttonset_detail

static_assert(buttonset_detail::ComputedControlsMatchResources(),
              "every button's computed control id is its control in the resources");

// The support-byte handshake on register 0x75A, paced by 50 ms pauses; `dialog` owns the
// message box of a report that never starts.
void ReadSupportBytes(CNewVanteloDlg* dialog);

// The function buttons of the report that exist in the bar: 1 to this number.
int ReportedButtons();

// The start may go on: 1 to 19 buttons take a cell, no more than reported.
bool ButtonCountAccepted();

// The tool-tip label of a button (1 to 19, or 50), chosen by the model answers where two
// labels exist.
const WCHAR* ButtonLabel(int button);
