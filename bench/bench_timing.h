// What the window benchmarks share: two actions timed alternately, and a
// window kept away from the user's own files.
#pragma once

#include "bench_median.h"
#include "runtime/form_runtime.h"
#include "screen/startup.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

// Times `a` and `b` alternately, `runs` times each after one warm-up run of
// each, so that a load from elsewhere on the machine falls on both alike.
// Returns the median of each, in milliseconds.
inline std::pair<double, double> AlternatingMediansMs(int runs, const std::function<void()>& a,
                                                      const std::function<void()>& b)
{
    a();
    b();
    std::vector<double> times[2];
    for (int i = 0; i < runs; ++i) {
        int k = 0;
        for (const auto* once : {&a, &b}) {
            QElapsedTimer timer;
            timer.start();
            (*once)();
            times[k++].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    return {MedianOf(times[0]), MedianOf(times[1])};
}

// Before the application is made: Qt's offscreen platform unless another is
// asked for, `home` as the home and settings folder (the window records its
// folder in the per-user settings on unloading), a window that never ends the
// process, and boxes printed and answered with the first button.
inline void PrepareWindowBench(const QTemporaryDir& home)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    screen::Startup::EndProcess = [](int) {};
    runtime::FormRuntime::SetBoxAnswerer([](const runtime::BoxRequest& box) {
        std::fprintf(stderr, "box: %s\n", qPrintable(box.prompt));
        return 1;
    });
}
