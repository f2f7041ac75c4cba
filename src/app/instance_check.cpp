// Single-instance decision (see instance_check.h).
#include "app/instance_check.h"

namespace {
constexpr uint32_t kErrorAccessDenied = 5;     // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS
}  // namespace

bool AnotherCopyRuns(bool mutexCreated, uint32_t lastError) {
    if (mutexCreated) return lastError == kErrorAlreadyExists;
    return lastError == kErrorAccessDenied;
}

OtherCopy FindOtherCopy(const MutexAnswer& session, const MutexAnswer& machine) {
    if (AnotherCopyRuns(session.created, session.lastError)) return OtherCopy::ThisSession;
    if (AnotherCopyRuns(machine.created, machine.lastError)) return OtherCopy::OtherSession;
    return OtherCopy::None;
}
