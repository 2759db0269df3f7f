#include "panels/looping_wave_device.h"

#include <algorithm>
#include <cstring>

namespace tarvix {

namespace {

// What a reader sees as ready; the loop itself never runs dry.
constexpr qint64 kReadAhead = 1 << 16;

}  // namespace

LoopingWaveDevice::LoopingWaveDevice(QByteArray samples, QObject* parent)
    : QIODevice(parent), samples_(std::move(samples)) {
    open(QIODevice::ReadOnly);
}

qint64 LoopingWaveDevice::bytesAvailable() const {
    return samples_.isEmpty() ? 0 : kReadAhead + QIODevice::bytesAvailable();
}

qint64 LoopingWaveDevice::readData(char* data, qint64 maxSize) {
    if (samples_.isEmpty()) {
        return 0;
    }
    qint64 written = 0;
    while (written < maxSize) {
        const qint64 chunk = std::min(maxSize - written, samples_.size() - position_);
        std::memcpy(data + written, samples_.constData() + position_,
                    static_cast<std::size_t>(chunk));
        written += chunk;
        position_ = (position_ + chunk) % samples_.size();
    }
    return written;
}

qint64 LoopingWaveDevice::writeData(const char*, qint64) {
    return -1;
}

}  // namespace tarvix
