// The form screens' font.
#include "screens/screen_font.h"

#include <QLabel>
#include <algorithm>

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

void fitToText(QLabel& label) {
    label.resize(std::max(label.width(), label.sizeHint().width()), label.height());
}

} // namespace kavrin::screens
