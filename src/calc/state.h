#pragma once
// The process-wide values of the calculator. One instance belongs to the main window and
// lives as long as it; every action reads and writes it there.

#include "calc/frequencies.h"
#include "calc/group.h"
#include "calc/validate.h"

#include <array>
#include <string>

namespace orbistan {

struct KeypadMemory {
    std::string LastKeypadText; // last text transferred into a field or cleared by "С"
    int LastTransferTarget = 0; // transfer code (13 ... 19) of the last receiving field, 0 none
};

struct ProcessState {
    // Shell
    std::string ProgramDir; // working directory at start-up, no trailing separator
    int CurrentStandard = 1;
    int NoResult = 1;
    std::string CurrentFilePath;
    int QuietTypeRefresh = 0;

    // Options: 0 until the settings are read; Precision <= 1 means no rounding.
    int AutoClear = 0;
    int KeepFr = 0;
    int AutoLoad = 0;
    int Precision = 0;

    // Bearing values read by the last computation attempt (or put by a load).
    BearingInputs inputs;
    Results results{}; // rounded to Precision
    double LastComputedFr = 0;
    InputSnapshot snapshot;

    KeypadMemory keypad;

    // Type and notes of the bearing last loaded or looked up.
    std::array<int, 4> currentTypeCodes{}; // element kind, row count, load direction, shape
    std::string currentInfo;               // code page 1251

    Group group; // the bearings computed last
};

} // namespace orbistan
