#include <gtest/gtest.h>

#include "app/resource.h"
#include "program_run.h"
#include "winsim/resource_script.h"

namespace {

struct ExpectedControl {
    int id;
    const char *className;
    const char *text;
    DWORD style;
    int x, y, cx, cy;
};

// The dialog as the running program sees it, in creation order: every control has
// WS_EX_NOPARENTNOTIFY from the dialog manager, and the progress bar has dropped its WS_BORDER
// to draw its own frame (as Wine shows).
const ExpectedControl Expected[] = {
    {IDC_EXIT, "BUTTON", "Exit", 0x50010000, 165, 94, 35, 15},
    {IDC_INSTALL, "BUTTON", "Install", 0x50010000, 37, 90, 61, 19},
    {IDC_IDE, "BUTTON", "IDE", 0x50000009, 72, 65, 38, 15},
    {IDC_NEXT, "BUTTON", "Next >>", 0x50010000, 43, 89, 53, 20},
    {IDC_UNINSTALL, "BUTTON", "Uninstall", 0x50010000, 48, 90, 59, 19},
    {IDC_STATIC, "STATIC", "#128", 0x50000003, 87, 15, 20, 20},
    {IDC_STATIC, "STATIC", "Version : Velko 5.00", 0x50020000, 125, 7, 75, 8},
    {IDC_SCSI, "BUTTON", "SCSI", 0x50000009, 124, 63, 31, 18},
    {IDC_PROGRESS, "msctls_progress32", "Progress1", 0x50000000, 31, 65, 149, 14},
    {IDC_VERSION_CAPTION, "EDIT", "", 0x50010881, 19, 52, 61, 12},
    {IDC_VERSION_LABEL, "EDIT", "", 0x50010880, 85, 51, 101, 12},
    {IDC_PROMPT, "EDIT", "", 0x50010881, 30, 46, 149, 16},
};

TEST(DialogTemplate, ControlsAsTheRunningDialogHasThem) {
    winsim::Machine machine;
    std::vector<winsim::Window> controls;
    RunProgram(machine, [&](winsim::User &) {
        for (winsim::Window *c : machine.DialogWindow()->children) controls.push_back(*c);
    });
    ASSERT_EQ(controls.size(), sizeof Expected / sizeof Expected[0]);
    for (size_t i = 0; i < controls.size(); ++i) {
        const ExpectedControl &e = Expected[i];
        const winsim::Window &c = controls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(c.id, e.id);
        EXPECT_EQ(c.className, e.className);
        EXPECT_EQ(c.style, e.style);
        EXPECT_EQ(c.exStyle, static_cast<DWORD>(WS_EX_NOPARENTNOTIFY));
        EXPECT_EQ((std::vector<int>{c.x, c.y, c.cx, c.cy}), (std::vector<int>{e.x, e.y, e.cx, e.cy}));
        // Edits get their texts at run time; the template's own are checked below.
        if (c.className != "EDIT") {
            EXPECT_EQ(c.text, e.text);
        }
    }
}

TEST(DialogTemplate, TheDialogItself) {
    const winsim::ResourceScript &script = winsim::ProgramResources();
    ASSERT_EQ(script.dialogs.count(IDD_SETUP_DIALOG), 1u);
    const winsim::DialogTemplate &d = script.dialogs.at(IDD_SETUP_DIALOG);
    EXPECT_EQ(d.caption, "Setup");
    EXPECT_EQ((std::vector<int>{d.x, d.y, d.cx, d.cy}), (std::vector<int>{0, 0, 207, 116}));
    EXPECT_EQ(d.style, 0x90C800C0u);
    EXPECT_EQ(d.exStyle, 0x00040000u);
    EXPECT_EQ(d.fontSize, 8);
    EXPECT_EQ(d.fontName, "MS Sans Serif");
    EXPECT_EQ((std::vector<int>{d.fontWeight, d.fontItalic, d.fontCharset}), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(d.controls[8].style, 0x50800000u) << "the progress bar's template has its border";
    for (const auto &c : d.controls) {
        if (c.className == "EDIT") {
            EXPECT_EQ(c.text, "") << c.id;
        }
    }
    EXPECT_EQ(script.icons.count(IDR_MAINFRAME), 1u);
}

TEST(DialogTemplate, OnlyTheVersionCaptionStartsAGroup) {
    const winsim::DialogTemplate &d = winsim::ProgramResources().dialogs.at(IDD_SETUP_DIALOG);
    std::vector<std::string> grouped;
    for (const auto &c : d.controls)
        if (c.style & WS_GROUP) grouped.push_back(c.text);
    EXPECT_EQ(grouped, std::vector<std::string>{"Version : Velko 5.00"});
}

}  // namespace
