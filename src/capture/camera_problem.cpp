// Camera problems and their messages (see camera_problem.h).
#include "capture/camera_problem.h"

namespace {

// HRESULT values of the platform (winerror.h), spelled out so this file stays portable.
constexpr uint32_t kHrNoSystemResources = 0x800705AA;  // the device is in use elsewhere
constexpr uint32_t kHrAccessDenied = 0x80070005;       // camera access turned off for programs

// Graph event codes (evcode.h).
constexpr long kEcErrorAbort = 0x03;
constexpr long kEcStreamErrorStopped = 0x06;
constexpr long kEcDeviceLost = 0x1F;
constexpr long kEcErrorAbortEx = 0x45;

}  // namespace

bool ProblemRetries(CameraProblem problem) {
    return problem == CameraProblem::Busy || problem == CameraProblem::Blocked || problem == CameraProblem::Lost;
}

CameraProblem ProblemOfStartFailure(int32_t hresult) {
    switch (uint32_t(hresult)) {
    case kHrNoSystemResources: return CameraProblem::Busy;
    case kHrAccessDenied: return CameraProblem::Blocked;
    default: return CameraProblem::CannotOpen;
    }
}

const char* ProblemTextKey(CameraProblem problem) {
    switch (problem) {
    case CameraProblem::Busy: return "cam busy";
    case CameraProblem::Blocked: return "cam blocked";
    case CameraProblem::CannotOpen: return "cam cannot open";
    case CameraProblem::NoPicture: return "cam no picture";
    case CameraProblem::Lost: return "cam lost";
    default: return nullptr;
    }
}

bool EndsTheStream(long eventCode, intptr_t param2) {
    switch (eventCode) {
    case kEcDeviceLost: return param2 == 0;
    case kEcErrorAbort:
    case kEcStreamErrorStopped:
    case kEcErrorAbortEx: return true;
    default: return false;
    }
}
