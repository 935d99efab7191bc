#include "tools/disctool/findings.h"

namespace disctool {

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
