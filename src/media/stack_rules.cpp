// The focus-stack mode's portable rules (see stack_rules.h).
#include "media/stack_rules.h"

bool StackHintDue(int fused, int quiet) { return fused >= kHintMinFrames && quiet >= kHintQuietFrames; }

StackStatusLine StackStatusFor(int fused, int leftOut, int quiet) {
    if (StackHintDue(fused, quiet)) return {"stack hint", fused, leftOut};
    return {leftOut > 0 ? "stack running skipped" : "stack running", fused, leftOut};
}

std::wstring DepthMapPathFor(const std::wstring& photoPath) {
    const size_t slash = photoPath.find_last_of(L"\\/");
    const size_t dot = photoPath.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return photoPath + L"-depth";
    return photoPath.substr(0, dot) + L"-depth" + photoPath.substr(dot);
}
