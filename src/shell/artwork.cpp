// The program's pictures and icons, drawn with QPainter so that nothing is taken from elsewhere
// and every size stays sharp. The handheld radio is one drawing shared by the program icon, the
// toolbar, the button faces and both screen pictures.
#include "shell/artwork.h"

#include "data/command_ids.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>

namespace kavrin::shell {
namespace {

// One palette for everything, so the toolbar, the buttons and the pictures belong together.
const QColor kInk(0x1d, 0x23, 0x2b);
const QColor kRadioLight(0x4a, 0x52, 0x5e);
const QColor kRadioDark(0x23, 0x28, 0x30);
const QColor kKnob(0xe0, 0x7a, 0x1f);
const QColor kKnobDark(0x9c, 0x4e, 0x0c);
const QColor kLcdLight(0xb9, 0xe8, 0xc0);
const QColor kLcdDark(0x6c, 0xb0, 0x7c);
const QColor kBlue(0x1f, 0x6f, 0xc5);
const QColor kBlueDark(0x12, 0x45, 0x80);
const QColor kGreen(0x2e, 0x9d, 0x4a);
const QColor kGreenDark(0x1b, 0x66, 0x2f);
const QColor kOrange(0xe8, 0x8a, 0x1a);
const QColor kOrangeDark(0xa3, 0x5a, 0x08);
const QColor kFolder(0xf2, 0xc2, 0x4f);
const QColor kFolderDark(0xb0, 0x80, 0x1c);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kGrey(0x9a, 0xa1, 0xab);
const QColor kGreyDark(0x5b, 0x62, 0x6c);
const QColor kGreyLight(0xd5, 0xd9, 0xdf);

// A generic family with a hint, so that text renders wherever some sans-serif font exists.
QFont sansFont(qreal pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font(QStringLiteral("Sans"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setWeight(weight);
    return font;
}

QPixmap transparentPixmap(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void beginPainting(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPen outline(const QColor& color, qreal width = 1.0) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// --- The handheld radio -------------------------------------------------------------------

enum class RadioDetail { Simple, Full };

// Draws a handheld two-way radio whose body fills `body`; the antenna and the tuning knob stand
// above it, the push-to-talk key sits on the left side. Simple leaves out what would only be
// noise at icon sizes.
void drawHandheld(QPainter& p, const QRectF& body, RadioDetail detail) {
    const qreal w = body.width();
    const qreal h = body.height();
    p.save();

    // Antenna: a stubby rubber whip on the left of the top.
    const QRectF antenna(body.left() + w * 0.14, body.top() - h * 0.46, w * 0.2, h * 0.5);
    QLinearGradient antennaFill(antenna.topLeft(), antenna.topRight());
    antennaFill.setColorAt(0, QColor(0x3a, 0x3f, 0x46));
    antennaFill.setColorAt(0.5, QColor(0x16, 0x19, 0x1d));
    antennaFill.setColorAt(1, QColor(0x2a, 0x2e, 0x34));
    p.setPen(Qt::NoPen);
    p.setBrush(antennaFill);
    p.drawRoundedRect(antenna, antenna.width() * 0.45, antenna.width() * 0.45);
    if (detail == RadioDetail::Full) {
        p.setPen(outline(QColor(0x50, 0x56, 0x5e), std::max(1.0, w * 0.015)));
        for (int ring = 1; ring <= 3; ++ring) {
            const qreal y = antenna.bottom() - antenna.height() * (0.12 + 0.07 * ring);
            p.drawLine(QPointF(antenna.left() + 1, y), QPointF(antenna.right() - 1, y));
        }
    }

    // Tuning knob on the right of the top: an orange cylinder with grip ridges.
    const QRectF knob(body.right() - w * 0.4, body.top() - h * 0.11, w * 0.26, h * 0.14);
    QLinearGradient knobFill(knob.topLeft(), knob.topRight());
    knobFill.setColorAt(0, kKnobDark);
    knobFill.setColorAt(0.35, kKnob.lighter(120));
    knobFill.setColorAt(1, kKnobDark);
    p.setPen(outline(kKnobDark.darker(140), std::max(0.8, w * 0.012)));
    p.setBrush(knobFill);
    p.drawRoundedRect(knob, knob.width() * 0.18, knob.width() * 0.18);
    if (detail == RadioDetail::Full) {
        p.setPen(outline(kKnobDark, std::max(0.8, w * 0.012)));
        for (int ridge = 1; ridge <= 4; ++ridge) {
            const qreal x = knob.left() + knob.width() * ridge / 5.0;
            p.drawLine(QPointF(x, knob.top() + 2), QPointF(x, knob.bottom() - 2));
        }
    }

    // Push-to-talk key on the left side.
    const QRectF ptt(body.left() - w * 0.07, body.top() + h * 0.3, w * 0.1, h * 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x15, 0x18, 0x1c));
    p.drawRoundedRect(ptt, ptt.width() * 0.4, ptt.width() * 0.4);

    // Body with a soft light from the left.
    QLinearGradient bodyFill(body.topLeft(), body.topRight());
    bodyFill.setColorAt(0, kRadioLight);
    bodyFill.setColorAt(0.45, QColor(0x36, 0x3c, 0x45));
    bodyFill.setColorAt(1, kRadioDark);
    p.setPen(outline(QColor(0x10, 0x12, 0x15), std::max(1.0, w * 0.02)));
    p.setBrush(bodyFill);
    p.drawRoundedRect(body, w * 0.16, w * 0.16);

    // Display.
    const QRectF lcd(body.left() + w * 0.15, body.top() + h * 0.07, w * 0.7, h * 0.17);
    QLinearGradient lcdFill(lcd.topLeft(), lcd.bottomLeft());
    lcdFill.setColorAt(0, kLcdLight);
    lcdFill.setColorAt(1, kLcdDark);
    p.setPen(outline(QColor(0x12, 0x14, 0x17), std::max(0.8, w * 0.015)));
    p.setBrush(lcdFill);
    p.drawRoundedRect(lcd, w * 0.04, w * 0.04);
    if (detail == RadioDetail::Full) {
        // A channel read-out in blocky segments: reads as a display at any size.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x3b, 0x26));
        const qreal segmentHeight = lcd.height() * 0.42;
        const qreal y = lcd.center().y() - segmentHeight / 2;
        for (int digit = 0; digit < 4; ++digit) {
            const qreal x = lcd.left() + lcd.width() * (0.12 + 0.2 * digit);
            p.drawRect(QRectF(x, y, lcd.width() * 0.13, segmentHeight));
        }
        p.setBrush(lcdFill);
        for (int digit = 0; digit < 4; ++digit) {
            const qreal x = lcd.left() + lcd.width() * (0.12 + 0.2 * digit);
            p.drawRect(QRectF(x + lcd.width() * 0.035, y + segmentHeight * 0.22, lcd.width() * 0.06,
                              segmentHeight * 0.2));
            p.drawRect(QRectF(x + lcd.width() * 0.035, y + segmentHeight * 0.58, lcd.width() * 0.06,
                              segmentHeight * 0.2));
        }
    }

    // Speaker grille.
    const int slotCount = detail == RadioDetail::Full ? 6 : 3;
    const qreal grilleTop = body.top() + h * 0.32;
    const qreal grilleHeight = h * (detail == RadioDetail::Full ? 0.26 : 0.3);
    p.setPen(outline(QColor(0x12, 0x14, 0x17), std::max(1.0, h * 0.018)));
    for (int slot = 0; slot < slotCount; ++slot) {
        const qreal y = grilleTop + grilleHeight * (slot + 0.5) / slotCount;
        p.drawLine(QPointF(body.left() + w * 0.2, y), QPointF(body.right() - w * 0.2, y));
    }

    if (detail == RadioDetail::Full) {
        // Keypad: three columns of four keys.
        const QRectF pad(body.left() + w * 0.16, body.top() + h * 0.64, w * 0.68, h * 0.3);
        const qreal keyWidth = pad.width() / 3.0;
        const qreal keyHeight = pad.height() / 4.0;
        p.setPen(outline(QColor(0x12, 0x14, 0x17), std::max(0.6, w * 0.01)));
        p.setBrush(QColor(0x5c, 0x64, 0x70));
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF key(pad.left() + column * keyWidth + keyWidth * 0.12,
                                 pad.top() + row * keyHeight + keyHeight * 0.15, keyWidth * 0.76,
                                 keyHeight * 0.7);
                p.drawRoundedRect(key, key.height() * 0.3, key.height() * 0.3);
            }
        }
        // A highlight along the left edge gives the body its depth.
        p.setPen(outline(QColor(255, 255, 255, 50), std::max(1.0, w * 0.02)));
        p.drawLine(QPointF(body.left() + w * 0.06, body.top() + h * 0.08),
                   QPointF(body.left() + w * 0.06, body.bottom() - h * 0.08));
    }
    p.restore();
}

// The radio's programming connector, plugged into the right side of the body at height `y`;
// returns where the cable leaves it.
QPointF drawProgrammingPlug(QPainter& p, const QRectF& body, qreal y) {
    const qreal w = body.width();
    const QRectF plug(body.right() - w * 0.02, y - w * 0.22, w * 0.3, w * 0.44);
    QLinearGradient fill(plug.topLeft(), plug.bottomLeft());
    fill.setColorAt(0, QColor(0x6a, 0x71, 0x7b));
    fill.setColorAt(1, QColor(0x3b, 0x40, 0x47));
    p.setPen(outline(QColor(0x1a, 0x1d, 0x21), 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(plug, 3, 3);
    // Thumb screw.
    p.setBrush(kGreyLight);
    p.drawEllipse(QPointF(plug.center().x(), plug.top() + plug.height() * 0.28), w * 0.06,
                  w * 0.06);
    // Strain relief.
    const QRectF relief(plug.right() - 1, y - w * 0.07, w * 0.14, w * 0.14);
    p.setBrush(QColor(0x2a, 0x2e, 0x34));
    p.drawRoundedRect(relief, 2, 2);
    return QPointF(relief.right(), y);
}

// --- Other drawings shared by the pictures ----------------------------------------------------

// A cable along `path`: dark jacket and a thin sheen, so it reads as round.
void drawCable(QPainter& p, const QPainterPath& path, qreal width) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(outline(QColor(0x15, 0x17, 0x1a), width));
    p.drawPath(path);
    p.setPen(outline(QColor(0x4c, 0x52, 0x5a), width * 0.55));
    p.drawPath(path);
    p.setPen(outline(QColor(0x8a, 0x92, 0x9c, 140), width * 0.18));
    p.translate(-width * 0.12, -width * 0.12);
    p.drawPath(path);
    p.restore();
}

// A USB-A plug pushed upwards into a socket, its metal end at `tip`. Returns where the cable
// leaves the plug.
QPointF drawUsbPlug(QPainter& p, QPointF tip, qreal scale) {
    const QRectF metal(tip.x() - 7 * scale, tip.y(), 14 * scale, 9 * scale);
    const QRectF housing(tip.x() - 9 * scale, metal.bottom() - 1, 18 * scale, 20 * scale);
    p.setPen(outline(QColor(0x55, 0x5b, 0x63), 1));
    QLinearGradient metalFill(metal.topLeft(), metal.topRight());
    metalFill.setColorAt(0, QColor(0xe8, 0xea, 0xed));
    metalFill.setColorAt(1, QColor(0xa5, 0xab, 0xb3));
    p.setBrush(metalFill);
    p.drawRect(metal);
    p.setPen(outline(QColor(0x14, 0x16, 0x19), 1));
    p.setBrush(QColor(0x2c, 0x30, 0x36));
    p.drawRoundedRect(housing, 3 * scale, 3 * scale);
    return QPointF(housing.center().x(), housing.bottom());
}

// The small USB-to-UART bridge box inside the cable.
void drawBridgeBox(QPainter& p, const QRectF& box, bool withCaption) {
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, QColor(0x3c, 0x43, 0x4d));
    fill.setColorAt(1, QColor(0x1f, 0x23, 0x29));
    p.setPen(outline(QColor(0x0e, 0x10, 0x12), 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(box, box.height() * 0.22, box.height() * 0.22);
    // Status LED.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5c, 0xe0, 0x6b));
    p.drawEllipse(QPointF(box.right() - box.height() * 0.28, box.top() + box.height() * 0.28),
                  box.height() * 0.07, box.height() * 0.07);
    p.setPen(Qt::white);
    if (withCaption) {
        p.setFont(sansFont(box.height() * 0.34, QFont::Bold));
        p.drawText(
            QRectF(box.left(), box.top() + box.height() * 0.1, box.width(), box.height() * 0.5),
            Qt::AlignCenter, QStringLiteral("CP210x"));
        p.setPen(QColor(0xb8, 0xc2, 0xcf));
        p.setFont(sansFont(box.height() * 0.2));
        p.drawText(
            QRectF(box.left(), box.top() + box.height() * 0.55, box.width(), box.height() * 0.35),
            Qt::AlignCenter, QStringLiteral("USB to UART bridge"));
    } else {
        p.setFont(sansFont(box.height() * 0.42, QFont::Bold));
        p.drawText(box, Qt::AlignCenter, QStringLiteral("CP210x"));
    }
}

// A laptop seen from the front; `screen` is the display area. Returns the point on the left of
// the base where its USB port is.
QPointF drawLaptop(QPainter& p, const QRectF& screen) {
    const qreal bezel = screen.width() * 0.05;
    const QRectF lid = screen.adjusted(-bezel, -bezel, bezel, bezel * 0.8);
    QLinearGradient lidFill(lid.topLeft(), lid.bottomLeft());
    lidFill.setColorAt(0, QColor(0x4b, 0x53, 0x5e));
    lidFill.setColorAt(1, QColor(0x2b, 0x30, 0x37));
    p.setPen(outline(QColor(0x12, 0x14, 0x17), 1.5));
    p.setBrush(lidFill);
    p.drawRoundedRect(lid, bezel * 0.8, bezel * 0.8);

    // The display shows a softpot screen: rows of bars at different settings.
    QLinearGradient screenFill(screen.topLeft(), screen.bottomRight());
    screenFill.setColorAt(0, QColor(0xe9, 0xf1, 0xfa));
    screenFill.setColorAt(1, QColor(0xc6, 0xd6, 0xe8));
    p.setPen(Qt::NoPen);
    p.setBrush(screenFill);
    p.drawRect(screen);
    const QRectF titleBar(screen.left(), screen.top(), screen.width(), screen.height() * 0.13);
    p.setBrush(kBlue);
    p.drawRect(titleBar);
    constexpr std::array<qreal, 5> settings{0.62, 0.48, 0.7, 0.55, 0.4};
    const qreal rowHeight = screen.height() * 0.8 / 5.0;
    for (std::size_t row = 0; row < settings.size(); ++row) {
        const qreal y = titleBar.bottom() + rowHeight * (static_cast<qreal>(row) + 0.3);
        const QRectF label(screen.left() + screen.width() * 0.05, y, screen.width() * 0.16,
                           rowHeight * 0.45);
        p.setBrush(QColor(0x7d, 0x8b, 0x9b));
        p.drawRect(label);
        const QRectF track(screen.left() + screen.width() * 0.26, y, screen.width() * 0.66,
                           rowHeight * 0.45);
        p.setBrush(QColor(0xff, 0xff, 0xff));
        p.drawRect(track);
        p.setBrush(row == 2 ? kOrange : kGreen);
        p.drawRect(
            QRectF(track.left(), track.top(), track.width() * settings[row], track.height()));
    }

    // Base with its keyboard edge.
    const qreal baseTop = lid.bottom();
    QPainterPath base;
    base.moveTo(lid.left() - bezel * 0.6, baseTop);
    base.lineTo(lid.right() + bezel * 0.6, baseTop);
    base.lineTo(lid.right() + bezel * 2.2, baseTop + bezel * 2.2);
    base.lineTo(lid.left() - bezel * 2.2, baseTop + bezel * 2.2);
    base.closeSubpath();
    QLinearGradient baseFill(QPointF(0, baseTop), QPointF(0, baseTop + bezel * 2.2));
    baseFill.setColorAt(0, QColor(0xa9, 0xb1, 0xbb));
    baseFill.setColorAt(1, QColor(0x6b, 0x73, 0x7d));
    p.setPen(outline(QColor(0x2a, 0x2e, 0x34), 1.2));
    p.setBrush(baseFill);
    p.drawPath(base);
    p.setPen(outline(QColor(0x4a, 0x50, 0x58), 1));
    p.drawLine(QPointF(lid.center().x() - bezel * 2, baseTop + bezel * 1.6),
               QPointF(lid.center().x() + bezel * 2, baseTop + bezel * 1.6));
    return QPointF(lid.left() - bezel * 1.4, baseTop + bezel * 1.2);
}

// A desktop PC tower seen from the front, with two USB ports near the bottom. Returns the
// centre of the port the cable goes into.
QPointF drawTower(QPainter& p, const QRectF& tower) {
    QLinearGradient fill(tower.topLeft(), tower.topRight());
    fill.setColorAt(0, QColor(0xd8, 0xdc, 0xe2));
    fill.setColorAt(0.6, QColor(0xc3, 0xc9, 0xd1));
    fill.setColorAt(1, QColor(0xa4, 0xab, 0xb5));
    p.setPen(outline(QColor(0x4a, 0x50, 0x58), 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(tower, 6, 6);

    // Drive bays.
    p.setPen(outline(QColor(0x6d, 0x74, 0x7e), 1));
    p.setBrush(QColor(0xe9, 0xec, 0xf0));
    for (int bay = 0; bay < 2; ++bay) {
        p.drawRoundedRect(
            QRectF(tower.left() + 12, tower.top() + 18 + bay * 26, tower.width() - 24, 18), 2, 2);
    }
    // Power button.
    p.setBrush(QColor(0x8d, 0x96, 0xa2));
    const QPointF power(tower.center().x(), tower.top() + tower.height() * 0.42);
    p.drawEllipse(power, 9, 9);
    p.setPen(outline(QColor(0x2e, 0x9d, 0x4a), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(power.x() - 4.5, power.y() - 4.5, 9, 9), 120 * 16, 300 * 16);
    p.drawLine(power - QPointF(0, 6), power - QPointF(0, 1));
    // Ventilation.
    p.setPen(outline(QColor(0x8f, 0x97, 0xa2), 1.4));
    for (int slot = 0; slot < 5; ++slot) {
        const qreal y = tower.top() + tower.height() * 0.56 + slot * 7;
        p.drawLine(QPointF(tower.left() + 22, y), QPointF(tower.right() - 22, y));
    }
    // Two USB ports.
    QPointF used;
    for (int port = 0; port < 2; ++port) {
        const QRectF socket(tower.center().x() - 24 + port * 30, tower.bottom() - 44, 18, 9);
        p.setPen(outline(QColor(0x3a, 0x3f, 0x46), 1));
        p.setBrush(QColor(0x2a, 0x2e, 0x34));
        p.drawRect(socket);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2f, 0x6d, 0xc0));
        p.drawRect(QRectF(socket.left() + 3, socket.top() + 2, socket.width() - 6, 3));
        if (port == 0) {
            used = socket.center();
        }
    }
    return used;
}

// A flat monitor on a foot; `screen` is the display area.
void drawMonitor(QPainter& p, const QRectF& screen) {
    const QRectF frame = screen.adjusted(-8, -8, 8, 10);
    p.setPen(outline(QColor(0x14, 0x16, 0x19), 1.5));
    p.setBrush(QColor(0x2d, 0x32, 0x39));
    p.drawRoundedRect(frame, 6, 6);
    QLinearGradient screenFill(screen.topLeft(), screen.bottomRight());
    screenFill.setColorAt(0, QColor(0x3b, 0x86, 0xd6));
    screenFill.setColorAt(1, QColor(0x17, 0x4c, 0x8c));
    p.setPen(Qt::NoPen);
    p.setBrush(screenFill);
    p.drawRect(screen);
    // A window on the desktop with the program's bars.
    const QRectF window(screen.left() + screen.width() * 0.12,
                        screen.top() + screen.height() * 0.14, screen.width() * 0.76,
                        screen.height() * 0.72);
    p.setBrush(QColor(0xf4, 0xf6, 0xf9));
    p.drawRect(window);
    p.setBrush(QColor(0x2b, 0x3a, 0x4d));
    p.drawRect(QRectF(window.left(), window.top(), window.width(), window.height() * 0.14));
    constexpr std::array<qreal, 4> settings{0.7, 0.45, 0.6, 0.35};
    for (std::size_t row = 0; row < settings.size(); ++row) {
        const qreal y = window.top() + window.height() * (0.24 + 0.18 * static_cast<qreal>(row));
        const QRectF track(window.left() + window.width() * 0.1, y, window.width() * 0.8,
                           window.height() * 0.09);
        p.setBrush(QColor(0xd6, 0xdc, 0xe4));
        p.drawRect(track);
        p.setBrush(kGreen);
        p.drawRect(QRectF(track.topLeft(), QSizeF(track.width() * settings[row], track.height())));
    }
    // Neck and foot.
    p.setPen(outline(QColor(0x14, 0x16, 0x19), 1.2));
    p.setBrush(QColor(0x50, 0x57, 0x61));
    const QRectF neck(frame.center().x() - 10, frame.bottom(), 20, 18);
    p.drawRect(neck);
    p.drawRoundedRect(QRectF(neck.center().x() - 42, neck.bottom() - 1, 84, 9), 4, 4);
}

// A caption whose box starts at `topLeft`, sized to its text, with a thin leader line to what it
// names.
void drawCallout(QPainter& p, QPointF topLeft, const QString& text, QPointF target) {
    p.save();
    const QFont font = sansFont(16, QFont::Bold);
    const QFontMetricsF metrics(font);
    const QRectF box(topLeft, QSizeF(metrics.horizontalAdvance(text) + 24, metrics.height() + 12));
    // The leader leaves the box at the point of its edge nearest to the target.
    const QPointF anchor(std::clamp(target.x(), box.left() + 6, box.right() - 6),
                         std::clamp(target.y(), box.top() + 6, box.bottom() - 6));
    const QPointF edge(target.x() < box.left()    ? box.left()
                       : target.x() > box.right() ? box.right()
                                                  : anchor.x(),
                       target.y() < box.top()      ? box.top()
                       : target.y() > box.bottom() ? box.bottom()
                                                   : anchor.y());
    p.setPen(outline(kBlueDark, 1.6));
    p.drawLine(edge, target);
    p.setBrush(kBlueDark);
    p.setPen(Qt::NoPen);
    p.drawEllipse(target, 3.5, 3.5);
    p.setPen(outline(kBlueDark, 1.4));
    p.setBrush(QColor(0xea, 0xf2, 0xfc));
    p.drawRoundedRect(box, 7, 7);
    p.setPen(kInk);
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

// An arrow from `from` to `to`, shaft and head, filled.
void drawArrow(QPainter& p, QPointF from, QPointF to, qreal shaft, qreal head, const QColor& fill,
               const QColor& edge) {
    const qreal dx = to.x() - from.x();
    const qreal dy = to.y() - from.y();
    const qreal length = std::hypot(dx, dy);
    if (length <= 0) {
        return;
    }
    const QPointF along(dx / length, dy / length);
    const QPointF across(-along.y(), along.x());
    const QPointF neck = to - along * head;
    QPolygonF arrow;
    arrow << from + across * (shaft / 2) << neck + across * (shaft / 2) << neck + across * head
          << to << neck - across * head << neck - across * (shaft / 2)
          << from - across * (shaft / 2);
    p.setPen(outline(edge, 1));
    p.setBrush(fill);
    p.drawPolygon(arrow);
}

// --- Toolbar images -------------------------------------------------------------------------

// An opening folder with a document coming out of it.
void paintLoadArchive(QPainter& p) {
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1.5, 19.5);
    back.lineTo(1.5, 5.5);
    back.lineTo(7.5, 5.5);
    back.lineTo(9.5, 7.5);
    back.lineTo(17.5, 7.5);
    back.lineTo(17.5, 19.5);
    back.closeSubpath();
    p.setPen(outline(kFolderDark));
    p.setBrush(kFolder.darker(112));
    p.drawPath(back);
    // The document.
    p.setPen(outline(kGreyDark));
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 2.5, 9, 11));
    p.setPen(outline(kBlue));
    for (int line = 0; line < 3; ++line) {
        p.drawLine(QPointF(8.5, 5.5 + line * 2.5), QPointF(13.5, 5.5 + line * 2.5));
    }
    // Front flap, swung open towards the viewer.
    QPolygonF flap;
    flap << QPointF(1.5, 19.5) << QPointF(5.5, 11.5) << QPointF(21.0, 11.5) << QPointF(17.5, 19.5);
    p.setPen(outline(kFolderDark));
    p.setBrush(kFolder);
    p.drawPolygon(flap);
}

// A disk.
void paintSaveArchive(QPainter& p) {
    QPainterPath disk;
    disk.moveTo(2.5, 3.5);
    disk.lineTo(17.5, 3.5);
    disk.lineTo(19.5, 5.5);
    disk.lineTo(19.5, 19.5);
    disk.lineTo(2.5, 19.5);
    disk.closeSubpath();
    p.setPen(outline(kBlueDark));
    p.setBrush(kBlue);
    p.drawPath(disk);
    // Metal shutter.
    p.setPen(outline(kGreyDark));
    p.setBrush(kGreyLight);
    p.drawRect(QRectF(6.5, 3.5, 9, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreyDark);
    p.drawRect(QRectF(12, 4.5, 2, 3));
    // Label.
    p.setPen(outline(kBlueDark));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5.5, 11.5, 11, 8));
    p.setPen(outline(kGrey));
    p.drawLine(QPointF(7.5, 14.5), QPointF(14.5, 14.5));
    p.drawLine(QPointF(7.5, 16.5), QPointF(14.5, 16.5));
}

// A small radio on the left.
void paintSmallRadio(QPainter& p, qreal left) {
    drawHandheld(p, QRectF(left, 8.5, 7, 13), RadioDetail::Simple);
}

// A small PC screen on the right.
void paintSmallScreen(QPainter& p, qreal left) {
    p.setPen(outline(kInk));
    p.setBrush(QColor(0x3b, 0x86, 0xd6));
    p.drawRect(QRectF(left + 0.5, 5.5, 9, 7));
    p.setPen(outline(kInk));
    p.drawLine(QPointF(left + 5, 13), QPointF(left + 5, 15));
    p.drawLine(QPointF(left + 2.5, 15.5), QPointF(left + 7.5, 15.5));
}

// A radio with an arrow that carries its data towards the PC.
void paintReadRadio(QPainter& p) {
    paintSmallRadio(p, 1.5);
    paintSmallScreen(p, 12);
    drawArrow(p, QPointF(9.5, 19.5), QPointF(20.5, 19.5), 3, 3, kGreen, kGreenDark);
}

// An arrow going into a radio.
void paintProgramAll(QPainter& p) {
    drawHandheld(p, QRectF(12, 8.5, 8.5, 13.5), RadioDetail::Simple);
    drawArrow(p, QPointF(1, 14.5), QPointF(11, 14.5), 4, 4.5, kOrange, kOrangeDark);
}

// A printer with a sheet coming out.
void paintPrint(QPainter& p) {
    // Paper in the feeder.
    p.setPen(outline(kGreyDark));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5.5, 2.5, 11, 7));
    // Printer body.
    QLinearGradient body(QPointF(0, 8), QPointF(0, 17));
    body.setColorAt(0, kGreyLight);
    body.setColorAt(1, kGrey);
    p.setPen(outline(kGreyDark));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1.5, 8.5, 19, 9), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawRect(QRectF(16, 10.5, 2, 1.5));
    // The printed sheet.
    p.setPen(outline(kGreyDark));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5.5, 14.5, 11, 6));
    p.setPen(outline(kBlue));
    p.drawLine(QPointF(7.5, 16.5), QPointF(14.5, 16.5));
    p.drawLine(QPointF(7.5, 18.5), QPointF(12.5, 18.5));
}

// A question mark in a blue disc.
void paintAbout(QPainter& p) {
    QRadialGradient disc(QPointF(9, 9), 12);
    disc.setColorAt(0, kBlue.lighter(135));
    disc.setColorAt(1, kBlue);
    p.setPen(outline(kBlueDark));
    p.setBrush(disc);
    p.drawEllipse(QRectF(1.5, 2, 19, 19));
    p.setPen(Qt::white);
    p.setFont(sansFont(15, QFont::Bold));
    p.drawText(QRectF(1.5, 2.5, 19, 19), Qt::AlignCenter, QStringLiteral("?"));
}

// --- Button faces ---------------------------------------------------------------------------

// A hand microphone whose push-to-talk key is lit.
void paintMicrophone(QPainter& p, const QRectF& area) {
    const QRectF mic(area.left() + area.width() * 0.26, area.top() + 1.5, area.width() * 0.52,
                     area.height() * 0.7);
    // Coiled cord.
    p.setPen(outline(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath cord;
    cord.moveTo(mic.center().x(), mic.bottom());
    for (int turn = 0; turn < 3; ++turn) {
        const qreal y = mic.bottom() + 1.6 + turn * 1.8;
        cord.quadTo(mic.center().x() + 3, y, mic.center().x(), y + 0.9);
        cord.quadTo(mic.center().x() - 3, y + 1.4, mic.center().x(), y + 1.8);
    }
    p.drawPath(cord);
    // Body and grille.
    QLinearGradient fill(mic.topLeft(), mic.topRight());
    fill.setColorAt(0, kRadioLight);
    fill.setColorAt(1, kRadioDark);
    p.setPen(outline(QColor(0x10, 0x12, 0x15), 1));
    p.setBrush(fill);
    p.drawRoundedRect(mic, mic.width() * 0.35, mic.width() * 0.35);
    p.setPen(outline(QColor(0x9a, 0xa1, 0xab), 1));
    for (int slot = 0; slot < 3; ++slot) {
        const qreal y = mic.top() + mic.height() * (0.25 + 0.16 * slot);
        p.drawLine(QPointF(mic.left() + mic.width() * 0.3, y),
                   QPointF(mic.right() - mic.width() * 0.3, y));
    }
    // The key on the side.
    p.setPen(outline(QColor(0x7a, 0x12, 0x12), 0.8));
    p.setBrush(QColor(0xd9, 0x2b, 0x2b));
    p.drawRoundedRect(
        QRectF(mic.left() - 2.5, mic.top() + mic.height() * 0.25, 3, mic.height() * 0.45), 1, 1);
}

// A memory chip with an arrow writing into it.
void paintChip(QPainter& p, const QRectF& area) {
    const QRectF chip(area.left() + 4, area.top() + area.height() * 0.42, area.width() - 8,
                      area.height() * 0.46);
    p.setPen(outline(kGreyDark, 1.2));
    for (int pin = 0; pin < 4; ++pin) {
        const qreal x = chip.left() + chip.width() * (0.16 + 0.23 * pin);
        p.drawLine(QPointF(x, chip.top() - 2), QPointF(x, chip.bottom() + 2));
    }
    p.setPen(outline(QColor(0x0d, 0x0f, 0x11), 1));
    p.setBrush(QColor(0x2c, 0x30, 0x36));
    p.drawRoundedRect(chip, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    p.drawEllipse(QPointF(chip.left() + 3, chip.bottom() - 3), 1.2, 1.2);
    drawArrow(p, QPointF(area.center().x(), area.top() + 0.5),
              QPointF(area.center().x(), chip.top() + chip.height() * 0.55), 3.5, 3.5, kOrange,
              kOrangeDark);
}

void paintButtonFace(QPainter& p, const QString& label,
                     void (*pictogram)(QPainter&, const QRectF&)) {
    const QRectF picture(2, 0, kButtonPictureSize.height(), kButtonPictureSize.height());
    pictogram(p, picture);
    const QRectF text(picture.right() + 3, 0, kButtonPictureSize.width() - picture.right() - 4,
                      kButtonPictureSize.height());
    // Whatever sans-serif font the system has, the label has to fit beside the pictogram.
    QFont font = sansFont(13, QFont::Bold);
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(label) > text.width()) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignHCenter, label);
}

void paintUpdateRadio(QPainter& p, const QRectF& area) {
    drawHandheld(p,
                 QRectF(area.left() + area.width() * 0.3, area.top() + area.height() * 0.3,
                        area.width() * 0.42, area.height() * 0.66),
                 RadioDetail::Simple);
}

// --- The two screen pictures --------------------------------------------------------------

// Radio waves leaving the antenna tip towards the upper right.
void drawWaves(QPainter& p, QPointF tip, qreal firstRadius, int count, const QColor& color) {
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int wave = 0; wave < count; ++wave) {
        const qreal radius = firstRadius * (1 + wave * 0.8);
        QColor c = color;
        c.setAlphaF(static_cast<float>(0.85 - 0.22 * wave));
        p.setPen(outline(c, 2.4));
        p.drawArc(QRectF(tip.x() - radius, tip.y() - radius, radius * 2, radius * 2), 5 * 16,
                  70 * 16);
    }
    p.restore();
}

} // namespace

QIcon commandIcon(int commandId) {
    void (*paint)(QPainter&) = nullptr;
    switch (commandId) {
    case kCmdLoadArchive:
        paint = paintLoadArchive;
        break;
    case kCmdSaveArchive:
        paint = paintSaveArchive;
        break;
    case kCmdReadRadio:
        paint = paintReadRadio;
        break;
    case kCmdProgramAll:
        paint = paintProgramAll;
        break;
    case kCmdPrint:
        paint = paintPrint;
        break;
    case kCmdAbout:
        paint = paintAbout;
        break;
    default:
        return {};
    }
    QPixmap pixmap = transparentPixmap(kToolbarImageSize);
    {
        QPainter painter(&pixmap);
        beginPainting(painter);
        paint(painter);
    }
    return QIcon(pixmap);
}

QImage applicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    beginPainting(painter);
    const qreal s = size;
    // A rounded badge behind the radio keeps the narrow shape recognisable in a task bar.
    const QRectF badge(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    QLinearGradient badgeFill(badge.topLeft(), badge.bottomRight());
    badgeFill.setColorAt(0, QColor(0x4d, 0x9c, 0xe8));
    badgeFill.setColorAt(1, kBlueDark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(badgeFill);
    painter.drawRoundedRect(badge, s * 0.2, s * 0.2);
    const RadioDetail detail = size >= 32 ? RadioDetail::Full : RadioDetail::Simple;
    const QRectF body(s * 0.3, s * 0.36, s * 0.42, s * 0.58);
    if (size >= 32) {
        drawWaves(painter, QPointF(s * 0.39, s * 0.12), s * 0.12, 2, QColor(255, 255, 255));
    }
    drawHandheld(painter, body, detail);
    painter.end();
    return image;
}

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 64}) {
        icon.addPixmap(QPixmap::fromImage(applicationIconImage(size)));
    }
    return icon;
}

QImage titlePicture() {
    QImage image(kTitlePictureSize, QImage::Format_RGB32);
    QPainter p(&image);
    beginPainting(p);
    const qreal width = image.width();
    const qreal height = image.height();

    // Night-blue ground with a glow behind the radio.
    QLinearGradient sky(QPointF(0, 0), QPointF(0, height));
    sky.setColorAt(0, QColor(0x0b, 0x1e, 0x38));
    sky.setColorAt(1, QColor(0x1a, 0x4d, 0x80));
    p.fillRect(image.rect(), sky);
    QRadialGradient glow(QPointF(95, 150), 170);
    glow.setColorAt(0, QColor(0x5f, 0xa8, 0xf0, 110));
    glow.setColorAt(1, QColor(0x5f, 0xa8, 0xf0, 0));
    p.fillRect(image.rect(), glow);

    // The bench the equipment stands on.
    const qreal benchTop = height - 34;
    QLinearGradient bench(QPointF(0, benchTop), QPointF(0, height));
    bench.setColorAt(0, QColor(0x3a, 0x44, 0x52));
    bench.setColorAt(1, QColor(0x1c, 0x22, 0x2a));
    p.fillRect(QRectF(0, benchTop, width, height - benchTop), bench);
    p.setPen(outline(QColor(0x7d, 0x8c, 0x9e), 1.5));
    p.drawLine(QPointF(0, benchTop), QPointF(width, benchTop));

    // Title.
    p.setPen(Qt::white);
    QFont titleFont = sansFont(56, QFont::Bold);
    titleFont.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(titleFont);
    const QRectF titleBox(178, 26, width - 190, 66);
    p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kavrin"));
    p.setPen(QColor(0xa9, 0xd1, 0xf7));
    p.setFont(sansFont(21));
    p.drawText(QRectF(titleBox.left() + 3, titleBox.bottom() + 2, titleBox.width(), 28),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Radio Alignment"));
    p.setPen(outline(kOrange, 3));
    p.drawLine(QPointF(titleBox.left() + 4, titleBox.bottom() + 38),
               QPointF(titleBox.left() + 74, titleBox.bottom() + 38));

    // The radio, standing on the bench, sending.
    const QRectF body(52, benchTop - 168, 72, 168);
    drawWaves(p, QPointF(body.left() + body.width() * 0.24, body.top() - body.height() * 0.44), 16,
              3, QColor(0xa9, 0xd1, 0xf7));
    drawHandheld(p, body, RadioDetail::Full);
    const QPointF plugEnd = drawProgrammingPlug(p, body, body.top() + body.height() * 0.72);

    // The laptop.
    const QRectF screen(282, 178, 132, 86); // puts the base on the bench
    const QPointF usbPort = drawLaptop(p, screen);

    // The programming cable with its bridge box.
    const QRectF box(178, benchTop - 30, 58, 24);
    QPainterPath toBox(plugEnd);
    toBox.cubicTo(plugEnd + QPointF(30, 0), QPointF(box.left() - 30, box.center().y()),
                  QPointF(box.left(), box.center().y()));
    drawCable(p, toBox, 5);
    QPainterPath toPc(QPointF(box.right(), box.center().y()));
    toPc.cubicTo(QPointF(box.right() + 40, box.center().y()), usbPort + QPointF(-30, 10), usbPort);
    drawCable(p, toPc, 5);
    drawBridgeBox(p, box, false);
    return image;
}

QImage setupPicture() {
    QImage image(kSetupPictureSize, QImage::Format_RGB32);
    QPainter p(&image);
    beginPainting(p);
    const qreal width = image.width();
    const qreal height = image.height();

    QLinearGradient ground(QPointF(0, 0), QPointF(0, height));
    ground.setColorAt(0, QColor(0xfb, 0xfc, 0xfe));
    ground.setColorAt(1, QColor(0xe4, 0xea, 0xf1));
    p.fillRect(image.rect(), ground);

    // Heading.
    p.setPen(kInk);
    p.setFont(sansFont(24, QFont::Bold));
    p.drawText(QRectF(24, 14, width - 48, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Connecting the radio"));
    p.setPen(outline(kOrange, 3));
    p.drawLine(QPointF(26, 52), QPointF(110, 52));

    // The PC: tower and monitor on a desk.
    const QRectF tower(40, 84, 104, 206);
    const QPointF usbSocket = drawTower(p, tower);
    drawMonitor(p, QRectF(176, 92, 150, 100));
    p.setPen(outline(QColor(0x9d, 0xa8, 0xb6), 2));
    p.drawLine(QPointF(24, tower.bottom() + 1), QPointF(352, tower.bottom() + 1));

    // The radio on the right.
    const QRectF body(410, 170, 82, 196);
    drawHandheld(p, body, RadioDetail::Full);
    // The programming connector goes on the left side here, so mirror the plug drawing.
    p.save();
    p.translate(body.center().x() * 2, 0);
    p.scale(-1, 1);
    const QPointF mirroredEnd = drawProgrammingPlug(p, body, body.top() + body.height() * 0.66);
    p.restore();
    const QPointF plugEnd(body.center().x() * 2 - mirroredEnd.x(), mirroredEnd.y());

    // The cable: USB plug at the PC, bridge box, programming connector at the radio.
    const QPointF cableStart = drawUsbPlug(p, usbSocket + QPointF(0, 4), 1.0);
    const QRectF box(170, 372, 132, 56);
    QPainterPath toBox(cableStart);
    toBox.cubicTo(cableStart + QPointF(0, 90), QPointF(box.left() - 70, box.center().y()),
                  QPointF(box.left(), box.center().y()));
    drawCable(p, toBox, 7);
    QPainterPath toRadio(QPointF(box.right(), box.center().y()));
    toRadio.cubicTo(QPointF(box.right() + 60, box.center().y()), plugEnd + QPointF(-60, 0),
                    plugEnd);
    drawCable(p, toRadio, 7);
    drawBridgeBox(p, box, true);

    // Captions.
    drawCallout(p, QPointF(28, 314), QStringLiteral("PC USB port"), usbSocket);
    const QPointF cablePoint = toRadio.pointAtPercent(0.3);
    drawCallout(p, QPointF(348, 398), QStringLiteral("Programming cable"), cablePoint);
    drawCallout(p, QPointF(498, 112), QStringLiteral("Radio"),
                QPointF(body.right() - 6, body.top() + body.height() * 0.2));

    // The steps.
    const QRectF panel(24, 452, width - 48, 86);
    p.setPen(outline(QColor(0xb8, 0xc3, 0xd0), 1.2));
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawRoundedRect(panel, 8, 8);
    const std::array<QString, 3> steps{
        QStringLiteral("Plug the programming cable into a USB port of the PC."),
        QStringLiteral("Fit its connector to the radio and turn the radio on."),
        QStringLiteral("Choose File > Read Radio Information and Softpots."),
    };
    for (std::size_t step = 0; step < steps.size(); ++step) {
        const qreal y = panel.top() + 10 + 24 * static_cast<qreal>(step);
        const QPointF badge(panel.left() + 22, y + 11);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(badge, 10, 10);
        p.setPen(Qt::white);
        p.setFont(sansFont(13, QFont::Bold));
        p.drawText(QRectF(badge.x() - 10, badge.y() - 10, 20, 20), Qt::AlignCenter,
                   QString::number(step + 1));
        p.setPen(kInk);
        p.setFont(sansFont(15));
        p.drawText(QRectF(panel.left() + 42, y, panel.width() - 52, 22),
                   Qt::AlignLeft | Qt::AlignVCenter, steps[step]);
    }
    return image;
}

QIcon buttonPicture(const QString& name) {
    void (*pictogram)(QPainter&, const QRectF&) = nullptr;
    if (name == QLatin1String(kPttToggleButton)) {
        pictogram = paintMicrophone;
    } else if (name == QLatin1String(kProgramButton)) {
        pictogram = paintChip;
    } else if (name == QLatin1String(kUpdateButton)) {
        pictogram = paintUpdateRadio;
    } else {
        return {};
    }
    QPixmap pixmap = transparentPixmap(kButtonPictureSize);
    {
        QPainter painter(&pixmap);
        beginPainting(painter);
        paintButtonFace(painter, name, pictogram);
    }
    return QIcon(pixmap);
}

} // namespace kavrin::shell
