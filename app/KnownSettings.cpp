#include "app/KnownSettings.h"

void CKnownSettings::Loaded(const bus::RadioSettings& settings, bool storedByEarlierRun)
{
    m_lastKnown = settings;
    m_placeholders.reset();
    m_bFirstRun = !storedByEarlierRun;
}

void CKnownSettings::Read(const bus::RadioSettings& settings)
{
    m_lastKnown = settings;
    m_placeholders.reset();
    m_bFirstRun = false;
}

void CKnownSettings::Written(const bus::RadioSettings& settings, std::size_t count)
{
    if (count > std::size_t(Field::Name))
        m_lastKnown.name = settings.name;
    if (count > std::size_t(Field::Channel))
        m_lastKnown.rfChannel = settings.rfChannel;
    if (count > std::size_t(Field::GroupId))
        m_lastKnown.netWorkId = settings.netWorkId;
    if (count > std::size_t(Field::Key))
        m_lastKnown.pwKey = settings.pwKey;
    // Once all four went out, the transceiver holds them: they are no starting values now.
    if (count == kFields)
        m_bFirstRun = false;
}

CKnownSettings::SetRule CKnownSettings::ForSet() const
{
    if (m_placeholders.any())
        return SetRule::Refuse;
    return m_bFirstRun ? SetRule::Ask : SetRule::Write;
}
