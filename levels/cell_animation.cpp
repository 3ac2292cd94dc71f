// Cell animation rules.
#include "levels/cell_animation.h"

int32_t AnimateCell(int32_t code, int32_t phaseA, int32_t phaseB) {
    if (phaseA == 5) {
        if (code >= 4 && code <= 6) {
            code += 1;
            if (code == 7)
                code = 4;
        } else if (code >= 104 && code <= 106) {
            // Only hand-edited maps hold these; they fall back into the cycle.
            code -= 1;
            if (code == 104)
                code = 4;
        }
    }
    if (phaseB == 3) {
        if (code >= 12 && code <= 23) {
            code += 1;
            if (code >= 23)
                code = 123;
        } else if (code >= 112 && code <= 123) {
            code -= 1;
            if (code == 112)
                code = 12;
        }
    }
    return code;
}
