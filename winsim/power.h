// The power cut: the machine stops at the program's k-th change, and from there on nothing the
// program does reaches it, as when the power goes. A test then starts the program again on what
// was left.
#ifndef SETUP_WINSIM_POWER_H
#define SETUP_WINSIM_POWER_H

namespace winsim {

class Power {
public:
    // The change during which the power goes, counted from 1; 0 for never.
    int cutAt = 0;
    // Whether what was written to a file or a profile but never flushed is lost with the power,
    // as a cache would be. Renames, deletions and the registry stay either way.
    bool loseUnflushed = false;
    // The changes the program asked for since the machine was made or last powered on.
    int changes = 0;

    // Asked by each call before it changes the machine (a file or folder made, written, renamed,
    // deleted or given attributes; a key or value written or deleted; a profile setting written).
    // Dead calls fail and change nothing; during the cut a WriteFile leaves half of its bytes.
    enum Verdict { Go, CutNow, Dead };
    Verdict Change() {
        if (m_off) return Dead;
        ++changes;
        if (cutAt == 0 || changes < cutAt) return Go;
        m_off = true;
        return CutNow;
    }
    bool IsOff() const { return m_off; }
    // The power going after the last change, before anything still in a cache is written.
    void Cut() { m_off = true; }

protected:
    bool m_off = false;
};

}  // namespace winsim

#endif
