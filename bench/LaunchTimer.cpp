// Starts two programs alternately (A B B A, repeated) and reports, for each,
// the median time from process creation to its first visible, active window
// and its peak private memory; then the ratio of the medians. A few launches
// of each come first and are not counted: the first ones also pay for Wine's
// background services and for filling the file cache.
// Usage: LaunchTimer PROGRAM_A PROGRAM_B PAIRS
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

struct Launch {
    double milliseconds;
    SIZE_T peakPrivateBytes;
};

// A program's window counts as up once it is visible and active: showing it
// in the normal state activates it. One question to Wine's server per look,
// so looking every millisecond hardly slows the program that starts.
bool HasActiveVisibleWindow(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId, &info) && info.hwndActive != nullptr &&
           IsWindowVisible(info.hwndActive);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

SIZE_T PeakPrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PeakPagefileUsage;
}

// A program without a visible window within twenty seconds counts as a failure.
bool LaunchOnce(const wchar_t* program, Launch& result) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    wchar_t commandLine[MAX_PATH + 2];
    wsprintfW(commandLine, L"\"%s\"", program);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    LARGE_INTEGER now = start;
    bool shown = false;
    while (!shown && Milliseconds(start, now) < 20000) {
        Sleep(1);
        shown = HasActiveVisibleWindow(process.dwThreadId);
        QueryPerformanceCounter(&now);
    }
    result.milliseconds = Milliseconds(start, now);
    Sleep(300);  // let start-up finish before reading the peak
    result.peakPrivateBytes = PeakPrivateBytes(process.hProcess);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(200);  // the window's teardown stays out of the next measurement
    return shown;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

constexpr int kWarmUpLaunches = 3;

struct Series {
    const wchar_t* program;
    std::vector<double> times;
    SIZE_T peakPrivateBytes = 0;

    bool Run(bool counted = true) {
        Launch launch{};
        if (!LaunchOnce(program, launch)) {
            std::fwprintf(stderr, L"no window from %ls\n", program);
            return false;
        }
        if (!counted) {
            return true;
        }
        times.push_back(launch.milliseconds);
        peakPrivateBytes = std::max(peakPrivateBytes, launch.peakPrivateBytes);
        return true;
    }

    void Report() const {
        std::wprintf(
            L"%ls: median %.1f ms to a visible window over %zu launches, peak private "
            L"memory %zu KiB\n",
            program, Median(times), times.size(), peakPrivateBytes / 1024);
    }
};

}  // namespace

int wmain(int count, wchar_t** args) {
    if (count != 4) {
        std::fwprintf(stderr, L"usage: LaunchTimer PROGRAM_A PROGRAM_B PAIRS\n");
        return 2;
    }
    Series a{args[1], {}};
    Series b{args[2], {}};
    const int pairs = _wtoi(args[3]);
    for (int launch = 0; launch < kWarmUpLaunches; ++launch) {
        if (!a.Run(false) || !b.Run(false)) {
            return 1;
        }
    }
    for (int pair = 0; pair < pairs; ++pair) {
        // A B, then B A: drift over the run weighs on both alike.
        Series& first = pair % 2 == 0 ? a : b;
        Series& second = pair % 2 == 0 ? b : a;
        if (!first.Run() || !second.Run()) {
            return 1;
        }
    }
    a.Report();
    b.Report();
    std::wprintf(L"ratio of medians: %.2f\n", Median(a.times) / Median(b.times));
    return 0;
}
