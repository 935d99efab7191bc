#include "tools/disctool/picconvert.h"

#include <cstdio>
#include <memory>
#include <string>

#include "toolkit/picload.h"
#include "tools/disctool/picwrite.h"
#include "toolkit/rawpict.h"

namespace disctool {

const char* CheckPictureConvert(Operands operands) {
    OutputFormat format;
    if (OutputFormatFromPath(operands[1], &format)) return nullptr;
    return "OUT must end in .png or .ppm";
}

int RunPictureConvert(const Invocation& invocation) {
    const char* input = invocation.operands[0];
    const char* output = invocation.operands[1];
    OutputFormat format = OutputFormat::Ppm;
    OutputFormatFromPath(output, &format);

    const char* reason = nullptr;
    std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)> picture(PICTURE_Load(input, &reason),
                                                                 &RAWPICT_Free);
    if (picture == nullptr) {
        std::fprintf(stderr, "disctool: %s: %s\n", input,
                     reason != nullptr ? reason : "cannot be loaded");
        return InputStatus(input);
    }
    const std::string failure = WritePicture(*picture, format, output);
    if (!failure.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", output, failure.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace disctool
