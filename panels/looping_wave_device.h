// A read-only device that hands out the same PCM samples over and over, for an audio sink
// to play one period of a tone without end.
#pragma once

#include <QByteArray>
#include <QIODevice>

namespace tarvix {

class LoopingWaveDevice : public QIODevice {
    Q_OBJECT

public:
    explicit LoopingWaveDevice(QByteArray samples, QObject* parent = nullptr);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QByteArray samples_;
    qint64 position_ = 0;
};

}  // namespace tarvix
