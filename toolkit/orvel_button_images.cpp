// The six button images, loaded from the program's bitmap resources (see vPixmap::loadResource).

#include "toolkit/orvel_button.h"

using namespace vwin;

OrvelButtonImages::OrvelButtonImages(HMODULE module) {
    for (int i = 0; i < 3; ++i)
        normal_[i].loadResource(module, normal_ids[i]);
    for (int i = 0; i < 3; ++i)
        checked_[i].loadResource(module, checked_ids[i]);
}
