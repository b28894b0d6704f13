// The form screens' font.
#include "screens/screen_font.h"

namespace kavrin::screens {

const QFont& screenFont() {
    static const QFont font = [] {
        QFont f("Times New Roman");
        f.setPixelSize(18);
        f.setWeight(QFont::Bold);
        f.setStyleHint(QFont::Serif, QFont::PreferQuality);
        return f;
    }();
    return font;
}

} // namespace kavrin::screens
