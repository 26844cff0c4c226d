#include "host/progress.h"

#include <algorithm>
#include <cmath>

namespace vhost {

std::string FormatProgressLine(double fraction, int width) {
    if (!(fraction >= 0.0)) fraction = 0.0;
    fraction = std::min(fraction, 1.0);
    width = std::max(width, 1);
    int filled = static_cast<int>(std::floor(fraction * width));
    int percent = static_cast<int>(std::floor(fraction * 100.0));
    std::string line(1, '[');
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '-');
    line += "] ";
    std::string number = std::to_string(percent);
    line += std::string(3 - std::min<std::size_t>(3, number.size()), ' ') + number + "%";
    return line;
}

ProgressBar::ProgressBar(std::ostream& out, bool enabled)
    : out_(out), enabled_(enabled), start_(std::chrono::steady_clock::now()), lastDraw_(start_) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(double fraction) {
    if (!enabled_) return;
    using namespace std::chrono_literals;
    auto now = std::chrono::steady_clock::now();
    if (now - start_ < 500ms) return;
    if (shown_ && now - lastDraw_ < 100ms && fraction < 1.0) return;
    out_ << '\r' << "rendering " << FormatProgressLine(fraction, 40) << std::flush;
    shown_ = true;
    lastDraw_ = now;
}

void ProgressBar::Finish() {
    if (!shown_) return;
    out_ << '\r' << std::string(60, ' ') << '\r' << std::flush;
    shown_ = false;
}

} // namespace vhost
