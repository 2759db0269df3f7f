#include "app/error_sound.h"

#include <QSoundEffect>

namespace tarvix {

ErrorSound::ErrorSound(QObject* parent) : QObject(parent), effect_(new QSoundEffect(this)) {
    effect_->setSource(QUrl("qrc:/sounds/error.wav"));
}

void ErrorSound::play() {
    ++playCount_;
    // A sound still playing starts again, as a new error should be heard.
    effect_->stop();
    effect_->play();
}

}  // namespace tarvix
