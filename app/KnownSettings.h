#pragma once

#include <bitset>
#include <cstddef>

#include "bus/GroupReply.h"

// What the form knows of the transceiver's settings: the values it is last
// known to hold (stored by an earlier run, read by a Get, sent by a Set), and
// whether the values in the form may be written. Placeholders of a Get that
// was not answered never are; the starting values of a first run (nothing
// stored, no Get answered since the start) only when the user says so.
class CKnownSettings {
public:
    // The fields in the order Set writes them.
    enum class Field { Name, Channel, GroupId, Key };
    static constexpr std::size_t kFields = 4;

    enum class SetRule {
        Write,  // the values came from a transceiver, an earlier run or the user
        Ask,    // starting values of a first run
        Refuse, // a field still holds a placeholder
    };

    // At start: the document's values, and whether an earlier run stored them.
    void Loaded(const bus::RadioSettings& settings, bool storedByEarlierRun);
    // A Get put placeholders into every field.
    void GetStarted() { m_placeholders.set(); }
    // A settings reply: what the transceiver holds.
    void Read(const bus::RadioSettings& settings);
    // A field got a value of its own: a single-value reply, or the user's typing.
    void Filled(Field field) { m_placeholders.reset(std::size_t(field)); }
    // The first `count` writes of `settings` went out.
    void Written(const bus::RadioSettings& settings, std::size_t count);

    SetRule ForSet() const;
    const bus::RadioSettings& LastKnown() const { return m_lastKnown; }

private:
    bus::RadioSettings m_lastKnown;
    std::bitset<kFields> m_placeholders;
    bool m_bFirstRun = false;
};
