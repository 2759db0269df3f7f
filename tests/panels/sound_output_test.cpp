#include <QtTest>

#include "devices/square_wave_sound.h"
#include "panels/looping_wave_device.h"
#include "panels/qt_sound_output.h"

namespace tarvix {

class SoundOutputTest : public QObject {
    Q_OBJECT

private slots:
    void samplesRepeatWithoutEndAndNoneGiveNothing() {
        LoopingWaveDevice device(QByteArray("\x40\x40\xC0", 3));
        QVERIFY(device.bytesAvailable() > 0);
        QCOMPARE(device.read(8), QByteArray("\x40\x40\xC0\x40\x40\xC0\x40\x40", 8));
        QCOMPARE(device.read(2), QByteArray("\xC0\x40", 2));
        LoopingWaveDevice empty{QByteArray()};
        QCOMPARE(empty.bytesAvailable(), qint64(0));
        QVERIFY(empty.read(4).isEmpty());
    }

    // Whether or not the host has an audio device, playing, replacing and stopping a tone
    // return at once and leave the output silent after stop; a truncated image is ignored.
    void playAndStopNeverFail() {
        SquareWaveSound tone;
        QVERIFY(tone.build(1000));
        QtSoundOutput output;
        output.playLooped(tone.image(), 1000);
        QVERIFY(output.frequency() == 0 || output.frequency() == 1000);
        QVERIFY(tone.build(440));
        output.playLooped(tone.image(), 440);
        output.stop();
        QCOMPARE(output.frequency(), 0);
        const std::array<std::uint8_t, 10> junk{};
        output.playLooped(junk, 1000);
        QCOMPARE(output.frequency(), 0);
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::SoundOutputTest)
#include "sound_output_test.moc"
