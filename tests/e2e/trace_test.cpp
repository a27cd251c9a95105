// What the program hands to Windows: its calls, in order, with their values, read from
// Wine's relay trace, and the tip the notification area ends up holding.
#include <gtest/gtest.h>

#include "harness.h"

#include <stdio.h>

namespace {

const DWORD kTimeoutMs = 60000;

// Each call of the program's thread, written Name(value,...), and Name=result after it.
// A text shows in quotes, a number as the hex of its low 32 bits (wider slots carry
// garbage above them). The hidden window shows as wnd, the module as inst, the contract's
// name, error text and icon identifier as name, error and id. The window procedure's
// answers show as proc(message,wParam,lParam)=result.
struct TraceRow {
    const char* name;
    const char* arguments;
    // p press, e press that shows the error box, i ignored callbacks, r right
    // double-click, R the same under another icon identifier, c WM_CLOSE
    const char* actions;
    // In this order, other calls between them; * is any one value, a leading ! a call
    // that must not happen at all.
    std::vector<std::string> calls;
    const char* tip; // checked when not null
};

const TraceRow kRows[] = {
    {"start-up, the target's icon and a right double-click",
     R"(C:\t\edit.exe -dNotes 0)",
     "r",
     {"LoadCursorA(0,7f00)", "RegisterClassA(*)", "CreateWindowExA(0,name,name,cf0000,0,0,64,64,0,0,inst,0)",
      "CreateWindowExA=wnd", "RegisterWindowMessageA(name)", R"(ExtractIconA(inst,"C:\t\edit.exe",0))",
      "ExtractIconA=0", "LoadIconA(inst,65)", "Shell_NotifyIconA(0,*)", "GetMessageA(*,0,0,0)",
      "Shell_NotifyIconA(2,*)", "exit(0)"},
     "Start: Notes"},
    {"a press hands over the parameters as they are",
     R"("C:\t\with blanks\my marker.exe%/n C:\a b.txt 50%off \"q r\"" -dParameters)",
     "pr",
     {R"(ShellExecuteA(wnd,0,"C:\t\with blanks\my marker.exe","/n C:\a b.txt 50%off "q r"","C:\t\with blanks",1))",
      "proc(name,id,201)=1", "Shell_NotifyIconA(2,*)"},
     nullptr},
    {"empty parameters are still a text",
     R"(C:\t\edit.exe)",
     "pr",
     {R"(ShellExecuteA(wnd,0,"C:\t\edit.exe","","C:\t",1))"},
     nullptr},
    {"a target in a drive's root starts in the root",
     R"(C:\edit.exe%root)",
     "pr",
     {R"(ShellExecuteA(wnd,0,"C:\edit.exe","root","C:\",1))"},
     nullptr},
    {"without a backslash no folder is passed",
     R"(t/edit.exe%x)",
     "pr",
     {R"(ShellExecuteA(wnd,0,"t/edit.exe","x",0,1))"},
     nullptr},
    {"a refused launch shows the box each time and the program runs on",
     R"(C:\no\such.exe%a)",
     "eer",
     {R"(ShellExecuteA(wnd,0,"C:\no\such.exe","a","C:\no",1))", "ShellExecuteA=2",
      "MessageBoxA(0,error,name,10)", "proc(name,id,201)=1",
      R"(ShellExecuteA(wnd,0,"C:\no\such.exe","a","C:\no",1))", "MessageBoxA(0,error,name,10)"},
     nullptr},
    {"no arguments: an empty target, the built-in icon, an empty tip, and closing the window",
     "",
     "ec",
     {R"(ExtractIconA(inst,"",0))", "LoadIconA(inst,65)", R"(ShellExecuteA(wnd,0,"","",0,1))",
      "MessageBoxA(0,error,name,10)", "PostQuitMessage(0)", "proc(WM_DESTROY,0,0)=0", "GetMessageA=0",
      "Shell_NotifyIconA(2,*)", "exit(0)"},
     "Start: "},
    {"a file of no known type: the box",
     R"(C:\t\data.unknownext)",
     "er",
     {R"(ExtractIconA(inst,"C:\t\data.unknownext",0))", "ExtractIconA=0", "LoadIconA(inst,65)",
      "MessageBoxA(0,error,name,10)"},
     nullptr},
    {"a corrupt program: the box",
     R"(C:\t\corrupt.exe)",
     "er",
     {R"(ShellExecuteA(wnd,0,"C:\t\corrupt.exe","","C:\t",1))", "MessageBoxA(0,error,name,10)"},
     nullptr},
    {"a target with icons shows its own, and closing the window",
     R"(C:\windows\notepad.exe -dNotepad)",
     "c",
     {R"(ExtractIconA(inst,"C:\windows\notepad.exe",0))", "!LoadIconA", "PostQuitMessage(0)",
      "Shell_NotifyIconA(2,*)"},
     "Start: Notepad"},
    {"a negative index is handed on, and a long tip keeps its end",
     R"(C:\t\edit.exe -5 -d0123456789012345678901234567890123456789012345678901234567890)",
     "r",
     {R"(ExtractIconA(inst,"C:\t\edit.exe",fffffffb))", "LoadIconA(inst,65)"},
     "Start: ...89012345678901234567890123456789012345678901234567890"},
    {"an icon file is loaded, never the target's icon",
     R"(C:\t\edit.exe 3 C:\t\missing.ico)",
     "r",
     {R"(LoadImageA(inst,"C:\t\missing.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)",
      "!ExtractIconA"},
     nullptr},
    {"an empty icon file: the built-in icon",
     R"(C:\t\edit.exe 3 C:\t\empty.ico)",
     "r",
     {R"(LoadImageA(inst,"C:\t\empty.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)"},
     nullptr},
    {"a garbage icon file: the built-in icon",
     R"(C:\t\edit.exe 3 C:\t\garbage.ico)",
     "r",
     {R"(LoadImageA(inst,"C:\t\garbage.ico",1,0,0,10))", "LoadImageA=0", "LoadIconA(inst,65)"},
     nullptr},
    {"other callbacks do nothing; the icon identifier is never examined",
     R"(C:\t\edit.exe)",
     "iR",
     {"!ShellExecuteA", "proc(name,id,200)=0", "Shell_NotifyIconA(2,*)", "exit(0)"},
     nullptr},
};

void WriteFile(const std::string& path, const std::string& content) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file) << path;
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

void PrepareTargets() {
    CreateDirectoryA("C:\\t", NULL);
    CreateDirectoryA("C:\\t\\with blanks", NULL);
    CopyMarkerTo("C:\\t\\edit.exe");
    CopyMarkerTo("C:\\edit.exe");
    CopyMarkerTo("C:\\t\\with blanks\\my marker.exe");
    WriteFile("C:\\t\\data.unknownext", "no program is associated with this");
    WriteFile("C:\\t\\corrupt.exe", "MZ but nothing an executable needs");
    WriteFile("C:\\t\\empty.ico", "");
    // An icon directory that promises images far beyond the end of the file.
    WriteFile("C:\\t\\garbage.ico",
              std::string("\0\0\1\0\xff\xff\x30\x30\0\0\1\0\x20\0\xff\xff\xff\x7f\x16\0\0\0", 22));
    // Relay only the program's own calls; while any exclude list exists the include list is ignored.
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Debug", 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    const char include[] = "traylnch.exe";
    RegSetValueExA(key, "RelayFromInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(include),
                   sizeof include);
    RegDeleteValueA(key, "RelayFromExclude");
    RegCloseKey(key);
}

std::string Hex(unsigned long long value) {
    char text[20] = {};
    snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

// Splits a traced value list at its commas, undoing Wine's escapes inside quoted texts.
std::vector<std::string> SplitValues(const std::string& list) {
    std::vector<std::string> values(1);
    for (size_t i = 0; i < list.size(); i++) {
        if (list[i] == ',') {
            values.emplace_back();
            continue;
        }
        values.back() += list[i];
        if (list[i] != '"') {
            continue;
        }
        for (i++; i < list.size() && list[i] != '"'; i++) {
            char c = list[i];
            if (c == '\\' && i + 1 < list.size()) {
                c = list[++i];
                if (c == 'x') {
                    c = static_cast<char>(strtol(list.substr(i + 1, 2).c_str(), NULL, 16));
                    i += 2;
                } else if (c == 'n' || c == 'r' || c == 't') {
                    c = c == 'n' ? '\n' : c == 'r' ? '\r' : '\t';
                }
            }
            values.back() += c;
        }
        values.back() += '"';
    }
    return values;
}

std::string Normalize(std::string value, const std::string& window, const std::string& instance) {
    size_t equals = value.find('=');
    if (equals < value.find('"')) {
        value = value.substr(equals + 1); // the window procedure's hwnd=..., msg=...
    }
    size_t quote = value.find('"');
    if (quote != std::string::npos) {
        value = value.substr(quote); // a pointer and the text it points to
        return value == '"' + std::string(kContractName) + '"'        ? "name"
               : value == '"' + std::string(kContractErrorText) + '"' ? "error"
                                                                      : value;
    }
    if (value.empty() || value.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return value; // a message name
    }
    std::string hex = Hex(strtoull(value.c_str(), NULL, 16));
    return hex == window ? "wnd" : hex == instance ? "inst" : hex == Hex(kContractIconId) ? "id" : hex;
}

std::string Join(const std::vector<std::string>& values, const std::string& window,
                 const std::string& instance) {
    std::string joined;
    for (const std::string& value : values) {
        joined += (joined.empty() ? "" : ",") + Normalize(value, window, instance);
    }
    return joined;
}

// The calls of the program's main thread, from the trace in the file the run's standard
// error goes to.
std::vector<std::string> ReadCalls(DWORD threadId, const std::string& window, const std::string& instance,
                                   std::string* problem) {
    std::vector<std::string> calls;
    FILE* file =
        fopen(WindowsPath(getenv("TRAYLNCH_TRACE_LOG") ? getenv("TRAYLNCH_TRACE_LOG") : "").c_str(), "rb");
    if (!file) {
        *problem = "the trace log cannot be opened: is TRAYLNCH_TRACE_LOG the file standard error goes to?";
        return calls;
    }
    char prefix[16] = {};
    snprintf(prefix, sizeof prefix, "%04lx:", threadId);
    char buffer[8192];
    while (fgets(buffer, sizeof buffer, file)) {
        std::string line = buffer;
        line.erase(line.find_last_not_of("\r\n") + 1);
        if (line.compare(0, strlen(prefix), prefix) != 0) {
            continue;
        }
        line = line.substr(strlen(prefix));
        size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open) {
            continue;
        }
        std::vector<std::string> values = SplitValues(line.substr(open + 1, close - open - 1));
        size_t retval = line.find(" retval=", close);
        std::string result;
        if (retval != std::string::npos) {
            result =
                Normalize(line.substr(retval + 8, line.find(' ', retval + 8) - retval - 8), window, instance);
        }
        if (line.compare(0, 17, "Ret  window proc ") == 0) {
            if (Normalize(values[0], window, instance) == "wnd") {
                values.erase(values.begin());
                calls.push_back("proc(" + Join(values, window, instance) + ")=" + result);
            }
        } else if (line.compare(0, 5, "Call ") == 0 && line.compare(5, 11, "window proc") != 0) {
            std::string name = line.substr(5, open - 5);
            calls.push_back(name.substr(name.find('.') + 1) + "(" + Join(values, window, instance) + ")");
        } else if (line.compare(0, 5, "Ret  ") == 0 && !result.empty()) {
            std::string name = line.substr(5, open - 5);
            calls.push_back(name.substr(name.find('.') + 1) + "=" + result);
        }
    }
    fclose(file);
    if (calls.empty()) {
        *problem = "no traced call of thread " + std::string(prefix) + " in the trace log";
    }
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
    if (*pattern == '\0' || *pattern != *call) {
        return *pattern == '\0' && *call == '\0';
    }
    return Matches(pattern + 1, call + 1);
}

void ExpectCalls(const std::vector<std::string>& expected, const std::vector<std::string>& calls) {
    size_t next = 0;
    for (const std::string& pattern : expected) {
        if (pattern[0] == '!') {
            for (const std::string& call : calls) {
                EXPECT_NE(0u, call.compare(0, pattern.size() - 1, pattern.substr(1)))
                    << "unexpected: " << call;
            }
            continue;
        }
        while (next < calls.size() && !Matches(pattern.c_str(), calls[next].c_str())) {
            next++;
        }
        if (next == calls.size()) {
            std::string seen;
            for (const std::string& call : calls) {
                bool named =
                    pattern.compare(0, pattern.find_first_of("(="), call, 0, call.find_first_of("(=")) == 0;
                seen += named ? "\n  " + call : "";
            }
            ADD_FAILURE() << "missing, or out of order: " << pattern << "\ncalls of that name:" << seen;
            return;
        }
        next++;
    }
}

void Act(const TrayProcess& tray, char action) {
    switch (action) {
    case 'p':
        tray.Notify(WM_LBUTTONDOWN);
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
    case 'r':
        tray.Notify(WM_RBUTTONDBLCLK);
        break;
    case 'R':
        tray.Notify(WM_RBUTTONDBLCLK, 1);
        break;
    case 'c':
        PostMessageA(tray.window, WM_CLOSE, 0, 0);
        break;
    }
}

TEST(Trace, CallsTheirValuesAndTheTip) {
    PrepareTargets();
    for (const TraceRow& row : kRows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> tipsBefore = ReadTrayTips();
        TrayProcess tray;
        ASSERT_TRUE(tray.Start(row.arguments, "C:\\", TrayLauncherPath(), true));
        // No CS_DBLCLKS: the shell, not the window, turns presses into double-clicks.
        EXPECT_EQ(static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW), GetClassLongA(tray.window, GCL_STYLE));
        EXPECT_FALSE(IsWindowVisible(tray.window));
        std::string window = Hex(reinterpret_cast<UINT_PTR>(tray.window));
        std::string instance = Hex(GetWindowLongPtrA(tray.window, GWLP_HINSTANCE));
        if (row.tip) {
            EXPECT_EQ(row.tip, WaitForNewTrayTip(tipsBefore, kTimeoutMs));
        }
        for (const char* action = row.actions; *action; action++) {
            Act(tray, *action);
            if (action[1] != '\0') {
                EXPECT_TRUE(tray.IsRunning()) << "after " << *action;
            }
        }
        EXPECT_EQ(0u, tray.WaitForExit(kTimeoutMs));
        std::string problem;
        std::vector<std::string> calls = ReadCalls(tray.info.dwThreadId, window, instance, &problem);
        ASSERT_TRUE(problem.empty()) << problem;
        ExpectCalls(row.calls, calls);
    }
}

} // namespace
