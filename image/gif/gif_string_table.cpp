// The switch from the fast dictionary to the reference string table.
#include "image/gif/gif_string_table.h"

void TGifStrings::Clear() {
    entries_.fill(Empty);
    recent_.fill(0xFFFFFFFFu);
    slotZeroTaken_ = false;
    reference_ = nullptr;
}

int TGifStrings::FindInReference(int key) {
    bool found = false;
    pending_ = reference_->Probe(key, found);
    return found ? reference_->Code(pending_) : -1;
}

// Slot 0 of the reference table is the first slot of key 0 and of the keys whose prefix is 16
// times their next index; no later probe reaches it. Key 0 arriving when it is taken goes to a
// later probe, where the reference table's rule starts to matter.
void TGifStrings::NoteSlotZero(int key, int code) {
    if (reference_ || key != 0 || !slotZeroTaken_) {
        slotZeroTaken_ = true;
        return;
    }
    referenceTable_.Clear();
    bool found = false;
    for (int c = firstCode_; c < code; ++c) {
        const int stored = keyOfCode_[c];
        referenceTable_.Store(referenceTable_.Probe(stored, found), stored, c);
    }
    reference_ = &referenceTable_;
    pending_ = referenceTable_.Probe(key, found);
}
