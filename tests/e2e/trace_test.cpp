// What the program hands to Windows: its calls, in order, with their values, read from
// Wine's relay trace, and the tip the notification area ends up holding.
#include <gtest/gtest.h>

#include "harness.h"

#include <stdio.h>

#include <regex>

namespace {

const DWORD kTimeoutMs = 60000;

// One command line, the mouse actions on its icon, and the calls of the program's thread
// that must come in this order, with others between them. A call is Name(values) and its
// result Name=value; the window procedure's answers are proc(message,wParam,lParam)=value.
// Texts stand as the trace writes them, numbers as the hex of their low 32 bits; wnd is the
// hidden window, inst the module, and name, error and id the contract's values. * stands
// for any one value; a leading ! names a call that must not happen.
struct TraceRow {
    const char* arguments;
    const char* actions; // p press, e press showing the error box, i ignored callbacks,
                         // r right double-click, R the same from another icon id, c WM_CLOSE
    std::vector<std::string> calls;
    const char* tip; // checked when not null
};

const TraceRow kRows[] = {
    {R"(C:\t\edit.exe -dNotes 0)",
     "r",
     {"LoadCursorA(0,7f00)", "RegisterClassA(*)", "CreateWindowExA(0,name,name,cf0000,0,0,64,64,0,0,inst,0)",
      "CreateWindowExA=wnd", "RegisterWindowMessageA(name)", R"(ExtractIconA(inst,"C:\\t\\edit.exe",0))",
      "ExtractIconA=0", "LoadIconA(inst,65)", "Shell_NotifyIconA(0,*)", "GetMessageA(*,0,0,0)",
      "Shell_NotifyIconA(2,*)", "exit(0)"},
     "Start: Notes"},
    // Parameters are handed over as they are, blanks, percent signs and quotes included.
    {R"("C:\t\with blanks\my marker.exe%/n C:\a b.txt 50%off \"q r\"" -dParameters)",
     "pr",
     {R"(ShellExecuteA(wnd,0,"C:\\t\\with blanks\\my marker.exe","/n C:\\a b.txt 50%off \"q r\"",)"
      R"("C:\\t\\with blanks",1))",
      "proc(name,id,201)=1", "Shell_NotifyIconA(2,*)"},
     nullptr},
    {R"(C:\t\edit.exe)", "pr", {R"(ShellExecuteA(wnd,0,"C:\\t\\edit.exe","","C:\\t",1))"}, nullptr},
    {R"(C:\edit.exe%root)", "pr", {R"(ShellExecuteA(wnd,0,"C:\\edit.exe","root","C:\\",1))"}, nullptr},
    {R"(t/edit.exe%x)", "pr", {R"(ShellExecuteA(wnd,0,"t/edit.exe","x",0,1))"}, nullptr},
    // A refused launch shows the box each time, and the program runs on.
    {R"(C:\no\such.exe%a)",
     "eer",
     {R"(ShellExecuteA(wnd,0,"C:\\no\\such.exe","a","C:\\no",1))", "ShellExecuteA=2",
      "MessageBoxA(0,error,name,10)", "proc(name,id,201)=1",
      R"(ShellExecuteA(wnd,0,"C:\\no\\such.exe","a","C:\\no",1))", "MessageBoxA(0,error,name,10)"},
     nullptr},
    {"",
     "ec",
     {R"(ExtractIconA(inst,"",0))", "LoadIconA(inst,65)", R"(ShellExecuteA(wnd,0,"","",0,1))",
      "MessageBoxA(0,error,name,10)", "PostQuitMessage(0)", "proc(WM_DESTROY,0,0)=0", "GetMessageA=0",
      "Shell_NotifyIconA(2,*)", "exit(0)"},
     "Start: "},
    {R"(C:\t\data.unknownext)",
     "er",
     {R"(ExtractIconA(inst,"C:\\t\\data.unknownext",0))", "ExtractIconA=0", "LoadIconA(inst,65)",
      "MessageBoxA(0,error,name,10)"},
     nullptr},
    {R"(C:\t\corrupt.exe)",
     "er",
     {R"(ShellExecuteA(wnd,0,"C:\\t\\corrupt.exe","","C:\\t",1))", "MessageBoxA(0,error,name,10)"},
     nullptr},
    {R"(C:\windows\notepad.exe -dNotepad)",
     "c",
     {R"(ExtractIconA(inst,"C:\\windows\\notepad.exe",0))", "!LoadIconA", "PostQuitMessage(0)",
      "Shell_NotifyIconA(2,*)"},
     "Start: Notepad"},
    {R"(C:\t\edit.exe -5 -d0123456789012345678901234567890123456789012345678901234567890)",
     "r",
     {R"(ExtractIconA(inst,"C:\\t\\edit.exe",fffffffb))", "LoadIconA(inst,65)"},
     "Start: ...89012345678901234567890123456789012345678901234567890"},
    // An icon file is loaded, and never replaced by the target's icon.
    {R"(C:\t\edit.exe 3 C:\t\missing.ico)",
     "r",
     {R"(LoadImageA(inst,"C:\\t\\missing.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)",
      "!ExtractIconA"},
     nullptr},
    {R"(C:\t\edit.exe 3 C:\t\empty.ico)",
     "r",
     {R"(LoadImageA(inst,"C:\\t\\empty.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)"},
     nullptr},
    {R"(C:\t\edit.exe 3 C:\t\garbage.ico)",
     "r",
     {R"(LoadImageA(inst,"C:\\t\\garbage.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)"},
     nullptr},
    // Other callbacks do nothing, and the icon identifier is never examined.
    {R"(C:\t\edit.exe)",
     "iR",
     {"!ShellExecuteA", "DefWindowProcA(wnd,name,id,200)", "proc(name,id,200)=0",
      "DefWindowProcA(wnd,name,id,202)", "DefWindowProcA(wnd,name,id,203)", "DefWindowProcA(wnd,name,id,204)",
      "DefWindowProcA(wnd,name,id,205)", "DefWindowProcA(wnd,name,id,10206)",
      "DefWindowProcA(wnd,401,id,206)", "Shell_NotifyIconA(2,*)", "exit(0)"},
     nullptr},
};

void PrepareTargets() {
    CreateDirectoryA("C:\\t", NULL);
    CreateDirectoryA("C:\\t\\with blanks", NULL);
    for (const char* copy : {"C:\\t\\edit.exe", "C:\\edit.exe", "C:\\t\\with blanks\\my marker.exe"}) {
        CopyMarkerTo(copy);
    }
    // The last, an icon directory that promises images far beyond the end of the file.
    const std::pair<const char*, std::string> files[] = {
        {"C:\\t\\data.unknownext", "no program is associated with this"},
        {"C:\\t\\corrupt.exe", "MZ but nothing an executable needs"},
        {"C:\\t\\empty.ico", ""},
        {"C:\\t\\garbage.ico",
         std::string("\0\0\1\0\xff\xff\x30\x30\0\0\1\0\x20\0\xff\xff\xff\x7f\x16\0\0\0", 22)}};
    for (const auto& file : files) {
        FILE* out = fopen(file.first, "wb");
        ASSERT_NE(nullptr, out) << file.first;
        fwrite(file.second.data(), 1, file.second.size(), out);
        fclose(out);
    }
    // Relay only the program's own calls; while an exclude list exists the include list is ignored.
    HKEY key = NULL;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Debug", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    const char include[] = "traylnch.exe";
    RegSetValueExA(key, "RelayFromInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(include),
                   sizeof include);
    RegDeleteValueA(key, "RelayFromExclude");
    RegCloseKey(key);
}

struct Names {
    UINT window, instance, callback;

    std::string Value(const std::string& token) const {
        if (token[0] == '"') {
            return token == '"' + std::string(kContractName) + '"'        ? "name"
                   : token == '"' + std::string(kContractErrorText) + '"' ? "error"
                                                                          : token;
        }
        if (token.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return token; // a message name
        }
        UINT number = static_cast<UINT>(strtoull(token.c_str(), NULL, 16));
        char hex[12] = {};
        snprintf(hex, sizeof hex, "%x", number);
        return number == window            ? "wnd"
               : number == instance        ? "inst"
               : number == kContractIconId ? "id"
               : number == callback        ? "name"
                                           : hex;
    }

    // A pointer to a text is written as the text; every other value goes through Value.
    std::string Values(const std::string& list) const {
        static const std::regex value(R"((?:[0-9a-fA-F]+ )?("(?:\\.|[^"\\])*")|[^,]+)");
        std::string joined;
        for (std::sregex_iterator i(list.begin(), list.end(), value), end; i != end; ++i) {
            joined += (joined.empty() ? "" : ",") + Value((*i)[1].matched ? (*i)[1].str() : i->str());
        }
        return joined;
    }
};

// Newer Wine forwards some exports elsewhere, and the trace names the forward: such a call is
// the one the program imported.
std::string ImportedName(const std::string& traced) {
    return traced == "NtdllDefWindowProc_A" ? "DefWindowProcA" : traced;
}

// The calls of one thread, from the log that the traced run's standard error went to.
std::vector<std::string> ReadCalls(DWORD threadId, const Names& names) {
    static const std::regex call(R"(Call [\w.]+\.(\w+)\((.*)\) ret=\w+\s*)"),
        result(R"(Ret  [\w.]+\.(\w+)\(\) retval=(\w+).*\s*)"),
        answer(R"(Ret  window proc \w+ \(hwnd=(\w+),msg=(.*),wp=(\w+),lp=(\w+)\) retval=(\w+)\s*)");
    std::vector<std::string> calls;
    const char* log = getenv("TRAYLNCH_TRACE_LOG");
    FILE* file = log ? fopen(WindowsPath(log).c_str(), "rb") : NULL;
    if (!file) {
        ADD_FAILURE()
            << "no trace log: TRAYLNCH_TRACE_LOG must name the file the run's standard error goes to";
        return calls;
    }
    char prefix[16] = {}, buffer[8192];
    snprintf(prefix, sizeof prefix, "%04lx:", threadId);
    std::smatch m;
    while (fgets(buffer, sizeof buffer, file)) {
        std::string line = buffer;
        line = line.compare(0, strlen(prefix), prefix) ? "" : line.substr(strlen(prefix));
        if (std::regex_match(line, m, call)) {
            calls.push_back(ImportedName(m[1]) + "(" + names.Values(m[2]) + ")");
        } else if (std::regex_match(line, m, result)) {
            calls.push_back(ImportedName(m[1]) + "=" + names.Value(m[2]));
        } else if (std::regex_match(line, m, answer) && names.Value(m[1]) == "wnd") {
            calls.push_back("proc(" + names.Values(m[2].str() + "," + m[3].str() + "," + m[4].str()) +
                            ")=" + names.Value(m[5]));
        }
    }
    fclose(file);
    EXPECT_FALSE(calls.empty()) << "no call of thread " << prefix << " in the trace log";
    return calls;
}

// * matches one value: anything up to the next comma or parenthesis.
bool Matches(const char* pattern, const char* call) {
    if (*pattern == '*') {
        for (const char* rest = call;; rest++) {
            if (Matches(pattern + 1, rest)) {
                return true;
            }
            if (*rest == '\0' || *rest == ',' || *rest == '(' || *rest == ')') {
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

// A modify without flags changes nothing, and the tray answers TRUE only for an icon it holds
// under that window and identifier.
bool TrayHoldsIcon(HWND window, UINT id, DWORD timeoutMs) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = id;
    DWORD start = GetTickCount();
    while (!Shell_NotifyIconA(NIM_MODIFY, &record)) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

void Act(const TrayProcess& tray, char action) {
    switch (action) {
    case 'p':
    case 'r':
    case 'R':
        tray.Notify(action == 'p' ? WM_LBUTTONDOWN : WM_RBUTTONDBLCLK, action == 'R' ? 1 : kContractIconId);
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

TEST(Trace, CallsTheirValuesAndTheTip) {
    PrepareTargets();
    for (const TraceRow& row : kRows) {
        SCOPED_TRACE(std::string("arguments: ") + row.arguments + ", actions: " + row.actions);
        std::vector<std::string> tipsBefore = ReadTrayTips();
        TrayProcess tray;
        ASSERT_TRUE(tray.Start(row.arguments, "C:\\", TrayLauncherPath(), true));
        // No CS_DBLCLKS: the shell, not the window, turns presses into double-clicks.
        EXPECT_EQ(static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW), GetClassLongA(tray.window, GCL_STYLE));
        EXPECT_FALSE(IsWindowVisible(tray.window));
        Names names = {static_cast<UINT>(reinterpret_cast<UINT_PTR>(tray.window)),
                       static_cast<UINT>(GetWindowLongPtrA(tray.window, GWLP_HINSTANCE)),
                       RegisterWindowMessageA(kContractName)};
        if (row.tip) {
            EXPECT_EQ(row.tip, WaitForNewTrayTip(tipsBefore, kTimeoutMs));
        }
        EXPECT_TRUE(TrayHoldsIcon(tray.window, kContractIconId, 10000));
        EXPECT_FALSE(TrayHoldsIcon(tray.window, kContractIconId + 1, 0));
        for (const char* action = row.actions; *action; action++) {
            Act(tray, *action);
            EXPECT_TRUE(action[1] == '\0' || tray.IsRunning()) << "after " << *action;
        }
        EXPECT_EQ(0u, tray.WaitForExit(kTimeoutMs));
        ExpectCalls(row.calls, ReadCalls(tray.info.dwThreadId, names));
    }
}

} // namespace
