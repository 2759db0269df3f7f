// The short bundled sound of an error and of a finished Run or assembly. It plays without
// blocking; a machine without a sound device stays silent.
#pragma once

#include <QObject>

class QSoundEffect;

namespace tarvix {

class ErrorSound : public QObject {
    Q_OBJECT

public:
    explicit ErrorSound(QObject* parent = nullptr);

    void play();
    // How often it was asked to play, heard or not.
    int playCount() const { return playCount_; }

private:
    QSoundEffect* effect_;
    int playCount_ = 0;
};

}  // namespace tarvix
