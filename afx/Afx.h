// The whole class library layer in one include.
#pragma once

#include "afx/Button.h"
#include "afx/DC.h"
#include "afx/DataExchange.h"
#include "afx/Dialog.h"
#include "afx/Font.h"
#include "afx/Menu.h"
#include "afx/Static.h"
#include "afx/ToolTipCtrl.h"
#include "afx/WinApp.h"
#include "afx/WinThread.h"
#include "afx/Wnd.h"
