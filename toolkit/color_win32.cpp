// The platform's system colours.

#include "toolkit/painter.h"

namespace vwin {

vColor systemColor(int index) {
    return fromColorRef(GetSysColor(index));
}

} // namespace vwin
