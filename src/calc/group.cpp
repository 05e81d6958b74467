#include "calc/group.h"

namespace orbistan {

namespace {

bool sameValues(const GroupSlot& a, const GroupSlot& b) {
    return a.Z == b.Z && a.Fr == b.Fr && a.dw == b.dw && a.a == b.a && a.D == b.D && a.d == b.d;
}

void takeValues(GroupSlot& slot, const GroupSlot& from) {
    slot.Z = from.Z, slot.Fr = from.Fr, slot.dw = from.dw;
    slot.a = from.a, slot.D = from.D, slot.d = from.d;
    slot.standard = from.standard;
}

} // namespace

GroupUpdate updateGroup(Group& group, const GroupSlot& computed) {
    auto& slot = group.slot;
    const bool unnamed = computed.number.empty();
    for (int k = 0; k < kGroupSlots; ++k) {
        const GroupSlot& s = slot[k];
        if (sameValues(s, computed) && s.standard == computed.standard &&
            (unnamed || s.number == computed.number)) {
            return {GroupUpdate::Found, k};
        }
    }
    if (!unnamed) {
        for (int k = 0; k < kGroupSlots; ++k) {
            if (slot[k].number == computed.number) {
                takeValues(slot[k], computed); // its number and caption stay
                return {GroupUpdate::OverwrittenByNumber, k};
            }
        }
    }
    ++group.GroupFill;
    if (group.GroupFill <= kGroupSlots) {
        const int k = group.GroupFill - 1;
        takeValues(slot[k], computed);
        slot[k].number = unnamed ? std::to_string(k + 1) + "????" : computed.number;
        if (group.GroupFill == kGroupSlots) {
            group.GroupSerial = kGroupSlots;
        }
        return {GroupUpdate::Appended, k};
    }
    group.GroupFill = kGroupSlots;
    for (int k = 0; k + 1 < kGroupSlots; ++k) {
        slot[k] = slot[k + 1];
    }
    ++group.GroupSerial;
    GroupSlot& last = slot[kGroupSlots - 1];
    takeValues(last, computed);
    last.number = unnamed ? std::to_string(group.GroupSerial) + "????" : computed.number;
    return {GroupUpdate::Appended, kGroupSlots - 1};
}

void clearGroup(Group& group) {
    group.GroupFill = 0;
    group.GroupSerial = kGroupSlots;
    for (GroupSlot& s : group.slot) {
        s.Z = s.Fr = s.dw = s.a = s.D = s.d = 0;
        s.number.clear();
    }
}

void settleLoadedGroup(Group& group) {
    group.GroupFill = 0;
    for (int k = 0; k < kGroupSlots; ++k) {
        GroupSlot& s = group.slot[k];
        if (s.filled()) {
            s.number.erase(0, s.number.find_first_not_of(' ') == std::string::npos
                                  ? s.number.size()
                                  : s.number.find_first_not_of(' '));
            group.GroupFill = k + 1;
        }
    }
}

} // namespace orbistan
