// Call trace: loaded into the tray launcher before its first instruction, it routes the program's
// imports through wrappers that write every call, its values and its result in the trace table's words.
#include <windows.h>

#include <shellapi.h>
#include <stdio.h>

#include <map>
#include <string>

#include "../contract.h"

namespace {

// The wrapped imports, and how each argument is written: n a number, s a text or a resource
// number, r a notification-area record.
// clang-format off
#define TRACED_IMPORTS(X) \
    X(LoadCursorA, "ns") X(RegisterClassA, "n") X(CreateWindowExA, "nssnnnnnnnnn") X(RegisterWindowMessageA, "s") \
    X(LoadImageA, "nsnnnn") X(LoadIconA, "ns") X(ExtractIconA, "nsn") X(Shell_NotifyIconA, "nr") \
    X(GetMessageA, "nnnn") X(PostQuitMessage, "n") X(DefWindowProcA, "nnnn") X(MessageBoxA, "nssn") \
    X(ShellExecuteA, "nssssn") X(exit, "n")
// clang-format on
#define AS_INDEX(name, format) k_##name,
#define AS_IMPORT(name, format) {#name, format},
enum { TRACED_IMPORTS(AS_INDEX) kImportCount };
const char* const imports[][2] = {TRACED_IMPORTS(AS_IMPORT)}; // name, format
void* real[kImportCount];
HANDLE logFile = INVALID_HANDLE_VALUE;
WNDPROC programProc = NULL;
// Numbers that the table writes as words: the module, the window, the callback message, the
// contract's values, and any handle a call returned, as that call's name.
std::map<UINT, std::string> words;

void WriteLine(std::string line) {
    DWORD written = 0;
    line += "\r\n";
    WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, NULL);
}

// Backslashes and quotes are escaped; a double-byte character stays whole, whatever its second byte.
std::string Quote(const char* text, size_t limit) {
    std::string quoted = "\"";
    for (size_t i = 0; i < limit && text[i]; i++) {
        bool whole = IsDBCSLeadByte(text[i]) && i + 1 < limit && text[i + 1];
        quoted += whole ? std::string(text + i++, 2)
                        : (strchr("\\\"", text[i]) ? "\\" : "") + std::string(1, text[i]);
    }
    return quoted + "\"";
}

// Numbers as the hex of their low 32 bits, which is all of what the program passes.
std::string Values(const char* format, const UINT_PTR* values) {
    std::string text;
    for (size_t i = 0; format[i]; i++) {
        char hex[12] = {};
        snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(values[i]));
        auto* record = reinterpret_cast<const NOTIFYICONDATAA*>(values[i]);
        auto word = words.find(static_cast<UINT>(values[i]));
        text += i ? "," : "";
        const char* string = reinterpret_cast<const char*>(values[i]);
        if (format[i] == 's' && values[i] >> 16) {
            text += !strcmp(string, kContractName)        ? "name"
                    : !strcmp(string, kContractErrorText) ? "error"
                                                          : Quote(string, ~size_t(0));
        } else if (format[i] == 'r' && record) {
            // The fields of the record's first form, whose tip holds 64 bytes.
            const UINT_PTR fields[] = {record->cbSize, UINT_PTR(record->hWnd),   record->uID,
                                       record->uFlags, record->uCallbackMessage, UINT_PTR(record->hIcon)};
            text += "{" + Values("nnnnnn", fields) + "," + Quote(record->szTip, 64) + "}";
        } else {
            text += word != words.end() ? word->second : hex;
        }
    }
    return text;
}

LRESULT CALLBACK TracedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = programProc(window, message, wParam, lParam);
    const UINT_PTR values[] = {message, wParam, UINT_PTR(lParam), UINT_PTR(result)};
    WriteLine("proc(" + Values("nnn", values) + ")=" + Values("n", values + 3));
    return result;
}

// The wrapped functions take word-sized arguments only, and all but exit are stdcall, where
// the callee clears the stack: so each wrapper takes exactly as many. exit never returns.
template <int I, typename... Rest> UINT_PTR WINAPI Wrapper(UINT_PTR first, Rest... rest) {
    UINT_PTR values[] = {first, rest...};
    std::string name = imports[I][0];
    WriteLine(name + "(" + Values(imports[I][1], values) + ")");
    static WNDCLASSA traced;
    if (I == k_RegisterClassA && first) {
        // The class gets a procedure that calls the program's and writes its answers.
        traced = *reinterpret_cast<const WNDCLASSA*>(first);
        programProc = traced.lpfnWndProc;
        traced.lpfnWndProc = TracedProc;
        first = reinterpret_cast<UINT_PTR>(&traced);
    }
    values[0] = reinterpret_cast<UINT_PTR(WINAPI*)(UINT_PTR, Rest...)>(real[I])(first, rest...);
    const char* word = I == k_CreateWindowExA          ? "wnd"
                       : I == k_RegisterWindowMessageA ? "name"
                                                       : imports[I][0];
    if (I == k_RegisterWindowMessageA || values[0] >> 16) {
        words.emplace(static_cast<UINT>(values[0]), word);
    }
    WriteLine(name + "=" + Values("n", values));
    return values[0];
}
// The wrapper of import I, which takes N arguments.
template <int I, size_t N, typename... A> struct Pick : Pick<I, N - 1, UINT_PTR, A...> {};
template <int I, typename... A> struct Pick<I, 1, A...> {
    static void* Get() {
        return reinterpret_cast<void*>(&Wrapper<I, A...>);
    }
};
#define AS_WRAPPER(name, format) Pick<k_##name, sizeof format - 1>::Get(),

// Points the main module's import entries of the listed functions at their wrappers.
void WrapImports(BYTE* base) {
    void* const wrappers[] = {TRACED_IMPORTS(AS_WRAPPER)};
    auto* headers =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + table); dll->Name; dll++) {
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData; name++, entry++) {
            for (int i = 0; i < kImportCount && !IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal); i++) {
                DWORD protection = 0;
                if (strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name,
                           imports[i][0]) == 0 &&
                    VirtualProtect(&entry->u1.Function, sizeof(void*), PAGE_READWRITE, &protection)) {
                    real[i] = reinterpret_cast<void*>(entry->u1.Function);
                    entry->u1.Function = reinterpret_cast<UINT_PTR>(wrappers[i]);
                    VirtualProtect(&entry->u1.Function, sizeof(void*), protection, &protection);
                }
            }
        }
    }
}

} // namespace

// Refuses to load, which the harness sees, when the log %TRAYLNCH_TRACE_LOG% cannot be opened.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    char path[MAX_PATH] = {};
    if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableA("TRAYLNCH_TRACE_LOG", path, MAX_PATH)) {
        logFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              0, NULL);
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
        words = {{UINT(UINT_PTR(base)), "inst"}, {kContractIconId, "id"}, {kContractRecordBytes, "size"}};
        WrapImports(base);
    }
    return reason != DLL_PROCESS_ATTACH || logFile != INVALID_HANDLE_VALUE;
}
