// A one-line progress bar on stderr for long renders; silent when stderr is not a terminal.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

namespace vhost {

// "[#####-----]  50%" with `width` cells for the bar.
std::string FormatProgressLine(double fraction, int width);

class ProgressBar {
public:
    ProgressBar(std::ostream& out, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Draws at most ten times a second, and only once the render has run for half a second:
    // short renders never show a bar.
    void Update(double fraction);
    // Clears the line if a bar was drawn.
    void Finish();

private:
    std::ostream& out_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

} // namespace vhost
