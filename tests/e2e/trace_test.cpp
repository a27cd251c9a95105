// What the program hands to Windows: its calls, in order, with their values and results, as
// the call trace loaded into it writes them, and what a user then sees of them.
#include <gtest/gtest.h>

#include "harness.h"

#include <stdio.h>

#include <algorithm>
#include <regex>

namespace {

const DWORD kTimeoutMs = 60000;

// One command line, the mouse actions on its icon, and the calls of the program that must
// come in this order, with others between them, as the call trace writes them: Name(values),
// its result Name=value, and the window procedure's answers proc(message,wParam,lParam)=value.
// Numbers are the hex of their low 32 bits, texts are quoted with backslashes doubled, and an
// icon record is {cbSize,hWnd,uID,uFlags,uCallbackMessage,hIcon,szTip}. wnd is the hidden
// window, inst the module, size the first record's size, name, error and id the contract's
// values, and a handle that a call returned is that call's name. * stands for any one value,
// [..] for one character of a set; a leading ! names a call that must not happen.
struct TraceRow {
    const char* arguments;
    const char* actions; // p press, e press showing the error box, i ignored callbacks,
                         // r right double-click, R the same from another icon id, c WM_CLOSE
    std::vector<std::string> calls;
};

#define ADDED(icon, tip) "Shell_NotifyIconA(0,{size,wnd,id,7,name," icon "," tip "})"
#define DELETED "Shell_NotifyIconA(2,{size,wnd,id,7,name,0,\"\"})"
const TraceRow kRows[] = {
    {R"($\edit.exe -dNotes 0)",
     "r",
     {"LoadCursorA(0,7f00)", "RegisterClassA(*)", "CreateWindowExA(0,name,name,cf0000,0,0,64,64,0,0,inst,0)",
      "CreateWindowExA=wnd", "RegisterWindowMessageA(name)", R"(ExtractIconA(inst,"$\\edit.exe",0))",
      "ExtractIconA=0", "LoadIconA(inst,65)", ADDED("LoadIconA", "\"Start: Notes\""), "GetMessageA(*,0,0,0)",
      DELETED, "exit(0)"}},
    // Parameters are handed over as they are, blanks, percent signs and quotes included.
    {R"("$\with blanks\my marker.exe%/n C:\a b.txt 50%off \"q r\"" -dParameters)",
     "pr",
     {R"(ShellExecuteA(wnd,0,"$\\with blanks\\my marker.exe","/n C:\\a b.txt 50%off \"q r\"",)"
      R"("$\\with blanks",1))",
      "proc(name,id,201)=1", DELETED}},
    {R"($\edit.exe)", "pr", {R"(ShellExecuteA(wnd,0,"$\\edit.exe","","$",1))"}},
    {R"(~\edit.exe%root)", "pr", {R"(ShellExecuteA(wnd,0,"~\\edit.exe","root","~\\",1))"}},
    {R"(t/edit.exe%x)", "pr", {R"(ShellExecuteA(wnd,0,"t/edit.exe","x",0,1))"}},
    // A refused launch shows the box each time, and the program runs on. Windows may call a
    // missing folder a missing file (2) or a missing path (3).
    {R"(C:\no\such.exe%a)",
     "eer",
     {R"(ShellExecuteA(wnd,0,"C:\\no\\such.exe","a","C:\\no",1))", "ShellExecuteA=[23]",
      "MessageBoxA(0,error,name,10)", "proc(name,id,201)=1",
      R"(ShellExecuteA(wnd,0,"C:\\no\\such.exe","a","C:\\no",1))", "MessageBoxA(0,error,name,10)"}},
    {"",
     "ec",
     {R"(ExtractIconA(inst,"",0))", "LoadIconA(inst,65)", ADDED("LoadIconA", "\"Start: \""),
      R"(ShellExecuteA(wnd,0,"","",0,1))", "MessageBoxA(0,error,name,10)", "PostQuitMessage(0)",
      "proc(2,0,0)=0", "GetMessageA=0", DELETED, "exit(0)"}},
    // Not a program, library or icon: Windows answers 1, which is no icon either; Wine answers
    // NULL here, as for every such file tried, missing and empty ones included.
    {R"($\data.unknownext)",
     "er",
     {R"(ExtractIconA(inst,"$\\data.unknownext",0))", "ExtractIconA=[01]", "LoadIconA(inst,65)",
      "MessageBoxA(0,error,name,10)"}},
    {R"($\corrupt.exe)",
     "er",
     {R"(ShellExecuteA(wnd,0,"$\\corrupt.exe","","$",1))", "MessageBoxA(0,error,name,10)"}},
    {R"(C:\windows\notepad.exe -dNotepad)",
     "c",
     {R"(ExtractIconA(inst,"C:\\windows\\notepad.exe",0))", "!LoadIconA",
      ADDED("ExtractIconA", "\"Start: Notepad\""), "PostQuitMessage(0)", DELETED}},
    {R"($\edit.exe -5 -d0123456789012345678901234567890123456789012345678901234567890)",
     "r",
     {R"(ExtractIconA(inst,"$\\edit.exe",fffffffb))", "LoadIconA(inst,65)",
      ADDED("LoadIconA", "\"Start: ...89012345678901234567890123456789012345678901234567890\"")}},
    // An icon file is loaded, and never replaced by the target's icon.
    {R"($\edit.exe 3 $\missing.ico)",
     "r",
     {R"(LoadImageA(inst,"$\\missing.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)", "!ExtractIconA",
      ADDED("LoadIconA", "*")}},
    {R"($\edit.exe 3 $\empty.ico)",
     "r",
     {R"(LoadImageA(inst,"$\\empty.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)"}},
    {R"($\edit.exe 3 $\garbage.ico)",
     "r",
     {R"(LoadImageA(inst,"$\\garbage.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)"}},
    // Other callbacks do nothing, and the icon identifier is never examined.
    {R"($\edit.exe)",
     "iR",
     {"!ShellExecuteA", "DefWindowProcA(wnd,name,id,200)", "proc(name,id,200)=0",
      "DefWindowProcA(wnd,name,id,202)", "DefWindowProcA(wnd,name,id,203)", "DefWindowProcA(wnd,name,id,204)",
      "DefWindowProcA(wnd,name,id,205)", "DefWindowProcA(wnd,name,id,10206)",
      "DefWindowProcA(wnd,401,id,206)", DELETED, "exit(0)"}},
};

// $ in a row stands for the table's folder, in the kit's own, and ~ for the root of drive C:.
std::string Expand(const std::string& text, const std::string& folder, bool inCall) {
    std::string value = inCall ? std::regex_replace(folder, std::regex(R"(\\)"), R"(\\)") : folder;
    return std::regex_replace(std::regex_replace(text, std::regex(R"(\$)"), value), std::regex("~"), "C:");
}

// Makes the rows' files, the last an icon directory that promises images far beyond the end
// of the file. Only Wine lets a normal user write to a drive's root: Windows needs an
// administrator, and Wine does not honour DefineDosDeviceA, which would give a user a drive.
std::string PrepareTargets() {
    std::string folder = MakeFolder("t");
    CreateDirectoryA((folder + "\\with blanks").c_str(), NULL);
    for (const char* copy : {"$\\edit.exe", "~\\edit.exe", "$\\with blanks\\my marker.exe"}) {
        if (underWine || !strchr(copy, '~')) {
            CopyMarkerTo(Expand(copy, folder, false));
        }
    }
    const std::pair<const char*, std::string> files[] = {
        {"\\data.unknownext", "no program is associated with this"},
        {"\\corrupt.exe", "MZ but nothing an executable needs"},
        {"\\empty.ico", ""},
        {"\\garbage.ico",
         std::string("\0\0\1\0\xff\xff\x30\x30\0\0\1\0\x20\0\xff\xff\xff\x7f\x16\0\0\0", 22)}};
    for (const auto& file : files) {
        FILE* out = fopen((folder + file.first).c_str(), "wb");
        EXPECT_NE(nullptr, out) << file.first;
        fwrite(file.second.data(), 1, file.second.size(), out);
        fclose(out);
    }
    return folder;
}

// A value, a quoted text, or a record's brace.
const std::regex kValue(R"("(?:\\.|[^"\\])*"|[^,{}()="]+)");

// * matches one value: anything up to the next comma, parenthesis or brace.
bool Matches(const char* pattern, const char* call) {
    if (*pattern == '[') {
        const char* end = strchr(pattern, ']');
        return *call && memchr(pattern + 1, *call, end - pattern - 1) && Matches(end + 1, call + 1);
    }
    if (*pattern == '*') {
        for (const char* rest = call;; rest++) {
            if (Matches(pattern + 1, rest)) {
                return true;
            }
            if (*rest == '\0' || strchr(",(){}", *rest)) {
                return false;
            }
        }
    }
    return *pattern == *call && (*pattern == '\0' || Matches(pattern + 1, call + 1));
}

void ExpectCalls(const std::vector<std::string>& expected, const std::vector<std::string>& calls) {
    std::vector<std::string>::const_iterator next = calls.begin();
    for (const std::string& pattern : expected) {
        for (const std::string& call : calls) {
            EXPECT_TRUE(pattern[0] != '!' ||
                        call.compare(0, pattern.size() - 1, pattern, 1, std::string::npos) != 0)
                << "unexpected: " << call;
        }
        while (pattern[0] != '!' && next != calls.end() && !Matches(pattern.c_str(), next->c_str())) {
            ++next;
        }
        if (pattern[0] != '!' && next == calls.end()) {
            std::string seen;
            for (const std::string& call : calls) {
                seen += call.compare(0, call.find_first_of("(="), pattern, 0, pattern.find_first_of("(="))
                            ? ""
                            : "\n  " + call;
            }
            ADD_FAILURE() << "missing, or out of order: " << pattern << "\ncalls of that name:" << seen;
            return;
        }
        next += pattern[0] != '!';
    }
}

// A real click where the shell says the icon is (Windows 7 and later), or false where it
// gives no place: an icon in the overflow area has none, and some shells do not answer.
bool ClickIcon(HWND window) {
    auto getRect = reinterpret_cast<decltype(&Shell_NotifyIconGetRect)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), "Shell_NotifyIconGetRect")));
    NOTIFYICONIDENTIFIER icon = {sizeof icon, window, kContractIconId, {}};
    RECT place = {};
    HRESULT result = getRect ? getRect(&icon, &place) : E_NOTIMPL;
    if (FAILED(result) || IsRectEmpty(&place)) {
        char why[80] = {};
        snprintf(why, sizeof why, "real presses: the shell gives no place for the icon (%08lx)", result);
        static bool said = (Skip(why), false);
        return said;
    }
    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, press, sizeof press[0]) == 2;
}

void Act(const TrayProcess& tray, char action) {
    switch (action) {
    case 'p':
        if (!ClickIcon(tray.window)) {
            tray.Notify(WM_LBUTTONDOWN);
        }
        break;
    case 'r':
    case 'R':
        tray.Notify(WM_RBUTTONDBLCLK, action == 'R' ? 1 : kContractIconId);
        break;
    case 'e':
        EXPECT_EQ(kContractErrorText, tray.PressForErrorBox(kTimeoutMs));
        break;
    case 'i':
        for (LPARAM message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                               WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_CONTEXTMENU, 0, 0x10206}) {
            tray.Notify(message);
        }
        // Another message number carrying a right double-click is not a callback.
        PostMessageA(tray.window, WM_USER + 1, kContractIconId, WM_RBUTTONDBLCLK);
        Sleep(1500);
        break;
    case 'c':
        PostMessageA(tray.window, WM_CLOSE, 0, 0);
        break;
    }
}

// What the launched marker saw against what the row's ShellExecuteA asks for: its parameters,
// its folder (without one, the program's own) and the show mode.
void ExpectLaunch(const std::vector<std::string>& calls, const Launch& launch,
                  const std::string& startFolder) {
    auto call = std::find_if(calls.begin(), calls.end(),
                             [](const std::string& c) { return c.compare(0, 14, "ShellExecuteA(") == 0; });
    ASSERT_NE(calls.end(), call);
    std::vector<std::string> v; // owner, verb, file, parameters, folder, show mode
    for (std::sregex_iterator i(call->begin() + 13, call->end(), kValue), end; i != end; ++i) {
        std::string value = i->str()[0] == '"' ? i->str().substr(1, i->length() - 2) : i->str();
        v.push_back(std::regex_replace(value, std::regex(R"(\\(.))"), "$1"));
    }
    const std::string& line = launch.commandLine;
    EXPECT_TRUE(line.size() >= v[3].size() &&
                line.compare(line.size() - v[3].size(), v[3].size(), v[3]) == 0 &&
                v[3].empty() == launch.arguments.empty())
        << launch.commandLine;
    EXPECT_EQ(v[4] == "0" ? startFolder : v[4], launch.currentDirectory);
    EXPECT_EQ(v[5], std::to_string(launch.show));
}

// Runs the table: each row's checks of what a Windows shows, and with the call trace loaded,
// its calls too.
void RunTable(bool traced) {
    std::string folder = PrepareTargets();
    for (const TraceRow& row : kRows) {
        SCOPED_TRACE(std::string("arguments: ") + row.arguments + ", actions: " + row.actions);
        if (!underWine && strchr(row.arguments, '~')) {
            Skip(std::string(row.arguments) +
                 ": a target in a drive's root, which only Wine lets a user make");
            continue;
        }
        std::vector<std::string> calls;
        for (const std::string& call : row.calls) {
            calls.push_back(Expand(call, folder, true));
        }
        MarkerLog markers;
        TrayProcess tray;
        ASSERT_TRUE(tray.Start(Expand(row.arguments, folder, false), KitFolder().c_str(), TrayLauncherPath(),
                               traced));
        // No CS_DBLCLKS: the shell, not the window, turns presses into double-clicks.
        EXPECT_EQ(static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW), GetClassLongA(tray.window, GCL_STYLE));
        EXPECT_FALSE(IsWindowVisible(tray.window));
        EXPECT_EQ(WS_OVERLAPPEDWINDOW, GetWindowLongA(tray.window, GWL_STYLE) & WS_OVERLAPPEDWINDOW);
        EXPECT_TRUE(TrayHoldsIcon(tray.window, kContractIconId, 10000));
        EXPECT_FALSE(TrayHoldsIcon(tray.window, kContractIconId + 1, 0));
        for (const char* action = row.actions; *action; action++) {
            Act(tray, *action);
            EXPECT_TRUE(action[1] == '\0' || tray.IsRunning()) << "after " << *action;
        }
        EXPECT_EQ(0u, tray.WaitForExit(kTimeoutMs));
        EXPECT_FALSE(TrayHoldsIcon(tray.window, kContractIconId, 0)) << "the icon outlives the program";
        size_t presses = std::count(row.actions, row.actions + strlen(row.actions), 'p');
        for (const Launch& launch : markers.WaitForLaunches(presses, presses ? kTimeoutMs : 0)) {
            ExpectLaunch(calls, launch, KitFolder());
        }
        EXPECT_EQ(presses, markers.CountLaunches());
        if (traced) {
            ExpectCalls(calls, tray.Calls());
        }
        // Later rows would only wait out their timeouts once one has gone wrong.
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    DeleteFileA(Expand("~\\edit.exe", folder, false).c_str());
}

TEST(Trace, CallsTheirValuesAndWhatTheyDo) {
    RunTable(true);
}

// The same rows without the call trace: what a Windows shows of them, on its own.
TEST(Seen, WhatTheRowsDo) {
    RunTable(false);
}

} // namespace
