// Test-only benchmark driver: starts the tool and a do-nothing program in
// turn, many times, and prints the median wall time of each and their
// ratio: the tool's own cost over the start-up every program pays.
//   bench_runner <runs> <tool.exe> <do_nothing.exe> <tool arguments...>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double RunOnce(const std::string& program, const std::string& commandLine)
{
    std::string writable = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", program.c_str(), GetLastError());
        std::exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (status != 0) {
        std::fprintf(stderr, "%s ended with status %lu\n", program.c_str(), status);
        std::exit(1);
    }
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 != 0 ? samples[middle]
                                    : (samples[middle - 1] + samples[middle]) / 2.0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_runner <runs> <tool.exe> <do_nothing.exe> <tool arguments...>\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string tool = argv[2];
    const std::string doNothing = argv[3];
    std::string toolCommand = "zonechange.exe";
    for (int i = 4; i < argc; ++i) {
        toolCommand += std::string(" \"") + argv[i] + "\"";
    }

    std::vector<double> toolTimes, baselineTimes;
    RunOnce(doNothing, "do_nothing.exe");  // warm-up, not counted
    for (int i = 0; i < runs; ++i) {
        toolTimes.push_back(RunOnce(tool, toolCommand));
        baselineTimes.push_back(RunOnce(doNothing, "do_nothing.exe"));
    }
    const double toolMedian = Median(toolTimes);
    const double baselineMedian = Median(baselineTimes);
    std::printf("runs:                   %d of each, alternating\n", runs);
    std::printf("zonechange.exe median:  %.2f ms\n", toolMedian);
    std::printf("do_nothing.exe median:  %.2f ms\n", baselineMedian);
    std::printf("ratio of the medians:   %.2f\n", toolMedian / baselineMedian);
    return 0;
}
