// Message maps: lookup from the most derived class up, registered messages read at
// dispatch time, command entries by id and notification code, parameter cracking, and
// Default running the previous window procedure on the current message.
#include <gtest/gtest.h>

#include "MessageLog.h"
#include "afx/Afx.h"

using afxtest::ClassLog;
using afxtest::MessageLog;

namespace {

UINT g_registeredMessage = 0;

class BaseTarget : public CWnd {
public:
    MessageLog log;

protected:
    LRESULT OnFirst(WPARAM wParam, LPARAM) {
        log.Add("base", "handler", WM_APP + 1, wParam);
        return 1;
    }
    LRESULT OnSecond(WPARAM wParam, LPARAM) {
        log.Add("base", "handler", WM_APP + 2, wParam);
        return 2;
    }
    void OnTimer(UINT_PTR id) { log.Add("base OnTimer " + std::to_string(id)); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CWnd)
ON_MESSAGE(WM_APP + 1, &BaseTarget::OnFirst)
ON_MESSAGE(WM_APP + 2, &BaseTarget::OnSecond)
ON_WM_TIMER()
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
protected:
    LRESULT OnFirst(WPARAM wParam, LPARAM) {
        log.Add("derived", "handler", WM_APP + 1, wParam);
        return 10;
    }
    LRESULT OnRegistered(WPARAM wParam, LPARAM lParam) {
        log.Add("derived OnRegistered " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 7;
    }
    // Calls Default after handling another message in between: Default must still run
    // the message it was called for.
    LRESULT OnDefaulted(WPARAM wParam, LPARAM) {
        SendMessage(WM_APP + 2, 99);
        log.Add("derived", "handler", WM_APP + 50, wParam);
        return Default();
    }
    void OnMenu() { log.Add("derived OnMenu"); }
    void OnClicked() { log.Add("derived OnClicked"); }
    void OnLButtonDown(UINT flags, CPoint point) {
        log.Add("derived OnLButtonDown " + std::to_string(flags) + " " + std::to_string(point.x) + " " +
                std::to_string(point.y));
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
ON_MESSAGE(WM_APP + 1, &DerivedTarget::OnFirst)
ON_REGISTERED_MESSAGE(g_registeredMessage, &DerivedTarget::OnRegistered)
ON_MESSAGE(WM_APP + 50, &DerivedTarget::OnDefaulted)
ON_COMMAND(100, &DerivedTarget::OnMenu)
ON_BN_CLICKED(101, &DerivedTarget::OnClicked)
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClassLog().Clear();
        ASSERT_TRUE(
            target.CreateEx(0, afxtest::TestWindowClass(), L"target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    }

    DerivedTarget target;
};

TEST_F(MessageMapTest, MostDerivedEntryWinsAndBaseEntriesAreFoundThroughTheChain) {
    EXPECT_EQ(10, target.SendMessage(WM_APP + 1, 5));
    EXPECT_EQ(2, target.SendMessage(WM_APP + 2, 6));
    target.SendMessage(WM_TIMER, 3);
    // Nobody maps WM_APP+3: it reaches the class procedure through Default.
    EXPECT_EQ(0, target.SendMessage(WM_APP + 3, 8));

    EXPECT_EQ((std::vector<std::string>{"derived handler WM_APP+1 5", "base handler WM_APP+2 6", "base OnTimer 3"}),
              target.log.Lines());
    EXPECT_EQ((std::vector<std::string>{"class proc WM_APP+3 8"}), ClassLog().Lines());
}

TEST_F(MessageMapTest, RegisteredMessageIdIsReadWhenTheMessageArrives) {
    // Not registered yet: the entry's variable is 0 and must not catch WM_NULL.
    target.SendMessage(WM_NULL);
    EXPECT_TRUE(target.log.Lines().empty());

    g_registeredMessage = RegisterWindowMessageW(L"AfxTestRegisteredMessage");
    ASSERT_NE(0u, g_registeredMessage);
    EXPECT_EQ(7, target.SendMessage(g_registeredMessage, 4, 9));
    EXPECT_EQ((std::vector<std::string>{"derived OnRegistered 4 9"}), target.log.Lines());
    g_registeredMessage = 0;
}

struct CommandCase {
    const char* label;
    WORD id;
    WORD code;
    bool fromControl;
    const char* handler;  // null: no entry, default processing
};

class CommandEntries : public MessageMapTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandEntries, MatchIdAndNotificationCode) {
    const CommandCase& c = GetParam();
    HWND control = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 1, 1, target.m_hWnd, nullptr, nullptr, nullptr);
    target.SendMessage(WM_COMMAND, MAKEWPARAM(c.id, c.code), c.fromControl ? reinterpret_cast<LPARAM>(control) : 0);
    if (c.handler != nullptr) {
        EXPECT_EQ(std::vector<std::string>{c.handler}, target.log.Lines());
    } else {
        EXPECT_TRUE(target.log.Lines().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandEntries,
                         ::testing::Values(CommandCase{"Menu", 100, 0, false, "derived OnMenu"},
                                           CommandCase{"Accelerator", 100, 1, false, "derived OnMenu"},
                                           CommandCase{"Clicked", 101, BN_CLICKED, true, "derived OnClicked"},
                                           CommandCase{"OtherNotification", 101, BN_DOUBLECLICKED, true, nullptr},
                                           CommandCase{"UnmappedId", 102, BN_CLICKED, true, nullptr}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MessageMapTest, MousePointIsCrackedAsSignedClientCoordinates) {
    target.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 7));
    EXPECT_EQ((std::vector<std::string>{"derived OnLButtonDown 1 -5 7"}), target.log.Lines());
}

TEST_F(MessageMapTest, DefaultRunsThePreviousProcedureOnTheMessageBeingHandled) {
    EXPECT_EQ(42, target.SendMessage(WM_APP + 50, 3));
    EXPECT_EQ((std::vector<std::string>{"base handler WM_APP+2 99", "derived handler WM_APP+50 3"}),
              target.log.Lines());
    EXPECT_EQ((std::vector<std::string>{"class proc WM_APP+50 3"}), ClassLog().Lines());
}

// A class without a record of its own reports its base's.
class PlainDialog : public CDialog {
public:
    PlainDialog() : CDialog(100) {}
};

class NamedDialog : public CDialog {
public:
    static const CRuntimeClass classNamedDialog;
    const CRuntimeClass* GetRuntimeClass() const override { return &classNamedDialog; }
    NamedDialog() : CDialog(100) {}
};

const CRuntimeClass NamedDialog::classNamedDialog{"NamedDialog", 0xFFFF, nullptr, &CDialog::classCDialog};

TEST(RuntimeClass, RecordsChainToTheRoot) {
    NamedDialog named;
    PlainDialog plain;
    CButton button;
    EXPECT_STREQ("NamedDialog", named.GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(0xFFFFu, named.GetRuntimeClass()->m_wSchema);
    EXPECT_TRUE(named.IsKindOf(&CDialog::classCDialog));
    EXPECT_TRUE(named.IsKindOf(&CWnd::classCWnd));
    EXPECT_TRUE(named.IsKindOf(&CObject::classCObject));
    EXPECT_FALSE(named.IsKindOf(&CButton::classCButton));
    EXPECT_STREQ("CDialog", plain.GetRuntimeClass()->m_lpszClassName);
    EXPECT_FALSE(plain.IsKindOf(&NamedDialog::classNamedDialog));
    EXPECT_STREQ("CButton", button.GetRuntimeClass()->m_lpszClassName);
}

}  // namespace
