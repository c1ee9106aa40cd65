#include "tests/learning/learning_fixture.h"

#include "keypanel/core/key_table.h"
#include "irform/capture_render.h"
#include "irform/raw_example.h"

#include <QTest>
#include <chrono>
#include <thread>

namespace learningtest {
namespace {

// A one-pixel picture whose colour names its slot.
QImage slotImage(int slot) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(qRgb(slot & 0xFF, (slot >> 8) & 0xFF, 0x5A));
    return image;
}

QImage skinImage(int n) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(qRgb(0xA0, n, 0xC3));
    return image;
}

void fillSkins(learning::Skins& skins) {
    QImage* all[] = {&skins.jpgred,     &skins.jpgblue,    &skins.jpggreen,  &skins.gifkolvar,
                     &skins.jpgjingtai, &skins.stopdelete, &skins.deletehui, &skins.delete_,
                     &skins.clear,      &skins.clearhui};
    int n = 1;
    for (QImage* skin : all)
        *skin = skinImage(n++);
}

} // namespace

bool PacedUrc::RCollectCodeInfo(char* buffer) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return urc_.RCollectCodeInfo(buffer);
}

void LearningWindowTest::SetUp() {
    ASSERT_TRUE(runtimeDir_.isValid());
    // The fixed files (the failed-encoding file) go to a folder of this test.
    savedRuntimeDir_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtimeDir_.path().toLocal8Bit());
    layout_ = testsupport::buildTestImage(urc_);
    window_ = std::make_unique<Tmaintarnvik>(device_);
    ASSERT_FALSE(window_->StartFailed);
    window_->setCaptureClock(clock_.clock());
    for (int slot = KeyPictureTable::kFirstSlot; slot <= KeyPictureTable::kLastSlot; ++slot)
        window_->KeyPictures.set(slot, slotImage(slot));
    fillSkins(window_->skins);
    boxes_.clear();
    urc_.clearCalls();
}

void LearningWindowTest::TearDown() {
    window_.reset();
    if (savedRuntimeDir_.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", savedRuntimeDir_);
}

IBtn* LearningWindowTest::key(const QString& code) const {
    for (IBtn* button : window_->keyButtons())
        if (button->Code() == code)
            return button;
    ADD_FAILURE() << "no key " << code.toStdString();
    return nullptr;
}

std::size_t LearningWindowTest::entryIndex(const QString& code) const {
    const auto& keys = window_->LearnedKeys;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].substr(0, 2) == code.toStdString())
            return i;
    ADD_FAILURE() << "no entry " << code.toStdString();
    return 0;
}

void LearningWindowTest::setEntryState(const QString& code, char state) {
    std::string& entry = window_->LearnedKeys[entryIndex(code)];
    entry = entry.substr(0, 2) + "|" + state;
}

QImage LearningWindowTest::slotPicture(int bank, const QString& code) const {
    return window_->KeyPictures.at(bank + keypanel::keyCodeValue(code.toStdString()));
}

int LearningWindowTest::keyRecordAddress(const QString& code) const {
    return layout_.keyTable + 22 * static_cast<int>(entryIndex(code));
}

void LearningWindowTest::switchLearningOn() {
    ASSERT_FALSE(window_->LearnMode);
    window_->beginstudyibtnClick();
    ASSERT_TRUE(window_->LearnMode);
}

void LearningWindowTest::startCapturing(const QString& code) {
    switchLearningOn();
    window_->KeyClick(key(code));
    ASSERT_NE(window_->CaptureThread, nullptr);
}

bool LearningWindowTest::waitForCaptureEnd() {
    return QTest::qWaitFor([this] { return window_->CaptureThread == nullptr; }, 10000);
}

void LearningWindowTest::waitUntilPolling() {
    // The worker reads its start time before its first poll: once a poll is
    // seen, stepping the clock ends its time window.
    const auto polls = [this] { return urc_.callsOf("RCollectCodeInfo").size(); };
    const std::size_t before = polls();
    ASSERT_TRUE(QTest::qWaitFor([&] { return polls() > before; }, 10000));
}

void LearningWindowTest::endCaptureByTime() {
    waitUntilPolling();
    clock_.advance(learning::kCaptureWindowSeconds + 1);
    ASSERT_TRUE(waitForCaptureEnd());
}

std::vector<testsupport::DeviceCall> LearningWindowTest::writes() const {
    return urc_.callsOf("writedatav20");
}

int LearningWindowTest::captureWorkersStarted() const {
    return static_cast<int>(urc_.callsOf("SetCodeCarrierWave").size());
}

std::string necCapture(uint32_t device, uint32_t command) {
    return irform::pressCapture("nec", device, command).value();
}

std::string rawCapture(uint32_t seed) {
    return irform::renderCapture(irform::rawExampleSignal(seed));
}

} // namespace learningtest
