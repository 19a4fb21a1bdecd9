// Dialogs: routing from creation, data exchange binding the controls, and the modal loop
// (owner disabled, PreTranslateMessage before translation, the first-idle show, and its
// ends: EndDialog, WM_CLOSE, Esc and Enter, destruction, WM_QUIT).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "MessageLog.h"
#include "afx/Afx.h"

using afxtest::MessageLog;

namespace {

constexpr UINT kEnd = WM_APP + 9;      // EndDialog(wParam)
constexpr UINT kDestroy = WM_APP + 8;  // DestroyWindow
constexpr UINT kQuit = WM_APP + 7;     // PostQuitMessage(wParam)

bool Interesting(UINT message) {
    return (message >= WM_APP && message < WM_APP + 0x100) || message == WM_KEYDOWN || message == WM_CHAR ||
           message == WM_SHOWWINDOW || message == WM_CLOSE;
}

class RecordingButton : public CButton {
public:
    RecordingButton(MessageLog& log, const char* name) : log_(log), name_(name) {}

    BOOL PreTranslateMessage(MSG* msg) override {
        if (Interesting(msg->message))
            log_.Add(name_, "pre", msg->message, msg->wParam);
        return FALSE;
    }
    void PreSubclassWindow() override { log_.Add(std::string(name_) + " PreSubclassWindow"); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (Interesting(message))
            log_.Add(name_, "proc", message, wParam);
        return CButton::WindowProc(message, wParam, lParam);
    }

private:
    MessageLog& log_;
    const char* name_;
};

class RecordingDialog : public CDialog {
public:
    explicit RecordingDialog(UINT id, CWnd* parent = nullptr) : CDialog(id, parent) {}

    MessageLog log;
    RecordingButton one{log, "one"};
    RecordingButton two{log, "two"};
    std::function<void(RecordingDialog&)> onInit;  // runs at the end of OnInitDialog
    std::function<void(RecordingDialog&)> onShow;  // runs when the dialog is shown
    bool swallowKeys = false;                      // PreTranslateMessage takes WM_KEYDOWN
    bool ownerEnabledInLoop = true;
    UINT showCommandAtEnd = 0;

    BOOL OnInitDialog() override {
        log.Add("OnInitDialog");
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        log.Add(std::string("DoDataExchange ") + (pDX->m_bSaveAndValidate ? "save" : "load"));
        DDX_Control(pDX, 1001, one);
        DDX_Control(pDX, 1002, two);
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (Interesting(msg->message))
            log.Add("dialog", "pre", msg->message, msg->wParam);
        if (swallowKeys && msg->message == WM_KEYDOWN)
            return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }
    void OnOK() override {
        log.Add("OnOK");
        CDialog::OnOK();
    }
    void OnCancel() override {
        log.Add("OnCancel");
        CDialog::OnCancel();
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NCCREATE || message == WM_CREATE || message == WM_INITDIALOG)
            log.Add("dialog", "proc", message, 0);
        if (message == WM_SHOWWINDOW && wParam) {
            log.Add("shown");
            if (onShow)
                onShow(*this);
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }

    LRESULT OnApp(WPARAM wParam, LPARAM) {
        log.Add("dialog", "handler", WM_APP + 1, wParam);
        return 0;
    }
    LRESULT OnEnd(WPARAM wParam, LPARAM) {
        log.Add("dialog", "handler", kEnd, wParam);
        HWND owner = GetWindow(m_hWnd, GW_OWNER);
        ownerEnabledInLoop = owner != nullptr && ::IsWindowEnabled(owner) != FALSE;
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(m_hWnd, &placement);
        showCommandAtEnd = IsWindowVisible() ? placement.showCmd : 0;
        EndDialog(static_cast<int>(wParam));
        return 0;
    }
    LRESULT OnDestroyRequest(WPARAM, LPARAM) {
        DestroyWindow();
        return 0;
    }
    LRESULT OnQuitRequest(WPARAM wParam, LPARAM) {
        PostQuitMessage(static_cast<int>(wParam));
        return 0;
    }
    void OnTimer(UINT_PTR id) {
        KillTimer(id);
        log.Add(std::string("timer visible ") + (IsWindowVisible() ? "1" : "0"));
        EndDialog(static_cast<int>(id));
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingDialog, CDialog)
ON_MESSAGE(WM_APP + 1, &RecordingDialog::OnApp)
ON_MESSAGE(kEnd, &RecordingDialog::OnEnd)
ON_MESSAGE(kDestroy, &RecordingDialog::OnDestroyRequest)
ON_MESSAGE(kQuit, &RecordingDialog::OnQuitRequest)
ON_WM_TIMER()
END_MESSAGE_MAP()

class Owner : public CWnd {
public:
    Owner() {
        CreateEx(0, afxtest::TestWindowClass(), L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr);
    }
};

TEST(Dialog, RoutesThroughTheLayerFromCreationAndBindsItsControlsInOnInitDialog) {
    RecordingDialog dialog(100);
    CWnd* unbound = nullptr;
    dialog.onInit = [&](RecordingDialog& d) {
        EXPECT_EQ(&d.one, d.GetDlgItem(1001));
        EXPECT_EQ(&d.two, CWnd::FromHandle(d.two.m_hWnd));
        unbound = d.GetDlgItem(1003);
        ASSERT_NE(nullptr, unbound);
        EXPECT_EQ(GetDlgItem(d.m_hWnd, 1003), unbound->m_hWnd);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(unbound->m_hWnd));
        // Bound controls route their messages through their objects.
        d.one.SendMessage(WM_APP + 4, 1);
        d.PostMessage(kEnd, 3);
    };
    EXPECT_EQ(3, dialog.DoModal());
    const std::vector<std::string> expected{
        "dialog proc WM_NCCREATE 0",
        "dialog proc WM_CREATE 0",
        "dialog proc WM_INITDIALOG 0",
        "OnInitDialog",
        "DoDataExchange load",
        "one PreSubclassWindow",
        "two PreSubclassWindow",
        "one proc WM_APP+4 1",
        "shown",  // the dialog manager shows a template with WS_VISIBLE once initialised
        "dialog pre WM_APP+9 3",
        "dialog handler WM_APP+9 3",
    };
    EXPECT_EQ(expected, dialog.log.Lines());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.one.m_hWnd);
}

TEST(ModalLoop, QueuedMessagesPassPreTranslateFromTheTargetUpToTheDialogSentOnesDoNot) {
    Owner owner;
    RecordingDialog dialog(100, &owner);
    dialog.onInit = [](RecordingDialog& d) {
        EXPECT_FALSE(IsWindowEnabled(GetWindow(d.m_hWnd, GW_OWNER)));
        d.one.PostMessage(WM_APP + 1, 1);
        d.PostMessage(WM_APP + 1, 2);
        d.one.SendMessage(WM_APP + 2, 3);
        d.PostMessage(kEnd, 5);
    };
    EXPECT_EQ(5, dialog.DoModal());
    const std::vector<std::string> expected{
        "one proc WM_APP+2 3",                                                        // sent: no PreTranslate
        "one pre WM_APP+1 1",    "dialog pre WM_APP+1 1",     "one proc WM_APP+1 1",  // child, then its dialog
        "dialog pre WM_APP+1 2", "dialog handler WM_APP+1 2",                         //
        "dialog pre WM_APP+9 5", "dialog handler WM_APP+9 5",
    };
    EXPECT_EQ(expected, dialog.log.With("WM_APP"));
    EXPECT_FALSE(dialog.ownerEnabledInLoop);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ModalLoop, MessageTakenByPreTranslateIsNeitherTranslatedNorDispatched) {
    RecordingDialog dialog(100);
    dialog.swallowKeys = true;
    dialog.onInit = [](RecordingDialog& d) {
        d.one.PostMessage(WM_KEYDOWN, 'A', 0x1E0001);
        d.one.PostMessage(WM_KEYDOWN, VK_RETURN, 0x1C0001);
        d.PostMessage(kEnd, 1);
    };
    EXPECT_EQ(1, dialog.DoModal());
    const std::vector<std::string> expected{
        "one pre WM_KEYDOWN 65",
        "dialog pre WM_KEYDOWN 65",
        "one pre WM_KEYDOWN 13",
        "dialog pre WM_KEYDOWN 13",
    };
    EXPECT_EQ(expected, dialog.log.With("WM_KEYDOWN"));
    EXPECT_TRUE(dialog.log.With("WM_CHAR").empty());
}

TEST(ModalLoop, HiddenDialogIsShownNormalAtTheFirstIdleMomentAfterQueuedMessages) {
    RecordingDialog dialog(101);
    dialog.onInit = [](RecordingDialog& d) {
        d.PostMessage(WM_APP + 1, 1);
        d.PostMessage(WM_APP + 1, 2);
    };
    dialog.onShow = [&](RecordingDialog& d) { d.PostMessage(kEnd, 4); };
    EXPECT_EQ(4, dialog.DoModal());
    const std::vector<std::string> expected{"dialog pre WM_APP+1 1",
                                            "dialog handler WM_APP+1 1",
                                            "dialog pre WM_APP+1 2",
                                            "dialog handler WM_APP+1 2",
                                            "shown",
                                            "dialog pre WM_APP+9 4",
                                            "dialog handler WM_APP+9 4"};
    std::vector<std::string> withShow;
    for (const std::string& line : dialog.log.Lines()) {
        if (line == "shown" || line.find("WM_APP") != std::string::npos)
            withShow.push_back(line);
    }
    EXPECT_EQ(expected, withShow);
    EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), dialog.showCommandAtEnd);
}

TEST(ModalLoop, DialogHiddenByItsInitialisationIsOnScreenOnceTheLoopIdles) {
    RecordingDialog dialog(100);
    dialog.onInit = [](RecordingDialog& d) {
        d.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
        d.SetTimer(6, 1, nullptr);  // timers come only when the queue is empty
    };
    EXPECT_EQ(6, dialog.DoModal());
    EXPECT_EQ((std::vector<std::string>{"timer visible 1"}), dialog.log.With("timer"));
}

struct EndCase {
    const char* label;
    UINT message;  // posted from OnInitDialog, to the dialog
    WPARAM wParam;
    INT_PTR result;
    const char* handler;  // a line the log must hold, or null
    int quitCode;         // the WM_QUIT left in the queue, -1 for none
};

class ModalEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(ModalEnds, EndTheLoopReenableTheOwnerAndDestroyTheWindow) {
    const EndCase& c = GetParam();
    afxtest::TakeQuit();
    Owner owner;
    RecordingDialog dialog(101, &owner);
    HWND window = nullptr;
    dialog.onInit = [&](RecordingDialog& d) {
        window = d.m_hWnd;
        d.PostMessage(c.message, c.wParam, c.message == WM_KEYDOWN ? 1 : 0);
    };
    EXPECT_EQ(c.result, dialog.DoModal());
    if (c.handler != nullptr) {
        EXPECT_EQ(1u, dialog.log.With(c.handler).size()) << c.handler;
    }
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(c.quitCode, afxtest::TakeQuit());
}

INSTANTIATE_TEST_SUITE_P(Ends, ModalEnds,
                         ::testing::Values(EndCase{"EndDialog", kEnd, 7, 7, nullptr, -1},
                                           EndCase{"CloseGoesThroughOnCancel", WM_CLOSE, 0, IDCANCEL, "OnCancel", -1},
                                           EndCase{"EscapeCancels", WM_KEYDOWN, VK_ESCAPE, IDCANCEL, "OnCancel", -1},
                                           EndCase{"EnterPressesTheDefaultButton", WM_KEYDOWN, VK_RETURN, IDOK,
                                                   "DoDataExchange save", -1},
                                           EndCase{"Destruction", kDestroy, 0, -1, nullptr, -1},
                                           EndCase{"QuitIsPostedAgain", kQuit, 3, -1, nullptr, 3}),
                         [](const auto& info) { return std::string(info.param.label); });

// A modal dialog run from a handler of the main window's modal dialog is owned by it.
class OuterDialog : public RecordingDialog {
public:
    OuterDialog() : RecordingDialog(100) {}
    INT_PTR innerResult = 0;
    bool outerEnabledInside = true;
    HWND innerOwner = nullptr;

protected:
    LRESULT OnRunInner(WPARAM, LPARAM) {
        RecordingDialog inner(101);
        inner.onInit = [this](RecordingDialog& d) {
            innerOwner = GetWindow(d.m_hWnd, GW_OWNER);
            outerEnabledInside = IsWindowEnabled() != FALSE;
            // The outer dialog's messages still pass its own filter during the inner loop.
            PostMessage(WM_APP + 1, 11);
            d.SetTimer(2, 1, nullptr);
        };
        innerResult = inner.DoModal();
        PostMessage(kDestroy);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OuterDialog, RecordingDialog)
ON_MESSAGE(WM_APP + 20, &OuterDialog::OnRunInner)
END_MESSAGE_MAP()

TEST(ModalLoop, NestedDialogIsOwnedByTheMainWindowWhoseDestructionEndsEverything) {
    afxtest::TakeQuit();
    CWinApp app;
    OuterDialog outer;
    app.m_pMainWnd = &outer;
    outer.onInit = [](RecordingDialog& d) { d.PostMessage(WM_APP + 20); };
    EXPECT_EQ(-1, outer.DoModal());
    EXPECT_EQ(2, outer.innerResult);
    EXPECT_NE(nullptr, outer.innerOwner);
    EXPECT_FALSE(outer.outerEnabledInside);
    EXPECT_EQ((std::vector<std::string>{"dialog pre WM_APP+1 11", "dialog handler WM_APP+1 11"}),
              outer.log.With("WM_APP+1 "));
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(0, afxtest::TakeQuit());
}

struct CentreCase {
    const char* label;
    UINT id;
    bool moveInInit;
    bool centred;
};

class ModalPlacement : public ::testing::TestWithParam<CentreCase> {};

TEST_P(ModalPlacement, DialogAtTheTemplateOriginThatStaysOpensCentredOverItsOwner) {
    const CentreCase& c = GetParam();
    Owner owner;
    RecordingDialog dialog(c.id, &owner);
    RECT placed{};
    dialog.onInit = [&](RecordingDialog& d) {
        if (c.moveInInit)
            d.SetWindowPos(nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    };
    dialog.onShow = [&](RecordingDialog& d) {
        d.GetWindowRect(&placed);
        d.PostMessage(kEnd, 1);
    };
    ASSERT_EQ(1, dialog.DoModal());
    ASSERT_GT(placed.right, placed.left);
    RECT ownerRect;
    owner.GetWindowRect(&ownerRect);
    const int dx = (placed.left + placed.right) / 2 - (ownerRect.left + ownerRect.right) / 2;
    const int dy = (placed.top + placed.bottom) / 2 - (ownerRect.top + ownerRect.bottom) / 2;
    if (c.centred) {
        EXPECT_LE(std::abs(dx), 1);
        EXPECT_LE(std::abs(dy), 1);
    } else {
        EXPECT_TRUE(std::abs(dx) > 1 || std::abs(dy) > 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Placement, ModalPlacement,
                         ::testing::Values(CentreCase{"AtOrigin", 101, false, true},
                                           CentreCase{"PlacedByTemplate", 102, false, false},
                                           CentreCase{"MovedInInit", 101, true, false}),
                         [](const auto& info) { return std::string(info.param.label); });

// Commands the dialog does not map reach the application object.
class CommandApp : public CWinApp {
public:
    int helpCalls = 0;

protected:
    void OnAppCommand() { ++helpCalls; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CommandApp, CWinApp)
ON_COMMAND(500, &CommandApp::OnAppCommand)
END_MESSAGE_MAP()

TEST(Dialog, UnhandledCommandsGoOnToTheApplication) {
    CommandApp app;
    RecordingDialog dialog(100);
    dialog.onInit = [](RecordingDialog& d) {
        d.SendMessage(WM_COMMAND, 500);
        d.PostMessage(kEnd, 1);
    };
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ(1, app.helpCalls);
}

}  // namespace

namespace {

// A start-up that fails destroys the dialog inside OnInitDialog, as the bar does: no
// modal loop runs, and as the main window its end posts WM_QUIT.
TEST(DialogCreation, DestroyedInOnInitDialogOrWithoutTemplateRunsNoLoop) {
    afxtest::TakeQuit();
    CWinApp app;
    RecordingDialog failing(100);
    app.m_pMainWnd = &failing;
    failing.onInit = [](RecordingDialog& d) {
        d.PostMessage(WM_APP + 1, 1);
        d.DestroyWindow();
    };
    EXPECT_EQ(-1, failing.DoModal());
    EXPECT_TRUE(failing.log.With("handler").empty());
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(0, afxtest::TakeQuit());

    Owner owner;
    RecordingDialog missing(999, &owner);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_TRUE(missing.log.Lines().empty());
    EXPECT_TRUE(owner.IsWindowEnabled());
}

}  // namespace
