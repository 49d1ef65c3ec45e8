#include "files/dxf_compiled.h"

#include "files/dxf_moves.h"

namespace dezadiravevava {

namespace {

bool Within(int code, int first, int last) {
    return code >= first && code <= last;
}

bool IsIntegerCode(int code) {
    return Within(code, 60, 99) || Within(code, 160, 179) || Within(code, 270, 299) ||
           Within(code, 370, 389) || Within(code, 400, 409) || Within(code, 420, 429) ||
           Within(code, 440, 459) || Within(code, 1060, 1071);
}

bool IsDoubleCode(int code) {
    return Within(code, 10, 59) || Within(code, 110, 149) || Within(code, 210, 239) ||
           Within(code, 460, 469) || Within(code, 1010, 1059);
}

bool ReadReal(const DxfTag& tag, double& value) {
    return drawing::ReadCoordinate(tag.value(), value).empty();
}

} // namespace

DxfValueType ValueTypeOf(int code) {
    if (Within(code, 10, 18) || Within(code, 110, 112) || code == 210 || Within(code, 1010, 1013)) {
        return DxfValueType::kPoint;
    }
    if (IsDoubleCode(code)) {
        return DxfValueType::kDouble;
    }
    if (IsIntegerCode(code)) {
        return DxfValueType::kInteger;
    }
    return DxfValueType::kString;
}

std::vector<CompiledTag> CompileTags(std::span<const DxfTag> tags) {
    std::vector<CompiledTag> compiled;
    std::vector<bool> used(tags.size(), false);
    // The first unused tag of a code after the x at `x`, before the next x.
    const auto partner = [&](std::size_t x, int code) {
        for (std::size_t j = x + 1; j < tags.size(); ++j) {
            if (tags[j].code == tags[x].code) {
                break;
            }
            if (tags[j].code == code && !used[j]) {
                used[j] = true;
                return j;
            }
        }
        return CompiledTag::kNoTag;
    };
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (used[i]) {
            continue;
        }
        CompiledTag tag;
        tag.code = tags[i].code;
        tag.type = ValueTypeOf(tag.code);
        tag.raw[0] = i;
        switch (tag.type) {
        case DxfValueType::kPoint:
            tag.raw[1] = partner(i, PointPartCode(tag.code, 1));
            tag.raw[2] = partner(i, PointPartCode(tag.code, 2));
            for (std::size_t t = 0; t < 3; ++t) {
                if (tag.raw[t] != CompiledTag::kNoTag &&
                    !ReadReal(tags[tag.raw[t]], tag.number[t])) {
                    tag.number[t] = 0.0;
                    tag.valid = false;
                }
            }
            break;
        case DxfValueType::kDouble:
            tag.valid = ReadReal(tags[i], tag.number[0]);
            if (!tag.valid) {
                tag.number[0] = 0.0;
            }
            break;
        case DxfValueType::kInteger: {
            int value = 0;
            tag.valid = ParseDxfInteger(tags[i].value(), value);
            tag.integer = tag.valid ? value : 0;
            break;
        }
        case DxfValueType::kString:
            break;
        }
        compiled.push_back(tag);
    }
    return compiled;
}

} // namespace dezadiravevava
