// The user interface: the dialog and its controls, message boxes, painting, and the person at
// the screen.
#ifndef SETUP_WINSIM_UI_H
#define SETUP_WINSIM_UI_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

struct Window {
    HWND handle = nullptr;
    Window *parent = nullptr;
    std::vector<Window *> children;
    int id = 0;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units for controls, pixels for the dialog
    bool visible = false;
    bool destroyed = false;
    bool iconic = false;
    int check = BST_UNCHECKED;
    int rangeLow = 0, rangeHigh = 100, position = 0;
    HICON bigIcon = nullptr, smallIcon = nullptr;
    DLGPROC proc = nullptr;
    LONG_PTR user = 0;
    bool ended = false;
    INT_PTR result = 0;
    int clientWidth = 0, clientHeight = 0;
};

struct MessageBoxSeen {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

struct IconDrawn {
    HDC dc;
    int x, y;
    HICON icon;
};

class Machine;

// What a person at the screen can do with the open dialog; handed to the test's script.
class User {
public:
    explicit User(Machine &machine, HWND dialog) : m_machine(machine), m_dialog(dialog) {}
    HWND Dialog() const { return m_dialog; }
    // Clicks a visible, enabled control: the platform's own reaction (auto radio buttons) and
    // then the BN_CLICKED notification. Returns false when no person could click it.
    bool Click(int id);
    void PressEscape();
    void PressEnter();  // with the focus away from any push button
    void CloseBox();
    void SendCommand(int id);
    void Minimise(int clientWidth, int clientHeight);
    void Paint();
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool IsVisible(int id) const;
    std::string Text(int id) const;
    std::vector<int> VisibleControls() const;
    Window &Control(int id) const;
    bool Ended() const;

private:
    Machine &m_machine;
    HWND m_dialog;
};

class Ui {
public:
    std::function<void(User &)> user;  // the person at the screen while a dialog is up
    bool dialogCreationFails = false;
    bool commonControlsRegistered = false;
    int screenWidth = 1024, screenHeight = 768;
    int iconWidth = 32, iconHeight = 32;
    std::vector<MessageBoxSeen> messageBoxes;  // each answered with OK
    std::vector<IconDrawn> iconsDrawn;
    std::vector<std::string> defaultPaints;
    Window *FindWindowById(HWND handle);
    Window *DialogWindow() { return m_dialog; }

private:
    // The calls that keep this bookkeeping.
    friend INT_PTR WINAPI(::DialogBoxParamA)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);

    Window *CreateWindowRecord();
    std::vector<std::unique_ptr<Window>> m_windows;
    Window *m_dialog = nullptr;
};

}  // namespace winsim

#endif
