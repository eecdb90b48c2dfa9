// Starts two programs alternately (A B B A, repeated) and reports, for each,
// the median time from process creation to its first visible top-level window
// and its peak private memory; then the ratio of the medians.
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

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param) {
    auto* const search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
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

// Polls every millisecond for the window; a program that shows none within
// twenty seconds counts as a failure.
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
    WindowSearch search{process.dwProcessId, false};
    LARGE_INTEGER now = start;
    while (!search.found && Milliseconds(start, now) < 20000) {
        Sleep(1);
        EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
    }
    result.milliseconds = Milliseconds(start, now);
    Sleep(300);  // let start-up finish before reading the peak
    result.peakPrivateBytes = PeakPrivateBytes(process.hProcess);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return search.found;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Series {
    const wchar_t* program;
    std::vector<double> times;
    SIZE_T peakPrivateBytes = 0;

    bool Run() {
        Launch launch{};
        if (!LaunchOnce(program, launch)) {
            std::fwprintf(stderr, L"no window from %ls\n", program);
            return false;
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
