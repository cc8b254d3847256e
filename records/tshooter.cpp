#include "tshooter.h"

namespace {
const QString kErrorMark = QStringLiteral("!");
const QString kNoErrorMark = QStringLiteral(" ");
} // namespace

TShooter::TShooter() = default;

void TShooter::setNames(const QString &name, const QString &family)
{
    m_name = name;
    m_family = family;
}

void TShooter::setPersonalData(const QString &name, const QString &family,
                               const QDate &dateOfBirth, int gender, int countryXMLID,
                               int teamID, int qualityID)
{
    setNames(name, family);
    setDateOfBirth(dateOfBirth);
    setGender(gender);
    setCountryXMLID(countryXMLID);
    setTeamID(teamID);
    setQualityID(qualityID);
}

QString TShooter::dateOfBirthSql() const
{
    return m_dateOfBirth.toString(QStringLiteral("yyyy-MM-dd ")) + QStringLiteral("00:00:00");
}

quint32 TShooter::eventBit(int num)
{
    // Shifting by the full width or more is undefined, so numbers past the
    // mask have no bit at all: they can be neither set nor found done.
    if (num < 1 || num > kMaxEventNum)
        return 0;
    return quint32(1) << (num - 1);
}

bool TShooter::isEventDone(int num) const
{
    if (num < 1)
        return m_eventsDone != 0;
    return (m_eventsDone & eventBit(num)) != 0;
}

void TShooter::setEventDone(int num, bool done)
{
    const quint32 bit = eventBit(num);
    if (done)
        m_eventsDone |= bit;
    else
        m_eventsDone &= ~bit;
}

void TShooter::clearEventsDone()
{
    m_eventsDone = 0;
    m_finalDone = false;
}

void TShooter::setEventsDoneUpTo(int num)
{
    for (int n = 1; n <= num && n <= kMaxEventNum; ++n)
        m_eventsDone |= eventBit(n);
}

bool TShooter::isAllEventsDone(int num, bool withFinal) const
{
    for (int n = 1; n <= num; ++n) {
        if (!isEventDone(n))
            return false;
    }
    if (withFinal && m_inFinal)
        return m_finalDone;
    return true;
}

void TShooter::setInFinal(bool inFinal)
{
    m_inFinal = inFinal;
    if (!inFinal)
        m_finalDone = false;
}

void TShooter::setFinalDone(bool done)
{
    m_inFinal = true;
    m_finalDone = done;
}

int TShooter::finalState() const
{
    if (!m_inFinal)
        return -1;
    return m_finalDone ? 1 : 0;
}

QString TShooter::errorStartNumMark() const
{
    return m_errorStartNum ? kErrorMark : kNoErrorMark;
}

QString TShooter::errorTargetAddrMark() const
{
    return m_errorTargetAddr ? kErrorMark : kNoErrorMark;
}

void TShooter::clearEnabledFlags()
{
    m_targetEnabled = false;
    m_pcEnabled = false;
}

bool TShooter::sameData(const QString &name, const QString &family, const QDate &dateOfBirth,
                        int gender, int countryXMLID, int teamID, int qualityID,
                        bool addition) const
{
    return m_name == name && m_family == family && m_dateOfBirth == dateOfBirth
        && m_gender == gender && m_countryXMLID == countryXMLID && m_teamID == teamID
        && m_qualityID == qualityID && m_addition == addition;
}

bool TShooter::lessByStartNumber(const TShooter *a, const TShooter *b)
{
    return a->startNumber() < b->startNumber();
}

bool TShooter::lessBySortKey(const TShooter *a, const TShooter *b)
{
    return a->sortKey() < b->sortKey();
}
