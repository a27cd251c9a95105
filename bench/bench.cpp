// Benchmark: the tray launcher against the bare-minimum reference, measured in the same run.
// This writes the samples; bench/report.py measures idle CPU from the host side, since Wine
// reports the same made-up process times for every other process, and writes the table.
#include "harness.h"

#include <psapi.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace {

// Enough pairs for a 95% interval of about ±10% on these noisy shared machines; the first
// few warm Wine's caches up and are not kept.
const int kPairs = 150;
const int kWarmUpPairs = 3;

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
    std::string path;
    std::vector<double> startMs, launchMs, peakKb;
};

// Starts the program, returns once its message loop answers: by then its icon is added.
bool Start(Candidate& candidate, const std::string& folder, TrayProcess* running) {
    double begin = Now();
    if (!running->Start("\"" + folder + "\\marker.exe%x\"", folder.c_str(), candidate.path)) {
        return false;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(running->window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
    candidate.startMs.push_back(Now() - begin);
    return true;
}

void MeasureLaunch(Candidate& candidate, const MarkerLog& log, const TrayProcess& running) {
    size_t before = log.CountLaunches();
    double begin = Now();
    running.Notify(WM_LBUTTONDOWN);
    while (log.CountLaunches() == before && Now() - begin < 30000) {
        Sleep(0);
    }
    candidate.launchMs.push_back(Now() - begin);
}

void Stop(Candidate& candidate, const TrayProcess& running) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(running.info.hProcess, &counters, sizeof counters);
    candidate.peakKb.push_back(counters.PeakWorkingSetSize / 1024.0);
    PostMessageA(running.window, WM_CLOSE, 0, 0);
    running.WaitForExit(30000);
}

// One figure's samples, a line each: figure, then ours, then the reference's, tab-separated.
void WriteSamples(FILE* out, const char* figure, const std::vector<double>& ours,
                  const std::vector<double>& reference) {
    fprintf(out, "%s", figure);
    for (const std::vector<double>* values : {&ours, &reference}) {
        fprintf(out, "\t");
        for (double value : *values) {
            fprintf(out, "%.3f ", value);
        }
    }
    fprintf(out, "\n");
}

double FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return static_cast<double>(data.nFileSizeLow);
}

} // namespace

// Usage: bench TRAYLNCH REFERENCE MARKER_FOLDER TRAYLNCH32 REFERENCE32 SAMPLES
// The first pair is measured; the 32-bit pair's files, the ones that ship, are only sized.
int main(int argc, char** argv) {
    if (argc != 7) {
        fprintf(stderr, "usage: bench traylnch reference marker-folder traylnch32 reference32 samples\n");
        return 2;
    }
    Candidate ours = {argv[1], {}, {}, {}};
    Candidate reference = {argv[2], {}, {}, {}};
    std::string folder = argv[3];
    MarkerLog log;
    // One icon that stays: without a window manager, Wine's tray hides its window when the
    // last icon goes and waits 2 s for that, which every next start would wait for too.
    TrayProcess keeper;
    if (!keeper.Start("", folder.c_str(), reference.path)) {
        return 1;
    }

    // Alternating, so that drift in the machine's load hits both alike.
    for (int run = 0; run < kWarmUpPairs + kPairs; run++) {
        for (Candidate* candidate : {&ours, &reference}) {
            TrayProcess running;
            if (!Start(*candidate, folder, &running)) {
                fprintf(stderr, "cannot start %s\n", candidate->path.c_str());
                return 1;
            }
            MeasureLaunch(*candidate, log, running);
            Stop(*candidate, running);
            if (run < kWarmUpPairs) {
                *candidate = Candidate{candidate->path, {}, {}, {}};
            }
        }
    }

    PostMessageA(keeper.window, WM_CLOSE, 0, 0);
    keeper.WaitForExit(30000);
    FILE* out = fopen(argv[6], "w");
    if (!out) {
        return 1;
    }
    WriteSamples(out, "start to icon added (ms)", ours.startMs, reference.startMs);
    WriteSamples(out, "press to target running (ms)", ours.launchMs, reference.launchMs);
    WriteSamples(out, "peak working set (KiB)", ours.peakKb, reference.peakKb);
    WriteSamples(out, "i686 file size (bytes)", {FileSize(argv[4])}, {FileSize(argv[5])});
    fclose(out);
    return 0;
}
