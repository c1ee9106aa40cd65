#pragma once
// A display for window tests: a screen size of the test's choosing, and a
// record of every mode switch the program asks for.
#include "platform/winsys/display.h"

#include <vector>

namespace testsupport {

class FakeDisplay final : public winsys::Display {
public:
    explicit FakeDisplay(QSize size = {1280, 1024}) : size_(size) { winsys::setDisplay(this); }
    ~FakeDisplay() override { winsys::setDisplay(nullptr); }

    QSize screenSize() override { return size_; }
    bool switchSessionMode(int width, int height) override {
        switches.emplace_back(width, height);
        return true;
    }

    std::vector<QSize> switches;

private:
    QSize size_;
};

} // namespace testsupport
