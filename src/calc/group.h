#pragma once
// The bearing group: 21 slots of the bearings computed last, and how a computation records
// its bearing in them.

#include <array>
#include <string>

namespace orbistan {

inline constexpr int kGroupSlots = 21;

struct GroupSlot {
    double Z = 0, Fr = 0, dw = 0, a = 0, D = 0, d = 0;
    int standard = 0;
    std::string number; // code page 1251, at most 50 characters
    bool filled() const { return Z != 0; }
};

struct Group {
    std::array<GroupSlot, kGroupSlots> slot;
    int GroupFill = 0;   // the last filled slot, 1-based; 0 when none
    int GroupSerial = 0; // running number of the placeholder names after a roll-over
};

struct GroupUpdate {
    enum Kind { Found, OverwrittenByNumber, Appended } kind = Found;
    int slot = 0; // 0-based slot that holds the bearing now
    // Every update but an overwrite by number ends with the automatic group save.
    bool saves() const { return kind != OverwrittenByNumber; }
};

// Records a computed bearing (its number trimmed, possibly empty): found by its values,
// number and standard; overwritten when only its number matches; appended otherwise,
// rolling the group over once all 21 slots are in use.
GroupUpdate updateGroup(Group& group, const GroupSlot& computed);

// "Удалить все": no slot filled, the placeholder names go on from 22; standards stay.
void clearGroup(Group& group);

// After a group was read: the last filled slot (0 when none); leading blanks of the filled
// slot' numbers are removed.
void settleLoadedGroup(Group& group);

} // namespace orbistan
