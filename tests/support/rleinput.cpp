#include "tests/support/rleinput.h"

namespace fuzz {

namespace {

std::int32_t Signed(std::uint8_t b) { return static_cast<std::int8_t>(b); }
std::uint8_t Low(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

}  // namespace

bool ParseRleInput(const std::uint8_t* data, std::size_t size, RleInput* input) {
    if (size < kRleInputHeadSize) return false;
    input->bitmapWidth = data[0] % 65;
    input->bitmapHeight = data[1] % 65;
    input->imageWidth = data[2] % 129;
    input->imageHeight = data[3] % 129;
    input->x = Signed(data[4]);
    input->y = Signed(data[5]);
    input->hasSource = (data[6] & 1) != 0;
    input->hasClip = (data[6] & 2) != 0;
    RECT_Set(&input->source, Signed(data[7]), Signed(data[8]), Signed(data[9]), Signed(data[10]));
    RECT_Set(&input->clip, Signed(data[11]), Signed(data[12]), Signed(data[13]), Signed(data[14]));
    return true;
}

std::vector<std::uint8_t> RleInputHead(const RleInput& input) {
    return {Low(input.bitmapWidth),
            Low(input.bitmapHeight),
            Low(input.imageWidth),
            Low(input.imageHeight),
            Low(input.x),
            Low(input.y),
            static_cast<std::uint8_t>((input.hasSource ? 1 : 0) | (input.hasClip ? 2 : 0)),
            Low(input.source.left),
            Low(input.source.top),
            Low(input.source.right),
            Low(input.source.bottom),
            Low(input.clip.left),
            Low(input.clip.top),
            Low(input.clip.right),
            Low(input.clip.bottom)};
}

}  // namespace fuzz
