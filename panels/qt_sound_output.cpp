#include "panels/qt_sound_output.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QByteArray>
#include <QMediaDevices>
#include <optional>

#include "panels/looping_wave_device.h"

namespace tarvix {

namespace {

struct PcmWave {
    QAudioFormat format;
    QByteArray samples;
};

std::uint32_t littleEndian(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

// The canonical 44-byte header of a PCM WAVE image, 8 or 16 bits a sample.
std::optional<PcmWave> readPcmWave(std::span<const std::uint8_t> wave) {
    constexpr std::size_t kHeader = 44;
    if (wave.size() < kHeader) {
        return std::nullopt;
    }
    const auto channels = static_cast<int>(littleEndian(wave, 22, 2));
    const auto rate = static_cast<int>(littleEndian(wave, 24, 4));
    const auto bits = littleEndian(wave, 34, 2);
    const std::size_t dataSize =
        std::min<std::size_t>(littleEndian(wave, 40, 4), wave.size() - kHeader);
    if (channels < 1 || rate < 1 || (bits != 8 && bits != 16) || dataSize == 0) {
        return std::nullopt;
    }
    PcmWave pcm;
    pcm.format.setChannelCount(channels);
    pcm.format.setSampleRate(rate);
    pcm.format.setSampleFormat(bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    pcm.samples = QByteArray(reinterpret_cast<const char*>(wave.data() + kHeader),
                             static_cast<qsizetype>(dataSize));
    return pcm;
}

}  // namespace

QtSoundOutput::QtSoundOutput() = default;

QtSoundOutput::~QtSoundOutput() {
    silence();  // told to nobody: what it would tell may be gone already
}

void QtSoundOutput::playLooped(std::span<const std::uint8_t> wave, int frequency) {
    silence();
    tellTone(frequency);
    const std::optional<PcmWave> pcm = readPcmWave(wave);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!pcm || device.isNull() || !device.isFormatSupported(pcm->format)) {
        return;
    }
    samples_ = std::make_unique<LoopingWaveDevice>(pcm->samples);
    sink_ = std::make_unique<QAudioSink>(device, pcm->format);
    sink_->start(samples_.get());
    frequency_ = frequency;
}

void QtSoundOutput::stop() {
    silence();
    tellTone(0);
}

void QtSoundOutput::tellTone(int frequency) const {
    if (onTone_) {
        onTone_(frequency);
    }
}

void QtSoundOutput::silence() {
    if (sink_) {
        sink_->stop();
    }
    sink_.reset();
    samples_.reset();
    frequency_ = 0;
}

}  // namespace tarvix
