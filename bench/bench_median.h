// Medians of timed runs, for every benchmark (the window's and the printed documents').
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

inline double MedianOf(std::vector<double> times)
{
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs `once` `runs` times and returns the median time, in milliseconds.
inline double MedianMs(int runs, const std::function<void()>& once)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        once();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return MedianOf(times);
}
