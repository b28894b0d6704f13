// Reading back what a virtual radio holds, for checks after a flow: a fresh test-mode link, one
// codeplug read; or, where the line is too slow or gone, the image it saved when it stopped.
#pragma once

#include "link/radio_link.h"

#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>

namespace kavrin::test {

inline std::array<std::uint8_t, 256> readRadioBlock(std::uint16_t address) {
    std::array<std::uint8_t, 256> block{};
    radioLink link;
    std::uint16_t length = static_cast<std::uint16_t>(block.size());
    link.testMode().readCodeplug(block.data(), address, &length);
    return block;
}

// The 256 bytes at address of an image saved by the virtual radio's --save-image.
inline std::array<std::uint8_t, 256> blockOfImage(const QString& path, std::uint16_t address) {
    std::array<std::uint8_t, 256> block{};
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray image = file.readAll();
    EXPECT_GE(static_cast<std::size_t>(image.size()), address + block.size());
    for (std::size_t i = 0;
         i < block.size() && address + i < static_cast<std::size_t>(image.size()); ++i) {
        block[i] = static_cast<std::uint8_t>(image[static_cast<qsizetype>(address + i)]);
    }
    return block;
}

} // namespace kavrin::test
