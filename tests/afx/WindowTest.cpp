// Window objects: the per-thread handle map, the end of the program with its main window,
// owner-draw reflection to the control's object, and the display change passed on to
// descendants.
#include <gtest/gtest.h>

#include "MessageLog.h"
#include "afx/Afx.h"

using afxtest::MessageLog;

namespace {

class Parent : public CWnd {
public:
    BOOL Create() {
        return CreateEx(0, afxtest::TestWindowClass(), L"parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr);
    }
};

TEST(HandleMap, PermanentObjectIsFoundAndOtherWindowsGetOneStableTemporary) {
    Parent parent;
    ASSERT_TRUE(parent.Create());
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, parent.m_hWnd, nullptr, nullptr, nullptr);
    EXPECT_EQ(&parent, CWnd::FromHandle(parent.m_hWnd));
    EXPECT_EQ(&parent, CWnd::FromHandlePermanent(parent.m_hWnd));

    CWnd* temporary = CWnd::FromHandle(plain);
    ASSERT_NE(nullptr, temporary);
    EXPECT_EQ(plain, temporary->m_hWnd);
    EXPECT_EQ(temporary, CWnd::FromHandle(plain));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));

    // Subclassed, the window has its permanent object from then on.
    CStatic bound;
    ASSERT_TRUE(bound.SubclassWindow(plain));
    EXPECT_EQ(&bound, CWnd::FromHandle(plain));
    EXPECT_FALSE(CStatic().SubclassWindow(plain));

    // Destroyed, the window leaves the map and its object is detached.
    DestroyWindow(plain);
    EXPECT_EQ(nullptr, bound.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
}

TEST(MainWindow, ItsDestructionPostsQuitAndClearsThePointer) {
    afxtest::TakeQuit();
    CWinApp app;
    Parent other;
    Parent main;
    ASSERT_TRUE(other.Create());
    ASSERT_TRUE(main.Create());
    app.m_pMainWnd = &main;

    other.DestroyWindow();
    EXPECT_EQ(-1, afxtest::TakeQuit());

    main.DestroyWindow();
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(0, afxtest::TakeQuit());
}

class RecordingButton : public CButton {
public:
    MessageLog log;
    void DrawItem(LPDRAWITEMSTRUCT item) override {
        log.Add("DrawItem " + std::to_string(item->CtlID) + " state " + std::to_string(item->itemState));
    }
};

TEST(OwnerDraw, DrawItemOfTheParentReachesTheControlsObject) {
    Parent parent;
    ASSERT_TRUE(parent.Create());
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 40, 20, parent.m_hWnd,
                                  reinterpret_cast<HMENU>(7), nullptr, nullptr);
    RecordingButton control;
    ASSERT_TRUE(control.SubclassWindow(button));
    parent.ShowWindow(SW_SHOWNA);

    // The control's own paint asks its parent, which reflects the request.
    control.Invalidate(FALSE);
    control.UpdateWindow();
    ASSERT_FALSE(control.log.Lines().empty());
    EXPECT_EQ("DrawItem 7 state 0", control.log.Lines().back());

    // A draw request for a control without an object goes to default processing.
    HWND unbound = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW, 0, 0, 40, 20, parent.m_hWnd,
                                   reinterpret_cast<HMENU>(8), nullptr, nullptr);
    control.log.Clear();
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 8;
    item.hwndItem = unbound;
    parent.SendMessage(WM_DRAWITEM, 8, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(control.log.Lines().empty());
}

class DisplayRecorder : public CWnd {
public:
    explicit DisplayRecorder(MessageLog& log, const char* name) : log_(log), name_(name) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DISPLAYCHANGE)
            log_.Add(name_, "got", message, wParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    MessageLog& log_;
    const char* name_;
};

TEST(DisplayChange, TopLevelWindowPassesItToEveryDescendantFirst) {
    MessageLog log;
    DisplayRecorder top(log, "top"), child(log, "child"), grandchild(log, "grandchild");
    ASSERT_TRUE(top.CreateEx(0, afxtest::TestWindowClass(), L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    ASSERT_TRUE(child.CreateEx(0, afxtest::TestWindowClass(), L"", WS_CHILD, 0, 0, 20, 20, top.m_hWnd, nullptr));
    ASSERT_TRUE(grandchild.CreateEx(0, afxtest::TestWindowClass(), L"", WS_CHILD, 0, 0, 5, 5, child.m_hWnd, nullptr));

    top.SendMessage(WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ((std::vector<std::string>{"top got WM_DISPLAYCHANGE 32", "child got WM_DISPLAYCHANGE 32",
                                        "grandchild got WM_DISPLAYCHANGE 32"}),
              log.Lines());
}

}  // namespace
