// Benchmark: the tray launcher against the bare-minimum reference, measured in the same run.
// Idle CPU is measured from the host side (bench/idle.py): Wine reports the same made-up
// process times for every other process.
#include <windows.h>

#include <psapi.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int kRuns = 10;

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return 1000.0 * counter.QuadPart / frequency.QuadPart;
}

struct Candidate {
    const char* name;
    std::string path;
    std::vector<double> startMs, launchMs, peakKb;
};

struct Running {
    PROCESS_INFORMATION info = {};
    HWND window = NULL;
};

HWND FindWindowOf(DWORD processId) {
    for (HWND window = FindWindowExA(NULL, NULL, "TrayLnch", NULL); window;
         window = FindWindowExA(NULL, window, "TrayLnch", NULL)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) {
            return window;
        }
    }
    return NULL;
}

size_t CountFiles(const std::string& folder) {
    size_t count = 0;
    WIN32_FIND_DATAA entry = {};
    HANDLE find = FindFirstFileA((folder + "\\launch-*.txt").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            count++;
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return count;
}

// Starts the program, returns once its message loop answers: by then its icon is added.
bool Start(Candidate& candidate, const std::string& folder, Running* running) {
    std::string line = "\"" + candidate.path + "\" \"" + folder + "\\marker.exe%x\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    double begin = Now();
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                        &running->info)) {
        return false;
    }
    while (!(running->window = FindWindowOf(running->info.dwProcessId))) {
        Sleep(0);
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(running->window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
    candidate.startMs.push_back(Now() - begin);
    return true;
}

void MeasureLaunch(Candidate& candidate, const std::string& folder, const Running& running) {
    size_t before = CountFiles(folder);
    UINT callback = RegisterWindowMessageA("TrayLnch");
    double begin = Now();
    PostMessageA(running.window, callback, 4711, WM_LBUTTONDOWN);
    while (CountFiles(folder) == before && Now() - begin < 30000) {
        Sleep(0);
    }
    candidate.launchMs.push_back(Now() - begin);
}

void Stop(Candidate& candidate, Running& running) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(running.info.hProcess, &counters, sizeof counters);
    candidate.peakKb.push_back(counters.PeakWorkingSetSize / 1024.0);
    PostMessageA(running.window, WM_CLOSE, 0, 0);
    WaitForSingleObject(running.info.hProcess, 30000);
    CloseHandle(running.info.hProcess);
    CloseHandle(running.info.hThread);
}

struct Summary {
    double median, low, high;
};

Summary Summarize(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

void PrintRow(FILE* out, const char* figure, const char* unit, const std::vector<double>& ours,
              const std::vector<double>& reference) {
    Summary a = Summarize(ours), b = Summarize(reference);
    char ratio[32] = "n/a";
    if (b.median > 0) {
        snprintf(ratio, sizeof ratio, "%.2f", a.median / b.median);
    }
    fprintf(out, "| %s (%s) | %.2f (%.2f..%.2f) | %.2f (%.2f..%.2f) | %s |\n", figure, unit, a.median, a.low,
            a.high, b.median, b.low, b.high, ratio);
}

double FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return static_cast<double>(data.nFileSizeLow);
}

} // namespace

// Usage: bench TRAYLNCH64 REFERENCE64 MARKER_FOLDER TRAYLNCH32 REFERENCE32 OUTPUT.md
int main(int argc, char** argv) {
    if (argc != 7) {
        fprintf(stderr, "usage: bench traylnch64 reference64 marker-folder traylnch32 reference32 out.md\n");
        return 2;
    }
    Candidate ours = {"traylnch", argv[1], {}, {}, {}};
    Candidate reference = {"reference", argv[2], {}, {}, {}};
    std::string folder = argv[3];
    SetEnvironmentVariableA("TRAYLNCH_MARKER_DIR", folder.c_str());

    // Alternating, so that drift in the machine's load hits both alike.
    for (int run = 0; run < kRuns; run++) {
        for (Candidate* candidate : {&ours, &reference}) {
            Running running;
            if (!Start(*candidate, folder, &running)) {
                fprintf(stderr, "cannot start %s\n", candidate->path.c_str());
                return 1;
            }
            MeasureLaunch(*candidate, folder, running);
            Stop(*candidate, running);
        }
    }

    FILE* out = fopen(argv[6], "w");
    if (!out) {
        return 1;
    }
    fprintf(out, "| figure | traylnch: median (min..max) | reference: median (min..max) | ratio |\n");
    fprintf(out, "|---|---|---|---|\n");
    PrintRow(out, "start to icon added", "ms", ours.startMs, reference.startMs);
    PrintRow(out, "press to target running", "ms", ours.launchMs, reference.launchMs);
    PrintRow(out, "peak working set", "KiB", ours.peakKb, reference.peakKb);
    PrintRow(out, "i686 file size", "bytes", {FileSize(argv[4])}, {FileSize(argv[5])});
    fclose(out);
    return 0;
}
