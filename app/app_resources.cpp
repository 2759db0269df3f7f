#include "app/app_resources.h"

#include <QtGlobal>

// Outside any namespace, as the resource compiler's initialiser is.
static void initTarvixResources() {
    Q_INIT_RESOURCE(tarvix);
}

namespace tarvix {

void loadAppResources() {
    initTarvixResources();
}

}  // namespace tarvix
