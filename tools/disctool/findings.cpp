#include "tools/disctool/findings.h"

namespace disctool {

const FindingKind* FindFindingKind(std::string_view code) {
    for (const FindingKind& kind : kFindingKinds) {
        if (code == kind.code) return &kind;
    }
    return nullptr;
}

const char* SeverityWord(Severity severity) {
    switch (severity) {
        case Severity::kError:
            return "error";
        case Severity::kWarning:
            return "warning";
        case Severity::kNote:
            return "note";
    }
    return "error";
}

}  // namespace disctool
