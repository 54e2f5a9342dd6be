#include <gtest/gtest.h>

#include <cstdlib>

#include "app/resource.h"
#include "app/setup_app.h"
#include "setup_machine.h"

namespace {

using Ids = std::vector<int>;
const Ids StartNotInstalled = {IDC_EXIT, IDC_INSTALL, IDC_VERSION_CAPTION, IDC_VERSION_LABEL};
const Ids StartInstalled = {IDC_EXIT, IDC_UNINSTALL, IDC_VERSION_CAPTION, IDC_VERSION_LABEL};
const Ids InterfaceView = {IDC_EXIT, IDC_IDE, IDC_SCSI, IDC_PROMPT};
const Ids ReadyView = {IDC_EXIT, IDC_IDE, IDC_SCSI, IDC_NEXT};

TEST(DialogStart, OffersInstallWithoutTheMarker) {
    winsim::Machine machine;
    Ids seen;
    std::string caption, label;
    RunProgram(machine, [&](winsim::User &u) {
        seen = u.VisibleControls();
        caption = u.Text(IDC_VERSION_CAPTION);
        label = u.Text(IDC_VERSION_LABEL);
    });
    EXPECT_EQ(seen, StartNotInstalled);
    EXPECT_EQ(caption, "Windows Version :");
    EXPECT_EQ(label, "Microsoft  Windows  98");
    EXPECT_EQ(WindowsVersionCode, VersionWindows98);
}

TEST(DialogStart, OffersUninstallWithTheMarkerInAnyCase) {
    winsim::Machine machine;
    machine.Key(HKEY_LOCAL_MACHINE, "SYSTEM\\restore card");
    Ids seen;
    RunProgram(machine, [&](winsim::User &u) { seen = u.VisibleControls(); });
    EXPECT_EQ(seen, StartInstalled);
    EXPECT_EQ(machine.OpenKeyHandles(), 0);
}

TEST(DialogStart, OffersInstallWhenTheMarkerRefusesAccess) {
    winsim::Machine machine;
    machine.Key(HKEY_LOCAL_MACHINE, "system\\Restore Card").denyOpen = true;
    Ids seen;
    RunProgram(machine, [&](winsim::User &u) { seen = u.VisibleControls(); });
    EXPECT_EQ(seen, StartNotInstalled);
}

TEST(DialogStart, ShowsTheLabelOfEachWindows) {
    struct Case {
        void (*set)(winsim::Machine &);
        int code;
        const char *label;
    };
    const Case cases[] = {
        {[](winsim::Machine &m) { m.SetWindows95(); }, VersionWindows95, "Microsoft  Windows  95"},
        {[](winsim::Machine &m) { m.SetWindowsMe(); }, VersionWindowsMe, "Microsoft  Windows  ME"},
        {[](winsim::Machine &m) { m.SetWindowsNt4(); }, VersionNt4Workstation, "Windows  NT  Workstation"},
        {[](winsim::Machine &m) { m.SetWindowsNt4(VER_NT_SERVER); }, VersionNt4Server, "Windows  NT  Server"},
        {[](winsim::Machine &m) { m.SetWindows2000(); }, VersionWindows2000Professional, "Windows  2000  Professional"},
        {[](winsim::Machine &m) { m.SetWindows2000(VER_NT_SERVER); }, VersionWindows2000Server,
         "Windows  2000  Server"},
        {[](winsim::Machine &m) { m.version.basicFails = true; }, VersionUnknown, "Microsoft  Windows  32s"},
    };
    for (const Case &c : cases) {
        winsim::Machine machine;
        c.set(machine);
        std::string label;
        RunProgram(machine, [&](winsim::User &u) { label = u.Text(IDC_VERSION_LABEL); });
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(WindowsVersionCode, c.code) << c.label;
    }
}

TEST(DialogStart, SetsBothIconsAndPreparesTheHiddenProgressBar) {
    winsim::Machine machine;
    bool progressVisible = true;
    int low = -1, high = -1, pos = -1;
    RunProgram(machine, [&](winsim::User &u) {
        progressVisible = u.IsVisible(IDC_PROGRESS);
        low = u.Control(IDC_PROGRESS).rangeLow;
        high = u.Control(IDC_PROGRESS).rangeHigh;
        pos = u.Control(IDC_PROGRESS).position;
    });
    EXPECT_FALSE(progressVisible);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 10);
    EXPECT_EQ(pos, 0);
    winsim::Window *d = machine.DialogWindow();
    EXPECT_NE(d->bigIcon, nullptr);
    EXPECT_EQ(d->bigIcon, d->smallIcon);
    auto setIcon = machine.CallsStartingWith(SentTo("dialog", WM_SETICON));
    ASSERT_EQ(setIcon.size(), 2u);
    EXPECT_EQ(setIcon[0].find(SentTo("dialog", WM_SETICON) + std::to_string(ICON_BIG) + ","), 0u)
        << "the big icon first";
}

TEST(DialogStart, OpensCentredOnTheScreen) {
    winsim::Machine machine;
    RECT r{};
    RunProgram(machine, [&](winsim::User &u) { GetWindowRect(u.Dialog(), &r); });
    EXPECT_LE(std::abs(r.left + r.right - machine.screenWidth), 1);
    EXPECT_LE(std::abs(r.top + r.bottom - machine.screenHeight), 1);
    EXPECT_GT(r.left, 0);
}

TEST(DialogViews, InstallLeadsThroughTheInterfaceChoice) {
    winsim::Machine machine;
    Ids interfaceView, readyView;
    std::string prompt;
    RunProgram(machine, [&](winsim::User &u) {
        ASSERT_TRUE(u.Click(IDC_INSTALL));
        interfaceView = u.VisibleControls();
        prompt = u.Text(IDC_PROMPT);
        EXPECT_EQ(HddInterface, 0);
        ASSERT_TRUE(u.Click(IDC_IDE));
        readyView = u.VisibleControls();
    });
    EXPECT_EQ(interfaceView, InterfaceView);
    EXPECT_EQ(prompt, "Please select your HDD interface :");
    EXPECT_EQ(readyView, ReadyView);
    EXPECT_EQ(HddInterface, 1);
}

TEST(DialogViews, TheLastInterfaceClickedWins) {
    winsim::Machine machine;
    Ids afterBoth;
    RunProgram(machine, [&](winsim::User &u) {
        u.Click(IDC_INSTALL);
        u.Click(IDC_IDE);
        u.Click(IDC_SCSI);
        afterBoth = u.VisibleControls();
        EXPECT_EQ(HddInterface, 2);
        u.Click(IDC_IDE);
    });
    EXPECT_EQ(afterBoth, ReadyView);
    EXPECT_EQ(HddInterface, 1);
}

TEST(DialogViews, RadioChecksFollowTheLastClick) {
    // The template has one WS_GROUP control, so both radio buttons are one group, and the
    // system's automatic handling leaves only the last one clicked checked (as Wine shows).
    winsim::Machine machine;
    RunProgram(machine, [&](winsim::User &u) {
        u.Click(IDC_INSTALL);
        u.Click(IDC_IDE);
        EXPECT_EQ(u.Control(IDC_IDE).check, BST_CHECKED);
        u.Click(IDC_SCSI);
        EXPECT_EQ(u.Control(IDC_IDE).check, BST_UNCHECKED);
        EXPECT_EQ(u.Control(IDC_SCSI).check, BST_CHECKED);
    });
}

TEST(DialogViews, HiddenControlsCannotBeReached) {
    winsim::Machine machine;
    machine.Key(HKEY_LOCAL_MACHINE, "system\\Restore Card");
    RunProgram(machine, [&](winsim::User &u) {
        EXPECT_FALSE(u.Click(IDC_INSTALL)) << "an installed machine offers no install";
        EXPECT_FALSE(u.Click(IDC_IDE));
        EXPECT_TRUE(u.Click(IDC_UNINSTALL));
        EXPECT_EQ(u.VisibleControls(), StartInstalled) << "uninstall changes no view";
    });
}

TEST(DialogEnd, ExitEndsEveryView) {
    const std::vector<std::vector<int>> walks = {
        {}, {IDC_INSTALL}, {IDC_INSTALL, IDC_SCSI}, {IDC_INSTALL, IDC_IDE, IDC_NEXT}};
    for (const auto &walk : walks) {
        winsim::Machine machine;
        RunProgram(machine, [&](winsim::User &u) {
            for (int id : walk) ASSERT_TRUE(u.Click(id));
            ASSERT_TRUE(u.Click(IDC_EXIT));
        });
        EXPECT_EQ(machine.DialogWindow()->result, IDC_EXIT) << walk.size();
        EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
    }
}

TEST(DialogEnd, EscapeCloseBoxAndEnter) {
    struct Case {
        void (*act)(winsim::User &);
        INT_PTR result;
    };
    const Case cases[] = {
        {[](winsim::User &u) { u.PressEscape(); }, IDCANCEL},
        {[](winsim::User &u) { u.CloseBox(); }, IDCANCEL},
        {[](winsim::User &u) { u.PressEnter(); }, IDOK},
    };
    for (const Case &c : cases) {
        winsim::Machine machine;
        RunProgram(machine, [&](winsim::User &u) {
            u.Click(IDC_INSTALL);
            c.act(u);
            EXPECT_TRUE(u.Ended());
        });
        EXPECT_EQ(machine.DialogWindow()->result, c.result);
    }
}

// A command sent to the dialog as its procedure passes it on: true when a handler took it.
struct CommandRoute : CWnd {
    static bool Taken(CWnd *window, UINT id) {
        LRESULT result = 0;
        return (window->*&CommandRoute::OnWndMsg)(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, &result);
    }
};

// Help is the application's command: the dialog has no handler of its own for it, and it
// neither ends the dialog nor shows anything.
TEST(DialogEnd, HelpGoesToTheApplicationAndLeavesTheDialogOpen) {
    winsim::Machine machine;
    RunProgram(machine, [&](winsim::User &u) {
        EXPECT_TRUE(CommandRoute::Taken(AfxGetApp()->m_pMainWnd, ID_HELP));
        EXPECT_FALSE(CommandRoute::Taken(AfxGetApp()->m_pMainWnd, IDC_PROMPT))
            << "a label's id has no handler anywhere";
        u.SendCommand(ID_HELP);
        EXPECT_FALSE(u.Ended());
        EXPECT_TRUE(machine.messageBoxes.empty());
        u.Click(IDC_EXIT);
    });
    EXPECT_EQ(machine.DialogWindow()->result, IDC_EXIT);
}

TEST(Application, InitInstanceSaysFalseAndLetsGoOfTheDialog) {
    winsim::Machine machine;
    EXPECT_EQ(RunProgram(machine, [](winsim::User &u) { u.Click(IDC_EXIT); }), 0);
    EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
    EXPECT_FALSE(theApp.InitInstance() == TRUE) << "a second run ends the same way";
    EXPECT_EQ(machine.CallsNamed("InitCommonControls").size(), 1u);
}

TEST(Application, DialogThatCannotBeCreatedEndsQuietly) {
    winsim::Machine machine;
    machine.dialogCreationFails = true;
    EXPECT_EQ(RunProgram(machine, nullptr), 0);
    EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
    EXPECT_TRUE(machine.messageBoxes.empty());
    EXPECT_EQ(machine.CallsNamed("DialogBoxParamA"),
              std::vector<std::string>{"DialogBoxParamA(" + std::to_string(IDD_SETUP_DIALOG) + ") = -1"});
}

TEST(MinimisedDialog, DrawsTheIconInTheMiddle) {
    struct Case {
        int width, height, x, y;
    };
    const Case cases[] = {{33, 33, 1, 1}, {32, 40, 0, 4}, {30, 31, 0, 0}, {29, 29, -1, -1}};
    for (const Case &c : cases) {
        winsim::Machine machine;
        RunProgram(machine, [&](winsim::User &u) {
            u.Minimise(c.width, c.height);
            u.Paint();
        });
        ASSERT_EQ(machine.iconsDrawn.size(), 1u) << c.width;
        EXPECT_EQ(machine.iconsDrawn[0].x, c.x) << c.width;
        EXPECT_EQ(machine.iconsDrawn[0].y, c.y) << c.height;
        EXPECT_EQ(machine.iconsDrawn[0].icon, machine.DialogWindow()->bigIcon);
        EXPECT_EQ(machine.CallsStartingWith(SentTo("dialog", WM_ICONERASEBKGND)).size(), 1u) << "background erased";
        EXPECT_TRUE(machine.defaultPaints.empty());
    }
}

TEST(MinimisedDialog, NormalPaintingIsTheSystemsAndDraggingShowsTheIcon) {
    winsim::Machine machine;
    LRESULT dragIcon = 0;
    RunProgram(machine, [&](winsim::User &u) {
        u.Paint();
        dragIcon = u.Send(WM_QUERYDRAGICON);
    });
    EXPECT_TRUE(machine.iconsDrawn.empty());
    EXPECT_EQ(machine.defaultPaints, std::vector<std::string>{"normal"});
    EXPECT_EQ(reinterpret_cast<HICON>(dragIcon), machine.DialogWindow()->bigIcon);
}

}  // namespace
